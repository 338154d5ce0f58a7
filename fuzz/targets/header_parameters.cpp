// parseHeaderParameters and parseParameterList: the first byte picks the form, the rest is
// a field body. Never a crash; every value handed out is UTF-8 and within the caps, and
// no text is more than four times the field (a byte turned into U+FFFD takes three).
#include "frame/utf8_text.h"
#include "fuzz_support.h"
#include "message/header_parameters.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kodra::fuzz::check;
    if (size < 1) return 0;
    const std::string_view field(reinterpret_cast<const char*>(data + 1), size - 1);
    const kodra::HeaderParameters parsed =
        data[0] & 1 ? kodra::parseParameterList(field) : kodra::parseHeaderParameters(field);
    check(kodra::isUtf8(parsed.value()), "value is not UTF-8");
    check(parsed.value().size() <= 2 * kodra::kMaxFieldValue, "value past its cap");
    check(parsed.value().size() <= 2 * field.size(), "value longer than the field allows");
    check(parsed.parameters().size() <= kodra::kMaxHeaderParameters, "too many parameters kept");
    const std::size_t bound = 4 * std::min(field.size(), kodra::kMaxParameterValue) + 4;
    for (const kodra::HeaderParameter& parameter : parsed.parameters()) {
        check(!parameter.name.empty() && parameter.name.size() <= kodra::kMaxParameterName, "bad parameter name");
        check(parameter.value.size() <= kodra::kMaxParameterValue, "parameter value past its cap");
        // A section without section 0 and no plain value has no text.
        const std::optional<std::string> text = parsed.text(parameter.name);
        if (!text) continue;
        check(kodra::isUtf8(*text), "text is not UTF-8", parameter.name);
        check(text->size() <= bound, "text longer than the field allows", parameter.name);
    }
    for (const char* name : {"boundary", "name", "filename"}) {
        const std::optional<std::string> text = parsed.text(name);
        if (text) check(kodra::isUtf8(*text) && text->size() <= bound, "lookup text out of bounds", name);
    }
    std::string_view fieldName;
    std::string_view body;
    if (kodra::splitHeaderField(field, fieldName, body))
        check(!fieldName.empty() && fieldName.size() + body.size() < field.size(), "split outside the line");
    return 0;
}
