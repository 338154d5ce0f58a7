// One message decoded to manifest records: every key of every record checked.
#include "archive/message_extractor.h"

#include "archive/manifest_record.h"
#include "archive_test_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra {
namespace {

using testing::kAbcSha;
using testing::kCafeSha;
using testing::kPdfSha;

std::vector<std::string> recordsOf(const std::string& message, PartLayout layout, std::vector<std::string>* bytes) {
    ExtractTarget target;
    target.layout = layout;
    if (bytes)
        target.partBytes = [bytes](const ManifestRecord&, std::string_view data) { bytes->emplace_back(data); };
    MessagePlace place;
    place.input = "in.mbox";
    place.offset = 42;
    std::vector<ManifestRecord> records;
    const platform::UserInterface quiet;
    extractMessage(quiet, target, place, message, records);
    std::vector<std::string> lines;
    for (const ManifestRecord& record : records) lines.push_back(toJsonLine(record));
    return lines;
}

const std::string kPlace = R"({"input":"in.mbox","offset":42,"file":null,)";

struct ExtractRow {
    const char* name;
    const std::string* message;
    std::vector<std::string> want;
};

TEST(MessageExtractor, RecordsOfEachMessage) {
    const ExtractRow rows[] = {
        {"base64 and quoted-printable parts, encoded words",
         &testing::kMixedMessage,
         {kPlace + R"("message_id":"<mixed.1@example.org>","date":"2024-03-01T10:00:00Z",)"
                   R"("from":"Renée <renee@example.org>","subject":"Rapport du jour","part":0,)"
                   R"("raw_name":"report.pdf","name":"report.pdf","encoding":"base64","type":"application/pdf",)"
                   R"("size":10,"sha256":")" + std::string(kPdfSha) + R"(","path":null,"status":"decoded","reason":null})",
          kPlace + R"("message_id":"<mixed.1@example.org>","date":"2024-03-01T10:00:00Z",)"
                   R"("from":"Renée <renee@example.org>","subject":"Rapport du jour","part":1,)"
                   R"("raw_name":"=?UTF-8?B?w6l0w6kudHh0?=","name":"été.txt","encoding":"quoted-printable",)"
                   R"("type":"text/plain","size":)" + std::string(testing::kCafeSize) + R"(,"sha256":")" + std::string(kCafeSha) +
                   R"(","path":null,"status":"decoded","reason":null})"}},
        {"uuencode in a plain body",
         &testing::kUuMessage,
         {kPlace + R"("message_id":"<uu.2@example.org>","date":"2024-03-02T13:30:00Z","from":"bob@example.org",)"
                   R"("subject":"data","part":0,"raw_name":"data.bin","name":"data.bin","encoding":"uuencode",)"
                   R"("type":null,"size":3,"sha256":")" + std::string(kAbcSha) +
                   R"(","path":null,"status":"decoded","reason":null})"}},
        {"no parts, Latin-1 subject, unreadable date",
         &testing::kPlainMessage,
         {kPlace + R"("message_id":null,"date":null,"from":"carol@example.org","subject":"Café","part":null,)"
                   R"("raw_name":null,"name":null,"encoding":null,"type":null,"size":null,"sha256":null,)"
                   R"("path":null,"status":"empty","reason":null})"}},
    };
    for (const ExtractRow& row : rows) {
        const std::vector<std::string> got = recordsOf(*row.message, PartLayout::none, nullptr);
        ASSERT_EQ(got.size(), row.want.size()) << row.name << ": got " << got.size() << " records";
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], row.want[i]) << row.name << ", record " << i << ": got " << got[i] << ", want "
                                           << row.want[i];
    }
}

TEST(MessageExtractor, TruncatedPartIsNotDecoded) {
    const std::vector<std::string> got = recordsOf(testing::kTruncatedMessage, PartLayout::none, nullptr);
    ASSERT_EQ(got.size(), 1u) << "got " << got.size() << " records";
    EXPECT_EQ(got[0].find(R"("status":"decoded")"), std::string::npos) << "got " << got[0] << ", want not decoded";
    EXPECT_NE(got[0].find(R"("reason":")"), std::string::npos) << "got " << got[0] << ", want a reason";
}

TEST(MessageExtractor, MemoryLayoutHandsBytesWithHashPaths) {
    std::vector<std::string> bytes;
    const std::vector<std::string> got = recordsOf(testing::kMixedMessage, PartLayout::memoryByHash, &bytes);
    ASSERT_EQ(bytes.size(), 2u) << "got " << bytes.size() << " parts";
    EXPECT_EQ(bytes[0], "hello pdf\n") << "got " << bytes[0];
    EXPECT_EQ(bytes[1], testing::kCafeText) << "got " << bytes[1];
    const std::string wantPath = R"("path":"4a/)" + std::string(kPdfSha) + "\"";
    EXPECT_NE(got[0].find(wantPath), std::string::npos) << "got " << got[0] << ", want " << wantPath;
}

}  // namespace
}  // namespace kodra
