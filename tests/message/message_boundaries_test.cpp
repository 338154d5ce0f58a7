#include "message/message_boundaries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra {
namespace {

using Match = MessageBoundaries::Match;

const char* nameOf(Match match) {
    return match == Match::first ? "first" : match == Match::other ? "other" : "none";
}

TEST(MessageBoundaries, FindsDelimiterLines) {
    struct Row {
        const char* name;
        std::vector<std::string> boundaries;
        std::string line;
        Match want;
    };
    const std::vector<Row> rows = {
        {"no boundary known", {}, "--outer", Match::none},
        {"the first boundary", {"outer", "inner"}, "--outer", Match::first},
        {"a later boundary", {"outer", "inner"}, "--inner", Match::other},
        {"closing delimiter", {"outer", "inner"}, "--outer--", Match::first},
        {"trailing blanks", {"outer"}, "--outer  ", Match::first},
        {"boundary not at the line start", {"outer"}, "text --outer", Match::none},
        {"single dash", {"outer"}, "-outer", Match::none},
        {"blank after the dashes", {"outer"}, "-- outer", Match::none},
        {"other text after the dashes", {"outer"}, "--outre", Match::none},
        {"empty line", {"outer"}, "", Match::none},
        {"line shorter than the boundary", {"outer"}, "--out", Match::none},
        {"the earliest of two prefixes wins", {"ab", "a"}, "--abc", Match::first},
        {"a shorter later prefix", {"abc", "a"}, "--ab", Match::other},
        {"a repeated boundary keeps its place", {"x", "outer", "x"}, "--x", Match::first},
        {"case matters", {"Outer"}, "--outer", Match::none},
        {"empty boundary is ignored", {"", "outer"}, "--outer", Match::first},
        {"cut to 128 characters", {std::string(200, 'b')}, "--" + std::string(128, 'b') + "c", Match::first},
    };
    for (const Row& row : rows) {
        MessageBoundaries boundaries;
        for (const std::string& boundary : row.boundaries) boundaries.add(boundary);
        const Match got = boundaries.find(row.line.c_str());
        EXPECT_EQ(got, row.want) << row.name << ": got " << nameOf(got) << ", want " << nameOf(row.want);
    }
}

TEST(MessageBoundaries, KeepsAtMostTheCap) {
    // Each name ends in "-", so that none is a prefix of another's delimiter line.
    const auto name = [](std::size_t i) { return "b" + std::to_string(i) + "-"; };
    MessageBoundaries boundaries;
    for (std::size_t i = 0; i < MessageBoundaries::kMaxCount + 500; ++i) boundaries.add(name(i));
    EXPECT_EQ(boundaries.size(), MessageBoundaries::kMaxCount);
    struct Row {
        const char* name;
        std::string line;
        Match want;
    };
    const Row rows[] = {
        {"the first one", "--" + name(0), Match::first},
        {"the last one kept", "--" + name(MessageBoundaries::kMaxCount - 1), Match::other},
        {"one past the cap is ignored", "--" + name(MessageBoundaries::kMaxCount), Match::none},
    };
    for (const Row& row : rows) {
        const Match got = boundaries.find(row.line.c_str());
        EXPECT_EQ(got, row.want) << row.name << ": got " << nameOf(got) << ", want " << nameOf(row.want);
    }
}

// The work per line is bounded by the line's first characters, not by the number of
// boundaries: the text reader stays linear in the lines of a message.
TEST(MessageBoundaries, WorkPerLineDoesNotGrowWithTheBoundaries) {
    const std::string dashed = "--" + std::string(1000, 'b');
    struct Row {
        const char* name;
        std::string line;
        std::size_t wantAtMost;
    };
    const std::vector<Row> rows = {
        {"line without leading dashes", std::string(1000, 'b'), 0},
        {"dashes in the middle", "text --b1 text", 0},
        {"long line of dashes and text", dashed, MessageBoundaries::kMaxLength},
        {"delimiter of a boundary", "--b7", 2 * MessageBoundaries::kMaxLength},
    };
    for (const std::size_t count : {std::size_t{1}, std::size_t{16}, MessageBoundaries::kMaxCount}) {
        MessageBoundaries boundaries;
        for (std::size_t i = 0; i < count; ++i) boundaries.add("b" + std::to_string(i));
        for (const Row& row : rows) {
            const std::size_t before = boundaries.work();
            boundaries.find(row.line.c_str());
            const std::size_t got = boundaries.work() - before;
            EXPECT_LE(got, row.wantAtMost) << row.name << " with " << count << " boundaries: got " << got
                                           << " steps, want at most " << row.wantAtMost;
        }
    }
}

}  // namespace
}  // namespace kodra
