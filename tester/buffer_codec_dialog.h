// Util > Encode Buffer: encodes and decodes the text of an edit box in memory.
#pragma once

#include "merido_dialog.h"

#include <QString>

#include <cstddef>

class QComboBox;
class QPlainTextEdit;
struct CLibraryFunctions;

namespace merido {
// The library's encoding type for a combo index: BinHex (type 3) is skipped.
int bufferEncodingType(int index);
// Output room EncodeBuffer needs for length input bytes of type, terminator included.
std::size_t encodeBufferSize(std::size_t length, int type);
// Output room DecodeBuffer needs for length input characters of type, terminator included.
std::size_t decodeBufferSize(std::size_t length, int type);
}  // namespace merido

class CBufferCodecDialog : public CMeridoDialog {
public:
    explicit CBufferCodecDialog(QWidget *parent, const CLibraryFunctions &library);

    // Moves the members into the controls, or with save the controls into the members.
    void UpdateData(bool save);
    // Replaces the text by its encoding in the selected type.
    void OnEncode();
    // Replaces the text by its decoding in the selected type.
    void OnDecode();
    // OK does nothing: only Cancel closes this dialog.
    void accept() override {}

    QString m_strText;
    int m_nEncoding;

protected:
    void OnInitDialog() override;

private:
    void code(bool encode);

    const CLibraryFunctions &library_;
    QPlainTextEdit *text_;
    QComboBox *encoding_;
};
