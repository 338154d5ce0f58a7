#include "frame/charset_text.h"

#include "frame/utf8_text.h"

namespace kodra {

std::string charsetToUtf8(std::string_view, std::string_view bytes) { return utf8OrLatin1(bytes); }

}  // namespace kodra
