#include "archive/archive_names.h"

#include "frame/file_name_limit.h"
#include "frame/file_names.h"

#include <cstdio>
#include <cstring>

namespace kodra {
namespace {

// Keeps letters, digits and "._+@-" (bytes past ASCII too: names are UTF-8), makes every
// other byte "_", and a leading "." "_", so no name is hidden, "." or "..".
std::string safeWord(const std::string& text, std::size_t limit) {
    std::string out;
    for (const char c : text) {
        if (out.size() >= limit) break;
        const auto byte = static_cast<unsigned char>(c);
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '.' || c == '_' || c == '+' || c == '@' || c == '-' || byte >= 0x80;
        out += kept ? c : '_';
    }
    // A cut inside a UTF-8 sequence drops its lead bytes.
    while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) {
        std::size_t lead = out.size() - 1;
        while (lead > 0 && (static_cast<unsigned char>(out[lead]) & 0xC0) == 0x80) --lead;
        const auto first = static_cast<unsigned char>(out[lead]);
        const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (out.size() - lead == length) break;
        out.resize(lead);
    }
    if (!out.empty() && out[0] == '.') out[0] = '_';
    return out;
}

}  // namespace

std::string inputFolderName(const std::string& input) {
    if (input == "-") return "stdin";
    std::string base = input;
    while (base.size() > 1 && (base.back() == '/' || base.back() == '\\')) base.pop_back();
    const std::size_t slash = base.find_last_of("/\\");
    if (slash != std::string::npos) base.erase(0, slash + 1);
    std::string safe = safeWord(base, 128);
    return safe.empty() || safe == "_" ? std::string("input") : safe;
}

std::string messageFolderName(std::optional<long long> offset, const std::optional<std::string>& file,
                              const std::optional<std::string>& messageId) {
    std::string name;
    if (offset) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%012lld", *offset);
        name = digits;
    } else if (file) {
        name = safeWord(*file, 128);
    }
    if (messageId) {
        std::string id = *messageId;
        if (!id.empty() && id.front() == '<') id.erase(0, 1);
        if (!id.empty() && id.back() == '>') id.pop_back();
        const std::string safe = safeWord(id, kMaxMessageIdInName);
        if (!safe.empty()) name += name.empty() ? safe : "-" + safe;
    }
    return name.empty() ? std::string("message") : name;
}

std::string uniquePartName(const std::string& name, std::set<std::string>& used) {
    std::string base = name;
    base.push_back('\0');
    if (!reduceToContentFileName(&base[0])) base = "part";
    base.resize(std::strlen(base.c_str()));
    // The characters the engine's folder decodes make "_" (makeSafeFileName's set).
    for (std::size_t i = 0; i < base.size(); ++i) {
        if (std::strchr("/\\|:*\"<>?", base[i]) || (base[i] == ' ' && i + 1 < base.size() && base[i + 1] == '.'))
            base[i] = '_';
    }
    limitFileName(base, kMaxFileNameBytes - 8);
    if (base.empty()) base = "part";
    std::string candidate = base;
    const std::size_t dot = base.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
    const std::string extension = dot == std::string::npos || dot == 0 ? std::string() : base.substr(dot);
    for (int n = 2; used.count(candidate) != 0; ++n) candidate = stem + "-" + std::to_string(n) + extension;
    used.insert(candidate);
    return candidate;
}

}  // namespace kodra
