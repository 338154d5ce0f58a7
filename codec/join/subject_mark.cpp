// Subject marks of split UUencoded postings.
#include "join/subject_mark.h"

namespace kodra {
namespace {

constexpr int kMaxPartNumber = 1000000;

bool readNumber(std::string_view text, std::size_t& at, int& value) noexcept {
    const std::size_t first = at;
    long long number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - first < 9) {
        number = number * 10 + (text[at] - '0');
        ++at;
    }
    if (at == first || number > kMaxPartNumber) return false;
    value = static_cast<int>(number);
    return true;
}

std::string normalisedKey(std::string_view text) {
    std::string key;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            blank = !key.empty();
            continue;
        }
        if (blank) key += ' ';
        blank = false;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

}  // namespace

std::optional<SubjectMark> findSubjectMark(std::string_view subject) {
    std::optional<SubjectMark> found;
    std::size_t foundAt = 0, foundEnd = 0;
    for (std::size_t i = 0; i < subject.size(); ++i) {
        const char open = subject[i];
        if (open != '(' && open != '[') continue;
        std::size_t at = i + 1;
        int number = 0, total = 0;
        if (!readNumber(subject, at, number) || at >= subject.size() || subject[at] != '/') continue;
        ++at;
        if (!readNumber(subject, at, total) || at >= subject.size()) continue;
        if (subject[at] != (open == '(' ? ')' : ']')) continue;
        if (number < 1 || total < 2 || number > total) continue;
        found = SubjectMark{number, total, {}};
        foundAt = i;
        foundEnd = at + 1;
    }
    if (found) {
        std::string rest(subject.substr(0, foundAt));
        rest += ' ';
        rest += subject.substr(foundEnd);
        found->key = normalisedKey(rest);
    }
    return found;
}

}  // namespace kodra
