// The encoding names the command accepts and the library's type numbers behind them.
#pragma once

#include <string>
#include <vector>

namespace kodra::cli {

struct EncodingType {
    const char* name;       // as typed after -t
    int type;               // KODRA_UUENCODE ... KODRA_YENC
    const char* extension;  // of a derived output name
    bool buffers;           // whether the buffer codec handles it
};

// The type named name, or null.
const EncodingType* findEncodingType(const std::string& name);

// Every accepted name, for validation and help texts.
std::vector<std::string> encodingTypeNames(bool buffersOnly);

}  // namespace kodra::cli
