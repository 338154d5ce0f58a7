#include "frame/lower_case_text.h"

namespace kodra {

void lowerCaseText(char* text) noexcept {
    // Only ASCII letters: code-page bytes above 127 must stay as they are.
    for (; *text; ++text)
        if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
}

}  // namespace kodra
