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
    };
    for (const Case& c : cases) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%s", c.input);
        EXPECT_EQ(reduceToContentFileName(buffer), c.kept) << c.name;
        EXPECT_STREQ(buffer, c.want) << c.name;
    }
}

}  // namespace
}  // namespace kodra
