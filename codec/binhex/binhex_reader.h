// The BinHex reader: detector, header readers and fork decoder of both BinHex formats over
// a line source, writing to a byte sink. Each reader owns its state, so readers on
// separate inputs (and threads) never meet.
#pragma once

#include "binhex/binhex_header_record.h"
#include "binhex/binhex_six_bit.h"
#include "binhex/run_length.h"
#include "frame/byte_sink.h"
#include "frame/line_source.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kodra {

enum class BinHexForm {
    none,       // the line does not open a BinHex section
    binHex40,   // BinHex 4.0: the input continues after the ":" that opens the data
    hexBin,     // the older hexadecimal format: the "#" line is the input's next line
    endedEarly  // the opening line came, but the input ended before the data did
};

// Reads one section at a time: detect, then readHeader or readHexBinHeader, then
// decodeForks. The input is read the way a reader taking one character at a time would
// read it: where a call stops inside a line, the rest of that line is the input's next
// line. Lines may have any length; the source should hand them out whole (no cap).
class BinHexReader {
public:
    // Looks for a section after `line`, the line just taken from input: none when it does
    // not begin, after any blanks and tabs, with "(This file" (nothing read); else reads on
    // to the first line opening with ":" (4.0) or "#" (older format), a bare CR opening one.
    BinHexForm detect(std::string_view line, LineSource& input) noexcept;

    // Reads a 4.0 header after detect found binHex40, resetting the decoder; true when its
    // CRC matches and the record is whole: name then holds the stored name (up to 255
    // bytes, not yet made safe). Otherwise false, name unchanged.
    bool readHeader(LineSource& input, std::string& name) noexcept;

    // Reads the "#" line of the older format into line (line end removed, and anything
    // from a NUL on) after detect found hexBin, resetting the decoder; false at the end
    // of the input.
    bool readHexBinHeader(LineSource& input, std::string& line) noexcept;

    // Decodes the data fork of the section whose header was read last into output, or
    // only verifies the forks when output is null. False when the input ends early, a line
    // is malformed, a CRC or checksum does not match, a write fails, the 4.0 data length
    // has its top bit set (nothing written), or no header was read since the last call.
    bool decodeForks(LineSource& input, ByteSink* output) noexcept;

    // The last header read: for 4.0 the whole record, for the older format its type and
    // creator (when the "#" line has the usual shape).
    const BinHexHeader& header() const noexcept { return header_; }

private:
    enum class Variant : unsigned char { none, binHex40, hexBin };

    // Where the current call reads: a line taken from input_ and the bytes of it consumed.
    void begin(LineSource& input) noexcept;
    // Gives the unconsumed rest of the current line back to the input.
    void finish() noexcept;
    int nextValue() noexcept;
    int codedByte() noexcept;
    int readByte() noexcept;
    int readStoredCrc() noexcept;
    void resetDecoder() noexcept;
    bool decodeBinHex40Fork(ByteSink* output) noexcept;
    bool decodeHexBinForks(ByteSink* output) noexcept;

    Variant variant_ = Variant::none;
    SixBitDecoder sixBit_;
    RunLengthDecoder runs_;
    BinHexHeader header_{};

    LineSource* input_ = nullptr;
    std::string_view text_;
    std::size_t at_ = 0;
    bool holding_ = false;
};

}  // namespace kodra
