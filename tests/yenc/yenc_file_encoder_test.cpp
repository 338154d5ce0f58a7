// KodraEncodeFile: single-part and split yEnc postings read back through their control lines,
// the other types, refusals and the removal of what a failed job wrote.
#include "../encode/encode_test_support.h"
#include "kodra32.h"
#include "yenc_section_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kodra::test {
namespace {

struct ContextCloser {
    void operator()(KodraContext* context) const { KodraCloseContext(context); }
};

class YencFileEncoderTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::unique_ptr<KodraContext, ContextCloser> context{KodraOpenContext()};

    int encode(const std::string& source, const std::string& output, int type, long long partSize) {
        return KodraEncodeFile(context.get(), source.c_str(), output.c_str(), type, partSize);
    }
};

// The path of part `index` (0-based): post.ync, post1.ync, post2.ync, ...
std::string partName(int index) { return index == 0 ? "post.ync" : "post" + std::to_string(index) + ".ync"; }

struct SingleCase {
    const char* name;
    std::size_t size;
};

TEST_F(YencFileEncoderTest, SinglePartCarriesSizeNameAndCrc) {
    const std::vector<SingleCase> cases = {
        {"empty", 0}, {"one byte", 1}, {"one line", 128}, {"many lines", 100000},
    };
    for (const SingleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string content = patternBytes(c.size);
        writeFile(folder.file("data.bin"), content);
        ASSERT_EQ(encode(folder.file("data.bin"), folder.file("post.ync"), KODRA_YENC, 0), 1);
        const ReadSection section = readSection(readFile(folder.file("post.ync")));
        ASSERT_TRUE(section.begin && section.end) << "control lines missing";
        EXPECT_FALSE(section.part) << "a single part has no =ypart line";
        EXPECT_FALSE(section.begin->part) << "a single part has no part number";
        EXPECT_EQ(section.begin->line, 128);
        EXPECT_EQ(section.begin->size, static_cast<long long>(c.size));
        EXPECT_EQ(section.begin->name, "data.bin");
        EXPECT_EQ(section.end->size, static_cast<long long>(c.size));
        EXPECT_EQ(section.end->crc32, crcOfBytes(content));
        EXPECT_FALSE(section.end->pcrc32);
        EXPECT_EQ(section.data, content) << "decoded data differs";
        EXPECT_FALSE(section.trailing);
        EXPECT_FALSE(exists(folder.file("post1.ync"))) << "got a second file";
    }
}

struct SplitCase {
    const char* name;
    std::size_t size;
    long long partSize;
    int parts;
};

TEST_F(YencFileEncoderTest, PartsCarryTheirRangesAndCrcs) {
    const std::vector<SplitCase> cases = {
        {"empty file", 0, 1000, 1},
        {"one byte", 1, 1000, 1},
        {"one short of a part", 999, 1000, 1},
        {"exactly one part", 1000, 1000, 1},
        {"one past a part", 1001, 1000, 2},
        {"many parts", 10 * 1000 + 7, 1000, 11},
        {"parts of one byte", 5, 1, 5},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder own;
        const std::string content = patternBytes(c.size);
        writeFile(own.file("data.bin"), content);
        ASSERT_EQ(KodraEncodeFile(context.get(), own.file("data.bin").c_str(), own.file("post.ync").c_str(),
                                  KODRA_YENC, c.partSize),
                  c.parts);
        std::string joined;
        for (int k = 1; k <= c.parts; ++k) {
            SCOPED_TRACE("part " + std::to_string(k));
            const ReadSection section = readSection(readFile(own.file(partName(k - 1))));
            ASSERT_TRUE(section.begin && section.part && section.end) << "control lines missing";
            const std::size_t begin = static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(c.partSize);
            const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(c.partSize), c.size - begin);
            EXPECT_EQ(section.begin->part, k);
            EXPECT_EQ(section.begin->total, c.parts);
            EXPECT_EQ(section.begin->size, static_cast<long long>(c.size)) << "=ybegin size is the file's";
            EXPECT_EQ(section.begin->name, "data.bin");
            EXPECT_EQ(section.part->begin, static_cast<long long>(begin + 1));
            EXPECT_EQ(section.part->end, static_cast<long long>(begin + length));
            EXPECT_EQ(section.end->size, static_cast<long long>(length)) << "=yend size is the part's";
            EXPECT_EQ(section.end->part, k);
            EXPECT_EQ(section.end->pcrc32, crcOfBytes(content.substr(begin, length)));
            if (k == c.parts) {
                EXPECT_EQ(section.end->crc32, crcOfBytes(content)) << "the last part carries the file's CRC";
            } else {
                EXPECT_FALSE(section.end->crc32);
            }
            EXPECT_EQ(section.data, content.substr(begin, length));
            joined += section.data;
        }
        EXPECT_EQ(joined, content);
        EXPECT_FALSE(exists(own.file(partName(c.parts)))) << "got one file too many";
    }
}

