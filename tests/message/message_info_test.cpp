#include "kodra32.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

using Fields = std::array<std::optional<std::string>, 9>;

class MessageInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 (std::string("kodra-info-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string write(const std::string& bytes) {
        const fs::path path = folder / ("message" + std::to_string(++count) + ".eml");
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    static Fields read(const std::string& path, int* result = nullptr) {
        MessageInfoRecord record;
        const int got = GetMessageInfo(path.c_str(), &record);
        if (result) *result = got;
        Fields fields;
        const char* values[] = {record.received, record.from, record.to, record.subject, record.date,
                                record.cc, record.replyTo, record.organization, record.headerBlock};
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (values[i]) fields[i] = values[i];
        FreeMessageInfo(&record);
        EXPECT_EQ(record.from, nullptr) << "FreeMessageInfo clears the fields";
        FreeMessageInfo(&record);  // twice is harmless
        return fields;
    }

    fs::path folder;
    int count = 0;
};

constexpr std::size_t kReceived = 0, kFrom = 1, kTo = 2, kSubject = 3, kDate = 4, kCc = 5, kReplyTo = 6,
                      kOrganization = 7, kHeaderBlock = 8;

TEST_F(MessageInfoTest, Headers) {
    struct Case {
        const char* name;
        std::string message;
        std::size_t field;
        std::optional<std::string> want;
    };
    const Case cases[] = {
        {"capitals and blanks after the colon", "FROM:   Ann <ann@example.org>\r\n\r\nbody", kFrom,
         "Ann <ann@example.org>"},
        {"reply-to with a capital T", "Reply-To: bob@example.org\r\n", kReplyTo, "bob@example.org"},
        {"subject without a blank", "Subject:Hi\r\n", kSubject, "Hi"},
        {"trailing blanks stay", "Subject: Hi  \r\n", kSubject, "Hi  "},
        {"folded subject drops one blank", "Subject: Hello\r\n  World\r\n", kSubject, "Hello World"},
        {"folded address list", "To: a@example.org,\r\n\tb@example.org\r\n", kTo, "a@example.org,b@example.org"},
        {"first from wins", "From: first\r\nFrom: second\r\n more\r\n", kFrom, "first"},
        {"cc and organization", "Cc: c@example.org\nOrganization: Kodra\n", kOrganization, "Kodra"},
        {"cc", "Cc: c@example.org\nOrganization: Kodra\n", kCc, "c@example.org"},
        {"date as text", "Date: Mon, 10 Dec 2001 10:00:00 -0500\n", kDate, "Mon, 10 Dec 2001 10:00:00 -0500"},
        {"mailbox separator is not a header", "From ann@example.org Mon Dec 10\nFrom: ann\n", kHeaderBlock,
         "From ann@example.org Mon Dec 10"},
        {"headers after the blank line are body", "Subject: a\n\nFrom: b\n", kFrom, std::nullopt},
        {"encoded word in a subject", "Subject: =?ISO-8859-1?Q?Caf=E9?=\n", kSubject, "Caf\xE9"},
        {"message-id is not recognised", "Message-ID: <x@y>\nTo: t\n", kHeaderBlock, "Message-ID: <x@y>"},
        {"lf-only line ends", "Subject: plain\nTo: t\n", kSubject, "plain"},
    };
    for (const Case& c : cases) {
        const Fields fields = read(write(c.message));
        EXPECT_EQ(fields[c.field], c.want) << c.name;
    }
}

TEST_F(MessageInfoTest, DeliveryLinesAndReceivingTime) {
    struct Case {
        const char* name;
        std::string message;
        std::optional<std::string> wantReceived;
        std::optional<std::string> wantBlock;
    };
    const Case cases[] = {
        {"date after the semicolon on a continuation line",
         "Return-Path: <a@b>\r\nReceived: from x by y\r\n\t; Mon, 10 Dec 2001 10:00:00 -0500\r\nFrom: a\r\n",
         "Mon, 10 Dec 2001 10:00:00 -0500",
         "Return-Path: <a@b>\r\nReceived: from x by y\r\n\t; Mon, 10 Dec 2001 10:00:00 -0500"},
        {"taken when the semicolon first joins",
         "Return-Path: <a@b>\r\nReceived: from x by y;\r\n\tMon, 10 Dec 2001\r\nFrom: a\r\n", "",
         "Return-Path: <a@b>\r\nReceived: from x by y;\r\n\tMon, 10 Dec 2001"},
        {"a single delivery line is never searched", "Received: by y; Mon, 10 Dec 2001\r\nFrom: a\r\n",
         std::nullopt, "Received: by y; Mon, 10 Dec 2001"},
        {"searched when a second line joins", "Received: by y; Mon\r\nX-Other: z\r\nFrom: a\r\n",
         "Mon\r\nX-Other: z", "Received: by y; Mon\r\nX-Other: z"},
        {"no recognised header drops the block", "Received: a\r\nReceived: b; now\r\n\r\nbody\r\n", "now",
         std::nullopt},
    };
    for (const Case& c : cases) {
        const Fields fields = read(write(c.message));
        EXPECT_EQ(fields[kReceived], c.wantReceived) << c.name;
        EXPECT_EQ(fields[kHeaderBlock], c.wantBlock) << c.name;
    }
}

TEST_F(MessageInfoTest, EmptyFirstLineAndMissingFile) {
    int result = -1;
    const Fields empty = read(write("\r\nFrom: late\r\n"), &result);
    EXPECT_EQ(result, 1);
    for (const auto& field : empty) EXPECT_FALSE(field.has_value());

    const Fields missing = read((folder / "absent.eml").string(), &result);
    EXPECT_EQ(result, 0);
    for (const auto& field : missing) EXPECT_FALSE(field.has_value());
}

TEST_F(MessageInfoTest, LongFoldedValuesAreKeptUpToTheCap) {
    constexpr std::size_t kCap = std::size_t{1} << 20;
    struct Case {
        const char* name;
        int folds;
        std::size_t wantSize;
    };
    const Case cases[] = {
        {"20 000 characters, whole", 200, 5 + 200 * 100u},
        {"just below the cap, whole", 10485, 5 + 10485 * 100u},
        {"beyond the cap, cut", 20000, kCap},
    };
    for (const Case& c : cases) {
        std::string message = "Subject: start";
        std::string want = "start";
        for (int i = 0; i < c.folds; ++i) {
            const std::string fold(100, static_cast<char>('a' + i % 26));
            message += "\r\n " + fold;
            want += fold;
        }
        const Fields fields = read(write(message + "\r\n\r\n"));
        ASSERT_TRUE(fields[kSubject]) << c.name;
        EXPECT_EQ(fields[kSubject]->size(), c.wantSize) << c.name;
        EXPECT_EQ(*fields[kSubject], want.substr(0, c.wantSize)) << c.name << ": the value's start is exact";
    }
}

// Lines are taken whole: a long line was once cut into 1023-character pieces, the rest
// of the line then read as a line of its own.
TEST_F(MessageInfoTest, LongLinesAreTakenWhole) {
    for (const std::size_t length : {std::size_t{1023}, std::size_t{1024}, std::size_t{2000}, std::size_t{100000}}) {
        std::string subject(length - 9, 's');  // the line "Subject: ..." is length characters
        if (length > 1032) subject.replace(1014, 9, "From: end");  // a cut there once made this a header
        const std::string received = "by relay; " + std::string(length, 'r');
        const Fields fields = read(write("Received: " + received + "\r\nX: y\r\nSubject: " + subject +
                                         "\r\n more\r\nTo: " + std::string(length, 't') + "\r\n\r\n"));
        const std::string row = std::to_string(length) + " characters";
        EXPECT_EQ(fields[kSubject], subject + "more") << row << ": got " << fields[kSubject].value_or("absent").size()
                                                     << " characters";
        EXPECT_FALSE(fields[kFrom]) << row << ": got a From field, want none";
        EXPECT_EQ(fields[kTo], std::string(length, 't')) << row;
        EXPECT_EQ(fields[kReceived], std::string(length, 'r') + "\r\nX: y") << row;
        EXPECT_EQ(fields[kHeaderBlock], "Received: " + received + "\r\nX: y") << row;
    }
}

TEST_F(MessageInfoTest, HeaderFieldIntoABuffer) {
    const std::string path = write("Subject: Hello World\r\nFrom: ann\r\n\r\n");
    struct Case {
        const char* name;
        int length;
        unsigned selector;
        int wantResult;
        std::string wantText;
    };
    const Case cases[] = {
        {"whole value", 64, 3, 1, "Hello World"},
        {"cut to length - 1", 5, 3, 1, "Hell"},
        {"absent field", 64, 5, 1, ""},
        {"unknown selector", 64, 9, 1, ""},
        {"length 1", 1, 3, 0, "untouched"},
    };
    for (const Case& c : cases) {
        char buffer[64] = "untouched";
        EXPECT_EQ(GetMessageHeaderField(path.c_str(), buffer, c.length, c.selector), c.wantResult) << c.name;
        EXPECT_EQ(std::string(buffer), c.wantText) << c.name;
    }
    char buffer[16] = "untouched";
    EXPECT_EQ(GetMessageHeaderField((folder / "absent").string().c_str(), buffer, 16, 1), 0);
    EXPECT_STREQ(buffer, "untouched");
}

}  // namespace

namespace {

TEST_F(MessageInfoTest, DeliveryBlockFoldedOverManyLinesStillFindsTheFirstSemicolon) {
    std::string message = "Received: from a by b\r\n";
    for (int i = 0; i < 100000; ++i) message += "\tvia relay\r\n";
    message += "\t; Mon, 10 Dec 2001 10:00:00 -0500\r\n\t; later\r\nFrom: a\r\n\r\n";
    const Fields fields = read(write(message));
    EXPECT_EQ(fields[kReceived], "Mon, 10 Dec 2001 10:00:00 -0500");
}

}  // namespace
