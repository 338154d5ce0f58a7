#include "frame/name_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra {
namespace {

TEST(NameList, EmptyTextsAreNotAdded) {
    NameList list;
    EXPECT_EQ(list.add("a"), 1);
    EXPECT_EQ(list.add(""), 1);
    EXPECT_EQ(list.add("bc"), 1);
    EXPECT_EQ(list.count(), 2);
    EXPECT_STREQ(list.getAt(0), "a");
    EXPECT_STREQ(list.getAt(1), "bc");
    EXPECT_EQ(list.getAt(2), nullptr);
    EXPECT_EQ(list.getAt(-1), nullptr);
}

TEST(NameList, EmptyListHasNothing) {
    NameList list;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.capacity(), NameList::kStep);
    EXPECT_EQ(list.getAt(0), nullptr);
    EXPECT_EQ(list.getAt(-1), nullptr);
}

TEST(NameList, GrowsInStepsAndKeepsEveryText) {
    NameList list;
    std::vector<std::string> added;
    for (int i = 0; i < 300; ++i) {  // about 3000 bytes: several growth steps
        added.push_back("boundary-" + std::to_string(i));
        ASSERT_EQ(list.add(added.back().c_str()), 1);
    }
    EXPECT_EQ(list.count(), 300);
    EXPECT_EQ(list.capacity() % NameList::kStep, 0);
    EXPECT_GT(list.capacity(), 2 * NameList::kStep);
    for (int i = 0; i < 300; ++i) EXPECT_EQ(list.getAt(i), added[static_cast<std::size_t>(i)]) << "index " << i;

    // Sequential walk sees the same texts in order.
    int index = 0;
    for (const char* text = list.getAt(0); text; text = list.next(text), ++index)
        EXPECT_EQ(text, added[static_cast<std::size_t>(index)]);
    EXPECT_EQ(index, 300);
}

TEST(NameList, TextLongerThanOneStepGrowsByAsManyStepsAsNeeded) {
    NameList list;
    ASSERT_EQ(list.add("first"), 1);
    const std::string longText(3000, 'n');
    ASSERT_EQ(list.add(longText.c_str()), 1);
    EXPECT_GE(list.capacity(), 3 * NameList::kStep + 0);
    EXPECT_STREQ(list.getAt(0), "first");
    EXPECT_EQ(list.getAt(1), longText);
    ASSERT_EQ(list.add("after"), 1);
    EXPECT_STREQ(list.getAt(2), "after");
}

// Growth is counted, not timed: the block must at least double when it grows, so that
// n texts are copied O(n) bytes in all, and every entry is found directly by its index.
TEST(NameList, GrowsGeometrically) {
    struct Case {
        const char* name;
        int texts;
        std::size_t length;
        int maxGrowths;  // log2 of the final block in steps, and one
    };
    const Case cases[] = {
        {"ten thousand paths", 10000, 60, 11},
        {"hundred thousand short names", 100000, 8, 11},
        {"few long texts", 50, 5000, 9},
    };
    for (const Case& c : cases) {
        NameList list;
        int growths = 0;
        int smallGrowths = 0;  // growths to less than twice the block
        long long copied = 0;  // bytes a growth copies: the block in use before it
        int capacity = list.capacity();
        for (int i = 0; i < c.texts; ++i) {
            std::string text = std::to_string(i);
            text.resize(c.length, 'x');
            ASSERT_EQ(list.add(text.c_str()), 1) << c.name << ", text " << i;
            if (list.capacity() != capacity) {
                ++growths;
                copied += capacity;
                if (list.capacity() < 2 * capacity) ++smallGrowths;
                capacity = list.capacity();
            }
        }
        const long long stored = static_cast<long long>(c.texts) * static_cast<long long>(c.length + 1);
        EXPECT_EQ(smallGrowths, 0) << c.name << ": got " << smallGrowths << " growths to less than double";
        EXPECT_LE(growths, c.maxGrowths) << c.name << ": got " << growths << " growths";
        EXPECT_LE(copied, 2 * stored + NameList::kStep) << c.name << ": got " << copied << " bytes copied";
        EXPECT_EQ(list.capacity() % NameList::kStep, 0) << c.name;
        for (const int index : {0, c.texts / 2, c.texts - 1}) {
            std::string want = std::to_string(index);
            want.resize(c.length, 'x');
            EXPECT_EQ(list.getAt(index), want) << c.name << ", index " << index;
        }
        EXPECT_EQ(list.getAt(c.texts), nullptr) << c.name;
    }
}

TEST(NameList, ResetEmptiesAndShrinks) {
    NameList list;
    for (int i = 0; i < 500; ++i) list.add("some text");
    list.reset();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.capacity(), NameList::kStep);
    EXPECT_EQ(list.getAt(0), nullptr);
    EXPECT_EQ(list.add("again"), 1);
    EXPECT_STREQ(list.getAt(0), "again");
}

TEST(NameList, ReleaseIsHarmlessTwiceAndResetRevives) {
    NameList list;
    list.add("x");
    list.release();
    list.release();
    EXPECT_FALSE(list.holdsBlock());
    EXPECT_EQ(list.getAt(0), nullptr);
    EXPECT_EQ(list.add("y"), 0) << "a released list holds no block to add to";
    list.reset();
    EXPECT_EQ(list.add("y"), 1);
    EXPECT_STREQ(list.getAt(0), "y");
}

}  // namespace
}  // namespace kodra