TEST_F(YencFileEncoderTest, OtherTypesWriteTheStandardPartAlone) {
    SetEncodingApplication("Mailer");
    const std::string content = patternBytes(3000);
    writeFile(folder.file("data.bin"), content);
    for (int type = 1; type <= 5; ++type) {
        SCOPED_TRACE("type " + std::to_string(type));
        ASSERT_EQ(EncodeFileEx(folder.file("data.bin").c_str(), folder.file("part.mim").c_str(), "b", type, 0, 1), 1);
        const std::string part = readFile(folder.file("part.mim"));
        const std::string want = part.substr(2, part.size() - 2 - std::string("\r\n--b").size());
        ASSERT_EQ(encode(folder.file("data.bin"), folder.file("alone.txt"), type, 0), 1);
        EXPECT_EQ(readFile(folder.file("alone.txt")), want) << "got another part than EncodeFileEx's";
    }
    SetEncodingApplication(nullptr);
}

struct RefusalCase {
    const char* name;
    bool nullContext;
    bool nullSource;
    bool nullOutput;
    int type;
    long long partSize;
};

TEST_F(YencFileEncoderTest, BadArgumentsWriteNothing) {
    const std::vector<RefusalCase> cases = {
        {"null context", true, false, false, 6, 0},  {"null source", false, true, false, 6, 0},
        {"null output", false, false, true, 6, 0},   {"type 0", false, false, false, 0, 0},
        {"type 7", false, false, false, 7, 0},       {"negative part size", false, false, false, 6, -1},
        {"Base64 in parts", false, false, false, 2, 100},
    };
    writeFile(folder.file("data.bin"), "Hello");
    const std::string source = folder.file("data.bin");
    const std::string output = folder.file("post.ync");
    for (const RefusalCase& c : cases) {
        EXPECT_EQ(KodraEncodeFile(c.nullContext ? nullptr : context.get(), c.nullSource ? nullptr : source.c_str(),
                                  c.nullOutput ? nullptr : output.c_str(), c.type, c.partSize),
                  0)
            << c.name << ": got success, want 0";
        EXPECT_FALSE(exists(output)) << c.name;
    }
    EXPECT_EQ(encode(folder.file("missing.bin"), output, 6, 0), 0) << "missing source";
    EXPECT_FALSE(exists(output));
}

TEST_F(YencFileEncoderTest, NeverWritesIntoItsSource) {
    writeFile(folder.file("data.bin"), patternBytes(3000));
    std::filesystem::create_hard_link(folder.file("data.bin"), folder.file("post1.ync"));
    for (long long partSize : {0LL, 1000LL}) {
        EXPECT_EQ(encode(folder.file("data.bin"), folder.file("data.bin"), 6, partSize), 0)
            << "the source as part 1, parts of " << partSize;
    }
    // Part 2 would be the source through a hard link: refused before anything is written.
    EXPECT_EQ(encode(folder.file("data.bin"), folder.file("post.ync"), 6, 1000), 0);
    EXPECT_FALSE(exists(folder.file("post.ync"))) << "part 1 was written before the refusal";
    EXPECT_EQ(readFile(folder.file("data.bin")), patternBytes(3000)) << "the source changed";
}

