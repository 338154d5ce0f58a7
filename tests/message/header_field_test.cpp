// The header field lookup and KodraGetHeaderField: names in any case, folding undone
// (RFC 5322, 2.2.3), the first of repeated fields, the header's end, encoded words of
// every charset as UTF-8, the buffer contract and bad arguments.
#include "frame/line_source.h"
#include "kodra32.h"
#include "message/header_field.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace kodra::testing {
namespace {

std::string shown(const std::optional<std::string>& value) { return value ? "\"" + *value + "\"" : "(none)"; }

std::optional<std::string> lookUp(const std::string& message, const std::string& name) {
    LineSource source(message.data(), message.size());
    return readHeaderFieldUtf8(source, name);
}

TEST(HeaderField, Lookup) {
    const struct {
        const char* name;
        std::string message;
        std::string field;
        std::optional<std::string> want;
    } rows[] = {
        {"plain", "Subject: Tide report\r\n\r\nbody", "Subject", "Tide report"},
        {"name in any case", "SUBJECT: x\r\n", "subject", "x"},
        {"blanks trimmed", "Subject: \t x y \t\r\n", "Subject", "x y"},
        {"no blank after the colon", "Subject:x\n", "Subject", "x"},
        {"blank before the colon", "Subject : x\n", "Subject", "x"},
        {"folding keeps the blank", "Subject: Tide report\r\n  for March\r\n", "Subject", "Tide report  for March"},
        {"folding with a tab", "To: a@example.org,\r\n\tb@example.org\r\n", "To", "a@example.org,\tb@example.org"},
        {"first of repeated fields", "Subject: one\nSubject: two\n", "Subject", "one"},
        {"prefix of another name is no match", "Subject-X: no\nSubject: yes\n", "Subject", "yes"},
        {"continuation of another field is no match", "X-A: a\n Subject: no\nSubject: yes\n", "Subject", "yes"},
        {"mailbox line in front", "From ann@example.org Tue Mar  5\nFrom: Ann\n", "From", "Ann"},
        {"body is not header", "Subject: a\n\nTo: b\n", "To", std::nullopt},
        {"absent", "Subject: a\n", "To", std::nullopt},
        {"empty value", "Subject:\r\nTo: t\r\n", "Subject", ""},
        {"any field name", "Content-Type: text/plain;\r\n charset=utf-8\r\n", "content-type",
         "text/plain; charset=utf-8"},
        {"encoded words as UTF-8", "Subject: =?koi8-r?B?8NLJ18XU?= =?iso-8859-1?q?caf=E9?=\n", "Subject",
         "Приветcafé"},
        {"encoded words across a fold", "Subject: =?utf-8?B?4oI=?=\r\n =?utf-8?B?rA==?= 5\r\n", "Subject", "€ 5"},
        {"raw Latin-1 read as Latin-1", "Subject: caf\xE9\n", "Subject", "café"},
        {"invalid name", "Subject: a\n", "Sub ject", std::nullopt},
        {"name with colon", "Subject: a\n", "Subject:", std::nullopt},
    };
    for (const auto& row : rows) {
        const auto got = lookUp(row.message, row.field);
        EXPECT_EQ(got, row.want) << row.name << ": got " << shown(got) << ", want " << shown(row.want);
    }
}

TEST(HeaderField, LongFieldIsCut) {
    const std::string message = "Subject: " + std::string(kMaxFieldText + 100, 'a') + "\r\n more\r\n\r\n";
    const auto got = lookUp(message, "Subject");
    ASSERT_TRUE(got);
    EXPECT_EQ(got->size(), kMaxFieldText) << "got " << got->size() << " bytes, want " << kMaxFieldText;
}

struct ContextCloser {
    void operator()(KodraContext* context) const { KodraCloseContext(context); }
};

class HeaderFieldExport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(context.get(), nullptr); }
    std::string write(const std::string& message) {
        const std::string path = folder.file("message.eml");
        writeFile(path, message);
        return path;
    }
    TempFolder folder;
    std::unique_ptr<KodraContext, ContextCloser> context{KodraOpenContext()};
};

