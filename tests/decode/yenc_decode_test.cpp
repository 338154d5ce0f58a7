// yEnc sections through the decode engine: decoded only by the Kodra* exports and new
// callers, checked by size and CRC-32, and never left under their name when a check fails.
#include "decode/decoder.h"

#include "kodra32.h"
#include "support/temp_folder.h"
#include "yenc/yenc_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kodra::testing {
namespace {

struct SinkPart {
    std::string name;
    int encoding = 0;
    std::string data;
    int status = -1;
};

struct SinkRecord {
    std::vector<SinkPart> parts;
};

int KODRA_CALL onBegin(void* self, const KodraPart* part) {
    SinkPart next;
    next.name.assign(part->name, part->nameSize);
    next.encoding = part->encoding;
    static_cast<SinkRecord*>(self)->parts.push_back(next);
    return 1;
}

int KODRA_CALL onData(void* self, const void* bytes, size_t size) {
    static_cast<SinkRecord*>(self)->parts.back().data.append(static_cast<const char*>(bytes), size);
    return 1;
}

void KODRA_CALL onEnd(void* self, const KodraPart*, int status) {
    static_cast<SinkRecord*>(self)->parts.back().status = status;
}

std::string hex(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// How a test section is written.
struct Layout {
    std::string lineEnd = "\r\n";
    std::size_t lineLength = 128;
    std::optional<long long> beginSize;  // =ybegin size=; the data's size when unset
    std::optional<long long> endSize;    // =yend size=; the data's size when unset
    std::optional<std::uint32_t> crc;    // crc32=; the data's when unset
    bool withCrc = true;
    bool withEnd = true;
    std::string partFields;  // e.g. " part=1 total=3"; a "=ypart" line follows when set
    std::string partLine;    // the "=ypart" line's fields
    std::string pcrc;        // =yend pcrc32= value, when set
};

std::string yencSection(const std::string& data, const std::string& name, const Layout& layout = {}) {
    const std::string& end = layout.lineEnd;
    const long long size = static_cast<long long>(data.size());
    std::string text = "=ybegin" + layout.partFields + " line=" + std::to_string(layout.lineLength) +
                       " size=" + std::to_string(layout.beginSize.value_or(size)) + " name=" + name + end;
    if (!layout.partFields.empty()) text += "=ypart" + layout.partLine + end;
    text += yencEncode(data, layout.lineLength, end.c_str());
    if (layout.withEnd) {
        text += "=yend size=" + std::to_string(layout.endSize.value_or(size));
        if (!layout.pcrc.empty()) text += " pcrc32=" + layout.pcrc;
        if (layout.withCrc) text += " crc32=" + hex(layout.crc.value_or(crcOf(data)));
        text += end;
    }
    return text;
}

std::string article(const std::string& body) {
    return "From: poster@example.org\r\nNewsgroups: alt.binaries.test\r\nSubject: test\r\n\r\nSome text.\r\n" + body +
           "\r\nBye.\r\n";
}

struct EngineRow {
    const char* name;
    std::string message;
    std::vector<std::string> wantNames;  // sink parts in order
    std::vector<int> wantStatus;
    std::vector<std::string> wantData;   // of the decoded parts (failed ones unchecked)
    std::set<std::string> wantFolder;    // files a folder decode leaves (the message aside)
    int wantFolderResult;                // KodraDecodeFileTo's result
};

std::vector<EngineRow> engineRows() {
    const std::string data = randomBytes(10000, 1);
    const std::string small = randomBytes(300, 2);
    std::vector<EngineRow> rows;
    const int ok = KODRA_PART_DECODED, failed = KODRA_PART_FAILED;
    rows.push_back({"single part", article(yencSection(data, "file.bin")), {"file.bin"}, {ok}, {data},
                    {"file.bin"}, KODRA_ENCODING_YENC});
    {
        Layout layout;
        layout.lineEnd = "\n";
        layout.lineLength = 61;
        rows.push_back({"LF lines of 61", article(yencSection(data, "lf.bin", layout)), {"lf.bin"}, {ok}, {data},
                        {"lf.bin"}, KODRA_ENCODING_YENC});
    }
    {
        Layout layout;
        layout.lineLength = 1000000;
        rows.push_back({"one long line", article(yencSection(data, "long.bin", layout)), {"long.bin"}, {ok},
                        {data}, {"long.bin"}, KODRA_ENCODING_YENC});
    }
    rows.push_back({"empty file", article(yencSection("", "empty.bin")), {"empty.bin"}, {ok}, {""}, {"empty.bin"},
                    KODRA_ENCODING_YENC});
    rows.push_back({"name with blanks and equals", article(yencSection(small, "my file=1.bin")),
                    {"my file=1.bin"}, {ok}, {small}, {"my file=1.bin"}, KODRA_ENCODING_YENC});
    {
        Layout layout;
        layout.withCrc = false;
        rows.push_back({"no CRC given", article(yencSection(small, "nocrc.bin", layout)), {"nocrc.bin"}, {ok},
                        {small}, {"nocrc.bin"}, KODRA_ENCODING_YENC});
    }
    {
        Layout layout;
        layout.crc = crcOf(data) ^ 1u;
        rows.push_back({"bad CRC", article(yencSection(data, "crc.bin", layout)), {"crc.bin"}, {failed}, {""},
                        {"crc.bin.incomplete"}, 0});
    }
    {
        Layout layout;
        layout.endSize = 9999;
        rows.push_back({"bad =yend size", article(yencSection(data, "size.bin", layout)), {"size.bin"}, {failed},
                        {""}, {"size.bin.incomplete"}, 0});
    }
    {
        Layout layout;
        layout.beginSize = 10001;
        layout.endSize = 10000;
        rows.push_back({"bad =ybegin size", article(yencSection(data, "bsize.bin", layout)), {"bsize.bin"},
                        {failed}, {""}, {"bsize.bin.incomplete"}, 0});
    }
    {
        Layout layout;
        layout.withEnd = false;
        rows.push_back({"missing =yend", article(yencSection(data, "noend.bin", layout)), {"noend.bin"}, {failed},
                        {""}, {"noend.bin.incomplete"}, 0});
    }
    {
        Layout layout;
        layout.partFields = " part=1 total=3";
        layout.partLine = " begin=1 end=10000";
        layout.beginSize = 30000;
        layout.pcrc = hex(crcOf(data));
        layout.crc = 0x12345678u;
        rows.push_back({"a part of several", article(yencSection(data, "frag.bin", layout)), {"frag.bin"},
                        {failed}, {""}, {"frag.bin.incomplete"}, 0});
    }
    {
        Layout layout;
        layout.partFields = " part=1 total=1";
        layout.partLine = " begin=1 end=10000";
        layout.pcrc = hex(crcOf(data));
        rows.push_back({"the only part", article(yencSection(data, "one.bin", layout)), {"one.bin"}, {ok}, {data},
                        {"one.bin"}, KODRA_ENCODING_YENC});
    }
    {
        Layout layout;
        layout.partFields = " part=1 total=1";
        layout.partLine = " begin=1 end=10000";
        layout.pcrc = hex(crcOf(data) ^ 0x100u);
        rows.push_back({"bad pcrc32", article(yencSection(data, "pcrc.bin", layout)), {"pcrc.bin"}, {failed}, {""},
                        {"pcrc.bin.incomplete"}, 0});
    }
    {
        Layout noEnd;
        noEnd.withEnd = false;
        rows.push_back({"a new =ybegin ends a section without =yend",
                        article(yencSection(data, "a.bin", noEnd) + yencSection(small, "b.bin")),
                        {"a.bin", "b.bin"}, {failed, ok}, {"", small}, {"a.bin.incomplete", "b.bin"},
                        KODRA_ENCODING_YENC});
    }
    rows.push_back({"two sections", article(yencSection(small, "a.bin") + "text\r\n" + yencSection(data, "b.bin")),
                    {"a.bin", "b.bin"}, {ok, ok}, {small, data}, {"a.bin", "b.bin"}, KODRA_ENCODING_YENC});
    {
        const std::string mime =
            "From: a@example.org\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"BB\"\r\n\r\n"
            "--BB\r\nContent-Type: text/plain\r\n\r\nHello.\r\n"
            "--BB\r\nContent-Type: application/octet-stream; name=\"mime.bin\"\r\n"
            "Content-Transfer-Encoding: 8bit\r\n\r\n" +
            yencSection(data, "inner.bin") + "--BB--\r\n";
        rows.push_back({"in a MIME part", mime, {"inner.bin"}, {ok}, {data}, {"inner.bin"}, KODRA_ENCODING_YENC});
        Layout noEnd;
        noEnd.withEnd = false;
        const std::string cut =
            "From: a@example.org\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"BB\"\r\n\r\n"
            "--BB\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: x-yenc\r\n\r\n" +
            yencSection(small, "cut.bin", noEnd) + "--BB\r\nContent-Type: text/plain\r\n\r\nHello.\r\n--BB--\r\n";
        rows.push_back({"a boundary ends a MIME part without =yend", cut, {"cut.bin"}, {failed}, {""},
                        {"cut.bin.incomplete"}, 0});
    }
    return rows;
}

std::string describe(const std::vector<SinkPart>& parts) {
    std::string text;
    for (const SinkPart& part : parts)
        text += "[" + part.name + " encoding " + std::to_string(part.encoding) + " status " +
                std::to_string(part.status) + "]";
    return text;
}

std::string describeWanted(const EngineRow& row, int encoding) {
    std::string text;
    for (std::size_t i = 0; i < row.wantNames.size(); ++i)
        text += "[" + row.wantNames[i] + " encoding " + std::to_string(encoding) + " status " +
                std::to_string(row.wantStatus[i]) + "]";
    return text;
}

void checkSink(const EngineRow& row, const std::vector<SinkPart>& got, const std::string& where) {
    const std::string gotText = describe(got), wantText = describeWanted(row, KODRA_ENCODING_YENC);
    ASSERT_EQ(gotText, wantText) << row.name << ", " << where << ": got " << gotText << ", want " << wantText;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (row.wantStatus[i] != KODRA_PART_DECODED) continue;
        EXPECT_EQ(got[i].data, row.wantData[i]) << row.name << ", " << where << ", part " << i << ": got "
                                                << got[i].data.size() << " bytes, want " << row.wantData[i].size();
    }
}

TEST(YencEngine, SinkGetsPartsAndStatuses) {
    for (const EngineRow& row : engineRows()) {
        KodraContext* context = KodraOpenContext();
        SinkRecord record;
        const KodraSink sink{&record, onBegin, onData, onEnd};
        const int decoded = KodraDecodeMemoryToSink(context, row.message.data(), row.message.size(), &sink);
        KodraCloseContext(context);
        checkSink(row, record.parts, "memory sink");
        int wantDecoded = 0;
        for (const int status : row.wantStatus) wantDecoded += status == KODRA_PART_DECODED ? 1 : 0;
        EXPECT_EQ(decoded, wantDecoded) << row.name << ": got " << decoded << " decoded, want " << wantDecoded;
    }
}

TEST(YencEngine, ListReportsEncodingEight) {
    for (const EngineRow& row : engineRows()) {
        KodraContext* context = KodraOpenContext();
        SinkRecord record;
        const KodraSink sink{&record, onBegin, onData, onEnd};
        const int found = KodraListMemoryParts(context, row.message.data(), row.message.size(), &sink);
        KodraCloseContext(context);
        EXPECT_EQ(found, static_cast<int>(row.wantNames.size())) << row.name;
        ASSERT_EQ(record.parts.size(), row.wantNames.size()) << row.name;
        for (std::size_t i = 0; i < record.parts.size(); ++i) {
            EXPECT_EQ(record.parts[i].name, row.wantNames[i]) << row.name;
            EXPECT_EQ(record.parts[i].encoding, KODRA_ENCODING_YENC)
                << row.name << ": got encoding " << record.parts[i].encoding << ", want 8";
            EXPECT_TRUE(record.parts[i].data.empty()) << row.name;
        }
    }
}

TEST(YencEngine, FolderKeepsFailedOutputOnlyAsIncomplete) {
    for (const EngineRow& row : engineRows()) {
        TempFolder folder;
        const std::string input = folder.file("message.eml");
        writeFile(input, row.message);
        KodraContext* context = KodraOpenContext();
        const int result = KodraDecodeFileTo(context, input.c_str(), folder.path().string().c_str());
        KodraCloseContext(context);
        EXPECT_EQ(result, row.wantFolderResult) << row.name << ": got " << result << ", want "
                                                << row.wantFolderResult;
        std::set<std::string> got = folder.names();
        got.erase("message.eml");
        std::string gotText, wantText;
        for (const std::string& name : got) gotText += "[" + name + "]";
        for (const std::string& name : row.wantFolder) wantText += "[" + name + "]";
        EXPECT_EQ(gotText, wantText) << row.name << ": got " << gotText << ", want " << wantText;
        for (std::size_t i = 0; i < row.wantNames.size(); ++i) {
            if (row.wantStatus[i] != KODRA_PART_DECODED) continue;
            EXPECT_EQ(readFile(folder.file(row.wantNames[i])), row.wantData[i]) << row.name << ", " << i;
        }
    }
}

TEST(YencEngine, IncompleteNameTakenIsNumbered) {
    Layout layout;
    layout.crc = 1;
    const std::string message = article(yencSection(randomBytes(500, 5), "x.bin", layout));
    TempFolder folder;
    const std::string input = folder.file("message.eml");
    writeFile(input, message);
    writeFile(folder.file("x.bin.incomplete"), "older");
    KodraContext* context = KodraOpenContext();
    EXPECT_EQ(KodraDecodeFileTo(context, input.c_str(), folder.path().string().c_str()), 0);
    EXPECT_EQ(KodraDecodeFileTo(context, input.c_str(), folder.path().string().c_str()), 0);
    KodraCloseContext(context);
    const std::set<std::string> want = {"message.eml", "x.bin.incomplete", "x.bin1.incomplete", "x.bin2.incomplete"};
    EXPECT_EQ(folder.names(), want);
    EXPECT_EQ(readFile(folder.file("x.bin.incomplete")), "older");
    EXPECT_EQ(readFile(folder.file("x.bin1.incomplete")).size(), 500u);
}

// The engine at many read sizes, from a file and from memory, with and without the
// decoder's clean-line runs: the same parts, statuses and bytes every way.
TEST(YencEngine, EveryReadSizeGivesTheSameParts) {
    TempFolder folder;
    for (const EngineRow& row : engineRows()) {
        const std::string path = folder.file("read-sizes.eml");
        writeFile(path, row.message);
        for (const std::size_t readSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5},
                                           std::size_t{64}, std::size_t{127}, std::size_t{4096}, std::size_t{0}}) {
            for (const bool inMemory : {false, true}) {
                if (inMemory && readSize != 0) continue;
                SinkRecord record;
                const KodraSink sink{&record, onBegin, onData, onEnd};
                DecodeInput input;
                input.yenc = true;
                input.readSize = readSize;
                if (inMemory) {
                    input.data = row.message.data();
                    input.size = row.message.size();
                    input.inMemory = true;
                } else {
                    input.path = path.c_str();
                }
                DecodeTarget target;
                target.kind = Destination::sink;
                target.sink = &sink;
                platform::UserInterface ui;
                runDecode(ui, std::move(input), target);
                checkSink(row, record.parts,
                          (inMemory ? std::string("memory") : "file at read size " + std::to_string(readSize)));
            }
        }
    }
}

// The classic exports never decode yEnc: a message holding only yEnc is not encoded to them.
TEST(YencEngine, ClassicExportsIgnoreYenc) {
    for (const EngineRow& row : engineRows()) {
        // A MIME part is a raw part to them, as it always was.
        if (row.wantFolderResult != KODRA_ENCODING_YENC || row.message.find("MIME-Version") != std::string::npos)
            continue;
        TempFolder folder;
        const std::string input = folder.file("message.eml");
        writeFile(input, row.message);
        EXPECT_EQ(GetNumFilesToDecode(input.c_str()), 0) << row.name;
        EXPECT_EQ(DecodeFile(input.c_str(), "", 3), 0) << row.name;
        const std::set<std::string> want = {"message.eml"};
        EXPECT_EQ(folder.names(), want) << row.name;
    }
}

}  // namespace
}  // namespace kodra::testing
