// Whole runs: the same records and files at every worker count and chunk size, by-hash
// storage, resume, stopping, Maildir and folder inputs, and the memory export.
#include "archive/extract_run.h"

#include "archive_test_messages.h"
#include "kodra32.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kodra {
namespace {

using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

struct RunOutcome {
    ExtractResult result = ExtractResult::cannotStart;
    std::vector<std::string> records;
    std::map<std::string, std::string> files;  // relative path -> bytes
};

std::map<std::string, std::string> filesUnder(const std::string& folder) {
    std::map<std::string, std::string> files;
    if (!std::filesystem::exists(folder)) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), folder).generic_string()] = readFile(entry.path().string());
    return files;
}

RunOutcome run(ExtractSettings settings) {
    RunOutcome outcome;
    settings.record = [&outcome](const std::string& json) { outcome.records.push_back(json); };
    outcome.result = runExtract(settings);
    if (!settings.outputFolder.empty()) outcome.files = filesUnder(settings.outputFolder);
    return outcome;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The value of a string key in a record line, or "null".
std::string valueOf(const std::string& line, const std::string& key) {
    const std::string mark = "\"" + key + "\":";
    const std::size_t at = line.find(mark);
    if (at == std::string::npos) return "(missing)";
    const std::size_t start = at + mark.size();
    if (line[start] != '"') return line.substr(start, line.find_first_of(",}", start) - start);
    return line.substr(start + 1, line.find('"', start + 1) - start - 1);
}

class ExtractRun : public ::testing::Test {
protected:
    void SetUp() override {
        mbox_ = folder_.file("in.mbox");
        writeFile(mbox_, testing::sampleMbox());
    }
    ExtractSettings settings(const std::string& output, bool byHash, int jobs, std::size_t chunk) const {
        ExtractSettings s;
        s.inputs = {mbox_};
        s.outputFolder = output.empty() ? std::string() : folder_.file(output);
        s.byHash = byHash;
        s.jobs = jobs;
        s.chunkSize = chunk;
        return s;
    }
    TempFolder folder_;
    std::string mbox_;
};

TEST_F(ExtractRun, SameRecordsAndFilesAtEveryWorkerCount) {
    for (const bool byHash : {false, true}) {
        const RunOutcome reference = run(settings(byHash ? "h1" : "f1", byHash, 1, kDefaultChunkSize));
        ASSERT_EQ(reference.result, ExtractResult::someFailed) << "the truncated message fails";
        ASSERT_FALSE(reference.records.empty());
        int run_number = 0;
        for (const int jobs : {1, 2, 4}) {
            for (const std::size_t chunk : {std::size_t{1}, std::size_t{64}, std::size_t{700}}) {
                const std::string output = (byHash ? "h" : "f") + std::to_string(++run_number) + "x";
                const RunOutcome got = run(settings(output, byHash, jobs, chunk));
                EXPECT_EQ(got.records, reference.records)
                    << "by hash " << byHash << ", jobs " << jobs << ", chunk " << chunk << ": got "
                    << got.records.size() << " records, want " << reference.records.size();
                EXPECT_EQ(got.files, reference.files)
                    << "by hash " << byHash << ", jobs " << jobs << ", chunk " << chunk << ": got "
                    << got.files.size() << " files, want " << reference.files.size();
            }
        }
    }
}

TEST_F(ExtractRun, RecordsOfTheSampleMbox) {
    const RunOutcome got = run(settings("out", false, 2, 64));
    struct Want {
        const char* name;
        std::string offset, part, path, status;
    };
    const std::string m1 = "in.mbox/000000000000-mixed.1@example.org/";
    const std::vector<Want> want = {
        {"report.pdf", "0", "0", m1 + "report.pdf", "decoded"},
        {"été.txt", "0", "1", m1 + "été.txt", "decoded"},
        {"data.bin", "", "0", "", "decoded"},
        {"(no parts)", "", "null", "null", "empty"},
        {"copy.pdf", "", "0", "", "decoded"},
        {"cut.bin", "", "0", "", ""},
    };
    ASSERT_EQ(got.records.size(), want.size()) << "got " << got.records.size() << " records";
    for (std::size_t i = 0; i < want.size(); ++i) {
        const std::string& line = got.records[i];
        if (!want[i].offset.empty()) {
            EXPECT_EQ(valueOf(line, "offset"), want[i].offset) << want[i].name << ": got " << line;
        }
        EXPECT_EQ(valueOf(line, "part"), want[i].part) << want[i].name << ": got " << line;
        if (!want[i].path.empty()) {
            EXPECT_EQ(valueOf(line, "path"), want[i].path) << want[i].name << ": got " << line;
        }
        if (!want[i].status.empty()) {
            EXPECT_EQ(valueOf(line, "status"), want[i].status) << want[i].name << ": got " << line;
        } else {
            EXPECT_NE(valueOf(line, "status"), "decoded") << want[i].name << ": got " << line;
        }
    }
    EXPECT_EQ(readFile(folder_.file("out/" + m1 + "report.pdf")), "hello pdf\n");
    // The mboxrd quoted line of the plain message is unquoted, and offsets are of "From " lines.
    const std::string mbox = testing::sampleMbox();
    EXPECT_EQ(valueOf(got.records[2], "offset"), std::to_string(mbox.find("From bob@")))
        << "got " << got.records[2];
}

TEST_F(ExtractRun, ByHashStoresDuplicatesOnce) {
    const RunOutcome got = run(settings("out", true, 2, 64));
    const std::string pdfPath = "4a/" + std::string(testing::kPdfSha);
    int pdfRecords = 0;
    for (const std::string& line : got.records)
        if (valueOf(line, "path") == pdfPath) ++pdfRecords;
    EXPECT_EQ(pdfRecords, 2) << "got " << pdfRecords << " records of the PDF, want 2";
    ASSERT_EQ(got.files.count(pdfPath), 1u) << "the PDF is not stored under its hash";
    EXPECT_EQ(got.files.at(pdfPath), "hello pdf\n");
    // Nothing but "ab/<sha256>" files: no temporary file is left.
    for (const auto& file : got.files)
        EXPECT_TRUE(file.first.size() == 3 + 64 && file.first.compare(0, 2, file.first, 3, 2) == 0)
            << "got a stray file " << file.first;
}

TEST_F(ExtractRun, ResumeWritesNoRecordTwice) {
    ExtractSettings first = settings("out", true, 2, 64);
    first.manifestPath = folder_.file("manifest.jsonl");
    const RunOutcome once = run(first);
    const std::vector<std::string> afterFirst = linesOf(readFile(first.manifestPath));
    EXPECT_EQ(afterFirst, once.records) << "the manifest holds the records handed on";

    ExtractSettings again = first;
    again.resume = true;
    const RunOutcome twice = run(again);
    EXPECT_TRUE(twice.records.empty()) << "got " << twice.records.size() << " records on the rerun, want none";
    EXPECT_EQ(linesOf(readFile(first.manifestPath)), afterFirst) << "the manifest changed on the rerun";
}

TEST_F(ExtractRun, StopKeepsWholeMessagesAndResumeCompletes) {
    const RunOutcome whole = run(settings("", false, 1, 1));
    for (const int stopAfter : {1, 2, 3}) {
        ExtractSettings stopping = settings("", false, 2, 1);
        stopping.manifestPath = folder_.file("manifest" + std::to_string(stopAfter) + ".jsonl");
        int calls = 0;
        stopping.progress = [&calls, stopAfter](const ExtractProgress&) { return ++calls < stopAfter; };
        const RunOutcome stopped = run(stopping);
        EXPECT_EQ(stopped.result, ExtractResult::stopped) << "stop after " << stopAfter;
        // Every record kept is the whole run's, in order, and each message's records are all there.
        const std::vector<std::string> kept = linesOf(readFile(stopping.manifestPath));
        ASSERT_LE(kept.size(), whole.records.size());
        for (std::size_t i = 0; i < kept.size(); ++i)
            EXPECT_EQ(kept[i], whole.records[i]) << "stop after " << stopAfter << ", record " << i;
        if (!kept.empty() && kept.size() < whole.records.size()) {
            EXPECT_NE(valueOf(whole.records[kept.size()], "offset"), valueOf(kept.back(), "offset"))
                << "stop after " << stopAfter << ": a message was cut";
        }

        ExtractSettings resumed = stopping;
        resumed.progress = nullptr;
        resumed.resume = true;
        run(resumed);
        EXPECT_EQ(linesOf(readFile(stopping.manifestPath)), whole.records) << "stop after " << stopAfter;
    }
}

TEST_F(ExtractRun, MaildirFolderAndUnreadableFile) {
    const std::string maildir = folder_.file("box");
    for (const char* sub : {"/cur", "/new", "/tmp"}) std::filesystem::create_directories(maildir + sub);
    writeFile(maildir + "/cur/1.a:2,S", testing::kUuMessage);
    writeFile(maildir + "/new/2.b", testing::kPlainMessage);
    const std::string loose = folder_.file("loose");
    std::filesystem::create_directories(loose + "/deep");
    writeFile(loose + "/deep/m.eml", testing::kMixedMessage);
    writeFile(loose + "/locked.eml", testing::kUuMessage);
    std::filesystem::permissions(loose + "/locked.eml", std::filesystem::perms::none);
    const bool rootReads = !readFile(loose + "/locked.eml").empty();

    ExtractSettings s;
    s.inputs = {maildir, loose};
    s.outputFolder = folder_.file("out");
    s.jobs = 2;
    const RunOutcome got = run(s);
    std::vector<std::string> places;
    for (const std::string& line : got.records)
        places.push_back(valueOf(line, "input").substr(valueOf(line, "input").find_last_of("/\\") + 1) + " " +
                         valueOf(line, "offset") + " " + valueOf(line, "file") + " " + valueOf(line, "status"));
    std::vector<std::string> want = {"box null cur/1.a:2,S decoded", "box null new/2.b empty",
                                     "loose null deep/m.eml decoded", "loose null deep/m.eml decoded",
                                     rootReads ? "loose null locked.eml decoded" : "loose null locked.eml failed"};
    EXPECT_EQ(places, want);
    EXPECT_EQ(got.result, rootReads ? ExtractResult::allDecoded : ExtractResult::someFailed);
    EXPECT_EQ(readFile(folder_.file("out/box/cur_1.a_2_S-uu.2@example.org/data.bin")), "abc");
}

// KodraExtractMemory gives the records and bytes KodraExtract gives with byHash.
TEST_F(ExtractRun, MemoryExportEqualsByHashRecords) {
    const RunOutcome byHash = run(settings("out", true, 2, 64));
    const std::string mbox = testing::sampleMbox();
    KodraContext* context = KodraOpenContext();
    ASSERT_NE(context, nullptr);
    struct Got {
        std::vector<std::string> records;
        std::map<std::string, std::string> files;
    } got;
    const int messages = KodraExtractMemory(
        context, mbox.data(), mbox.size(), mbox_.c_str(), 0, 1, &got,
        [](void* self, const char* json, size_t jsonSize, const void* bytes, size_t size) {
            auto& into = *static_cast<Got*>(self);
            into.records.emplace_back(json, jsonSize);
            const std::string path = valueOf(into.records.back(), "path");
            if (path != "null") into.files[path] = std::string(static_cast<const char*>(bytes), size);
        });
    KodraCloseContext(context);
    EXPECT_EQ(messages, 5);
    EXPECT_EQ(got.records, byHash.records);
    EXPECT_EQ(got.files, byHash.files);
}

// KodraExtractMemoryByHash stores what KodraExtract stores with byHash, whether the archive
// comes as one block or in blocks cut at "From " lines, and a second pass into the same
// folder (another worker's copy) keeps the files and leaves no temporary file behind.
TEST_F(ExtractRun, MemoryByHashExportStoresWhatByHashStores) {
    const RunOutcome byHash = run(settings("out", true, 1, 64));
    const std::string mbox = testing::sampleMbox();
    std::size_t cut = mbox.find("\nFrom ", mbox.find("\nFrom ") + 1) + 1;
    ASSERT_NE(cut, std::string::npos + 1);
    struct Row {
        const char* name;
        std::vector<std::size_t> cuts;  // block starts after 0
        int passes;
    } rows[] = {{"one_block", {}, 1}, {"two_blocks", {cut}, 1}, {"two_passes", {cut}, 2}};
    for (const Row& row : rows) {
        const std::string folder = folder_.file(std::string("mem-") + row.name);
        KodraContext* context = KodraOpenContext();
        std::vector<std::string> records;
        int messages = 0;
        for (int pass = 0; pass < row.passes; ++pass) {
            records.clear();
            messages = 0;
            std::vector<std::size_t> starts{0};
            starts.insert(starts.end(), row.cuts.begin(), row.cuts.end());
            starts.push_back(mbox.size());
            for (std::size_t i = 0; i + 1 < starts.size(); ++i)
                messages += KodraExtractMemoryByHash(
                    context, mbox.data() + starts[i], starts[i + 1] - starts[i], mbox_.c_str(),
                    static_cast<long long>(starts[i]), 1, folder.c_str(), &records,
                    [](void* self, const char* json, size_t size) {
                        static_cast<std::vector<std::string>*>(self)->emplace_back(json, size);
                    });
        }
        KodraCloseContext(context);
        EXPECT_EQ(messages, 5) << row.name;
        EXPECT_EQ(records, byHash.records) << row.name;
        EXPECT_EQ(filesUnder(folder), byHash.files) << row.name;
    }
}

TEST(ExtractExports, NullArguments) {
    KodraContext* context = KodraOpenContext();
    const char* inputs[] = {"x"};
    KodraExtractOptions options{};
    struct Row {
        const char* name;
        int got;
    } rows[] = {
        {"null context", KodraExtract(nullptr, inputs, 1, nullptr, &options)},
        {"null options", KodraExtract(context, inputs, 1, nullptr, nullptr)},
        {"no inputs", KodraExtract(context, inputs, 0, nullptr, &options)},
        {"memory without callback", KodraExtractMemory(context, "", 0, "x", 0, 1, nullptr, nullptr)},
        {"by hash without callback", KodraExtractMemoryByHash(context, "", 0, "x", 0, 1, ".", nullptr, nullptr)},
        {"by hash without folder",
         KodraExtractMemoryByHash(context, "", 0, "x", 0, 1, nullptr, nullptr, [](void*, const char*, size_t) {})},
        {"read without callback", KodraReadArchive(context, "x", nullptr, nullptr)},
    };
    for (const Row& row : rows) EXPECT_EQ(row.got, -1) << row.name << ": got " << row.got << ", want -1";
    KodraCloseContext(context);
}

TEST_F(ExtractRun, ReadArchiveHandsEveryMessage) {
    KodraContext* context = KodraOpenContext();
    std::vector<long long> offsets;
    const int count = KodraReadArchive(context, mbox_.c_str(), &offsets,
                                       [](void* self, const char*, long long offset, const void*, size_t) {
                                           static_cast<std::vector<long long>*>(self)->push_back(offset);
                                           return 1;
                                       });
    KodraCloseContext(context);
    const std::string mbox = testing::sampleMbox();
    std::vector<long long> want;
    for (std::size_t at = 0; (at = mbox.find("From ", at)) != std::string::npos; at += 5)
        if (at == 0 || mbox[at - 1] == '\n') want.push_back(static_cast<long long>(at));
    EXPECT_EQ(count, 5);
    EXPECT_EQ(offsets, want);
}

}  // namespace
}  // namespace kodra
