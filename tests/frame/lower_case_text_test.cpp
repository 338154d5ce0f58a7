#include "frame/lower_case_text.h"

#include <gtest/gtest.h>

namespace kodra {
namespace {

TEST(LowerCaseText, OnlyAsciiLetters) {
    char text[] = "Content-Type: TEXT/Plain \xC4\xE9 [Z]@";
    lowerCaseText(text);
    EXPECT_STREQ(text, "content-type: text/plain \xC4\xE9 [z]@");
}

}  // namespace
}  // namespace kodra
