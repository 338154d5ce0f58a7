// The part marks news posters put in subjects: "(2/5)" or "[2/5]".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kodra {

struct SubjectMark {
    int number = 0;
    int total = 0;
    std::string key;  // the subject without the mark: lower case, blanks collapsed, trimmed
};

// The last "(n/m)" or "[n/m]" of subject with 1 <= n <= m and m > 1; nothing when it has none.
std::optional<SubjectMark> findSubjectMark(std::string_view subject);

}  // namespace kodra