TEST_F(HeaderFieldExport, CopiesUtf8) {
    const std::string path = write("From: =?iso-8859-1?q?Ada_L=F6f?= <ada@example.org>\r\nSubject: s\r\n\r\nBody\r\n");
    char buffer[64];
    const int got = KodraGetHeaderField(context.get(), path.c_str(), "from", buffer, sizeof buffer);
    const std::string want = "Ada Löf <ada@example.org>";
    EXPECT_EQ(got, static_cast<int>(want.size())) << "got length " << got << ", want " << want.size();
    EXPECT_EQ(std::string(buffer), want) << "got \"" << buffer << "\", want \"" << want << "\"";
}

TEST_F(HeaderFieldExport, BufferContract) {
    // "Löf" is 4 bytes: a buffer of 3 bytes takes "L" and the NUL, never half of "ö".
    const std::string path = write("Subject: L\xC3\xB6" "f\r\n\r\n");
    const struct {
        const char* name;
        std::size_t size;
        std::string want;
    } rows[] = {
        {"room for everything", 5, "Löf"},
        {"one byte short", 4, "Lö"},
        {"character not split", 3, "L"},
        {"room for the NUL only", 1, ""},
    };
    for (const auto& row : rows) {
        char buffer[8];
        std::memset(buffer, 'x', sizeof buffer);
        const int got = KodraGetHeaderField(context.get(), path.c_str(), "Subject", buffer, row.size);
        EXPECT_EQ(got, 4) << row.name << ": got length " << got << ", want 4";
        EXPECT_EQ(std::string(buffer), row.want) << row.name << ": got \"" << buffer << "\", want \"" << row.want << "\"";
        EXPECT_EQ(buffer[row.size], 'x') << row.name << ": got a byte written past size";
    }
    EXPECT_EQ(KodraGetHeaderField(context.get(), path.c_str(), "Subject", nullptr, 0), 4)
        << "a null buffer of size 0 asks for the length";
}

TEST_F(HeaderFieldExport, Failures) {
    const std::string path = write("Subject: s\r\n\r\n");
    const std::string missing = folder.file("absent.eml");
    const std::string folderPath = folder.path().string();
    char buffer[16] = "untouched";
    const struct {
        const char* name;
        KodraContext* context;
        const char* path;
        const char* field;
        char* buffer;
        std::size_t size;
        int want;
    } rows[] = {
        {"absent field", context.get(), path.c_str(), "To", buffer, sizeof buffer, KODRA_NO_SUCH_FIELD},
        {"null context", nullptr, path.c_str(), "Subject", buffer, sizeof buffer, -1},
        {"null path", context.get(), nullptr, "Subject", buffer, sizeof buffer, -1},
        {"null field name", context.get(), path.c_str(), nullptr, buffer, sizeof buffer, -1},
        {"null buffer with a size", context.get(), path.c_str(), "Subject", nullptr, 4, -1},
        {"empty field name", context.get(), path.c_str(), "", buffer, sizeof buffer, -1},
        {"field name with a colon", context.get(), path.c_str(), "Subject:", buffer, sizeof buffer, -1},
        {"missing file", context.get(), missing.c_str(), "Subject", buffer, sizeof buffer, -1},
        {"folder", context.get(), folderPath.c_str(), "Subject", buffer, sizeof buffer, -1},
    };
    for (const auto& row : rows) {
        const int got = KodraGetHeaderField(row.context, row.path, row.field, row.buffer, row.size);
        EXPECT_EQ(got, row.want) << row.name << ": got " << got << ", want " << row.want;
    }
    EXPECT_STREQ(buffer, "untouched") << "a failed lookup writes nothing";
}

}  // namespace
}  // namespace kodra::testing
