#include "encoding_types.h"

#include <kodra32.h>

#include <iterator>

namespace kodra::cli {
namespace {

// The extensions are those the library's reference caller gives its outputs.
constexpr EncodingType kTypes[] = {
    {"base64", KODRA_BASE64, ".MIM", true},
    {"uu", KODRA_UUENCODE, ".UUE", true},
    {"xx", KODRA_XXENCODE, ".XXE", true},
    {"binhex", KODRA_BINHEX, ".HQX", false},
    {"qp", KODRA_QUOTED_PRINTABLE, ".QP", true},
    {"yenc", KODRA_YENC, ".YNC", true},
};

}  // namespace

const EncodingType* findEncodingType(const std::string& name) {
    for (const EncodingType& type : kTypes)
        if (name == type.name) return &type;
    return nullptr;
}

std::vector<std::string> encodingTypeNames(bool buffersOnly) {
    std::vector<std::string> names;
    for (const EncodingType& type : kTypes)
        if (type.buffers || !buffersOnly) names.emplace_back(type.name);
    return names;
}

}  // namespace kodra::cli
