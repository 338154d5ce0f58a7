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