#ifndef _WIN32  // symbolic links need a privilege on Windows
TEST_F(YencFileEncoderTest, RefusesLinksAndFoldersAmongThePartNames) {
    writeFile(folder.file("data.bin"), patternBytes(3000));
    writeFile(folder.file("elsewhere.txt"), "keep");
    std::filesystem::create_symlink(folder.file("elsewhere.txt"), folder.file("post2.ync"));
    EXPECT_EQ(encode(folder.file("data.bin"), folder.file("post.ync"), 6, 1000), 0);
    EXPECT_FALSE(exists(folder.file("post.ync")));
    EXPECT_FALSE(exists(folder.file("post1.ync")));
    EXPECT_EQ(readFile(folder.file("elsewhere.txt")), "keep");
    std::filesystem::remove(folder.file("post2.ync"));
    std::filesystem::create_directory(folder.file("post2.ync"));
    EXPECT_EQ(encode(folder.file("data.bin"), folder.file("post.ync"), 6, 1000), 0);
    EXPECT_FALSE(exists(folder.file("post.ync")));
}
#endif

TEST_F(YencFileEncoderTest, FailureRemovesThePartsWritten) {
    // Part 3 is a hard link to part 1's file: it passes the first look, but writing it would
    // destroy part 1, so the job fails after two parts and removes them.
    writeFile(folder.file("data.bin"), patternBytes(3000));
    writeFile(folder.file("post.ync"), "old");
    std::filesystem::create_hard_link(folder.file("post.ync"), folder.file("post2.ync"));
    EXPECT_EQ(encode(folder.file("data.bin"), folder.file("post.ync"), 6, 1000), 0);
    EXPECT_FALSE(exists(folder.file("post.ync"))) << "part 1 was left";
    EXPECT_FALSE(exists(folder.file("post1.ync"))) << "part 2 was left";
}

TEST_F(YencFileEncoderTest, ReplacesExistingParts) {
    writeFile(folder.file("data.bin"), patternBytes(1500));
    writeFile(folder.file("post.ync"), std::string(100000, 'x'));
    writeFile(folder.file("post1.ync"), std::string(100000, 'y'));
    ASSERT_EQ(encode(folder.file("data.bin"), folder.file("post.ync"), 6, 1000), 2);
    EXPECT_EQ(readSection(readFile(folder.file("post.ync"))).data, patternBytes(1000));
    EXPECT_EQ(readSection(readFile(folder.file("post1.ync"))).data, patternBytes(1500).substr(1000));
}

// EncodeFileEx type 6: one single-part section as the body of an "8bit" part.
TEST_F(YencFileEncoderTest, EncodeFileExWritesAYencPart) {
    const std::string content = patternBytes(5000);
    writeFile(folder.file("data.bin"), content);
    for (int flags : {0, 1}) {
        SCOPED_TRACE(flags ? "standard" : "classic");
        ASSERT_EQ(EncodeFileEx(folder.file("data.bin").c_str(), folder.file("part.mim").c_str(), "b", 6, 0, flags), 1);
        const std::string part = readFile(folder.file("part.mim"));
        EXPECT_NE(part.find("\r\nContent-Transfer-Encoding: 8bit\r\n"), std::string::npos);
        const std::size_t start = part.find("\r\n\r\n") + 4;
        const std::size_t end = part.rfind("\r\n--b");
        ASSERT_LT(start, end);
        ASSERT_EQ(part.substr(end), "\r\n--b");
        const ReadSection section = readSection(part.substr(start, end - start));
        ASSERT_TRUE(section.begin && section.end);
        EXPECT_EQ(section.begin->name, "data.bin");
        EXPECT_EQ(section.end->crc32, crcOfBytes(content));
        EXPECT_EQ(section.data, content);
    }
    EXPECT_EQ(EncodeFile(folder.file("data.bin").c_str(), folder.file("never.mim").c_str(), "b", 6, 0), 0)
        << "EncodeFile took type 6";
    EXPECT_FALSE(exists(folder.file("never.mim")));
}

}  // namespace
}  // namespace kodra::test
