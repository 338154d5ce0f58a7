#include "frame/file_names.h"

#include <gtest/gtest.h>

#include <string>

namespace kodra {
namespace {

TEST(MakeSafeFileName, CleansOnlyTheLastComponent) {
    struct Case {
        const char* name;
        const char* path;
        const char* want;
    };
    const Case cases[] = {
        {"colon and question mark", "/tmp/in:box/what?.txt", "/tmp/in:box/what_.txt"},
        {"blank before the extension", "/tmp/my file .txt", "/tmp/my file_.txt"},
#ifdef _WIN32
        {"every unsafe character", "\\d\\a|b*c\"d<e>f:g?h", "\\d\\a_b_c_d_e_f_g_h"},
#else
        {"every unsafe character", "/d/a|b*c\"d<e>f\\g", "/d/a_b_c_d_e_f_g"},
#endif
        {"directory holding a colon stays", "/c:/x y/ok.bin", "/c:/x y/ok.bin"},
        {"trailing separator", "/tmp/dir/", "/tmp/dir/"},
        {"bare name becomes doc1.doc", "report.pdf", "doc1.doc"},
    };
    for (const Case& c : cases) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%s", c.path);
        makeSafeFileName(buffer);
        EXPECT_STREQ(buffer, c.want) << c.name;
    }
}

TEST(ReduceToContentFileName, KeepsOnlyTheLastComponent) {
    struct Case {
        const char* name;
        const char* input;
        const char* want;
        bool kept;
    };
    const Case cases[] = {
        {"plain", "photo.jpg", "photo.jpg", true},
        {"parent escape", "../../etc/passwd", "passwd", true},
        {"absolute", "/etc/cron.d/job", "job", true},
        {"windows path", "C:\\Windows\\evil.dll", "evil.dll", true},
        {"mixed separators", "a/b\\c/d.txt", "d.txt", true},
        {"dot", ".", "_", true},
        {"dot dot", "x/..", "_.", true},
        {"ends in separator", "dir/", "", false},
        {"empty", "", "", false},
        {"semicolon, the name-list separator", "a;b.txt", "a_b.txt", true},
        {"semicolon after a path", "x/;;", "__", true},
        {"escape sequence", "\x1b[31mred\x1b[0m.txt", "_[31mred_[0m.txt", true},
        {"bell, backspace, tab", "a\a\b\tb.bin", "a___b.bin", true},
        {"carriage return and line feed", "fake\r\nname.bin", "fake__name.bin", true},
        {"delete", "a\x7f.bin", "a_.bin", true},
        {"first and last control codes", "\x01\x1f", "__", true},
        {"blank and bytes above 127 stay", "r\xc3\xa9sum\xc3\xa9 1.pdf", "r\xc3\xa9sum\xc3\xa9 1.pdf", true},
        {"control dot dot is no parent", "\x01..", "_..", true},
    };
    for (const Case& c : cases) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%s", c.input);
        EXPECT_EQ(reduceToContentFileName(buffer), c.kept) << c.name;
        EXPECT_STREQ(buffer, c.want) << c.name << ": got \"" << buffer << "\", want \"" << c.want << "\"";
    }
}

}  // namespace
}  // namespace kodra
