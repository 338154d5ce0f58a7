#include "archive/manifest_record.h"

#include "frame/utf8_text.h"

namespace kodra {
namespace {

void appendString(std::string& out, const std::string& raw) {
    const std::string text = utf8OrLatin1(raw);
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 15];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void appendKey(std::string& out, const char* key) {
    if (out.size() > 1) out += ',';
    out += '"';
    out += key;
    out += "\":";
}

void appendField(std::string& out, const char* key, const std::optional<std::string>& value) {
    appendKey(out, key);
    if (value) appendString(out, *value);
    else out += "null";
}

template <typename Number>
void appendField(std::string& out, const char* key, const std::optional<Number>& value) {
    appendKey(out, key);
    out += value ? std::to_string(*value) : std::string("null");
}

}  // namespace

const char* statusWord(RecordStatus status) noexcept {
    switch (status) {
        case RecordStatus::decoded: return "decoded";
        case RecordStatus::failed: return "failed";
        case RecordStatus::incomplete: return "incomplete";
        case RecordStatus::empty: return "empty";
    }
    return "failed";
}

std::string toJsonLine(const ManifestRecord& record) {
    std::string out = "{";
    appendField(out, "input", std::optional<std::string>(record.input));
    appendField(out, "offset", record.offset);
    appendField(out, "file", record.file);
    appendField(out, "message_id", record.messageId);
    appendField(out, "date", record.date);
    appendField(out, "from", record.from);
    appendField(out, "subject", record.subject);
    appendField(out, "part", record.part);
    appendField(out, "raw_name", record.rawName);
    appendField(out, "name", record.name);
    appendField(out, "encoding", record.encoding);
    appendField(out, "type", record.type);
    appendField(out, "size", record.size);
    appendField(out, "sha256", record.sha256);
    appendField(out, "path", record.path);
    appendField(out, "status", std::optional<std::string>(statusWord(record.status)));
    appendField(out, "reason", record.reason);
    out += '}';
    return out;
}

}  // namespace kodra
