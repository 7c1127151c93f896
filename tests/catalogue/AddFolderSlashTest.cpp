#include "catalogue/AddFolderSlash.h"

#include <gtest/gtest.h>

namespace zenor {
namespace {

struct SlashCase {
    const char* in;
    PathStyle style;
    const char* out;
};

class AddFolderSlashTest : public ::testing::TestWithParam<SlashCase> {};

TEST_P(AddFolderSlashTest, GivesThePrefix) {
    const SlashCase& c = GetParam();
    EXPECT_EQ(AddFolderSlash(c.in, c.style), c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddFolderSlashTest,
    ::testing::Values(
        SlashCase{"", PathStyle::Native, ""}, SlashCase{"/", PathStyle::Native, "/"},
        SlashCase{"/data", PathStyle::Native, "/data/"},
        SlashCase{"/data/", PathStyle::Native, "/data/"},
        SlashCase{"Answer", PathStyle::Native, "Answer/"}, SlashCase{"d", PathStyle::Native, "d/"},
        SlashCase{"D:", PathStyle::Native, "D:/"},
        SlashCase{"C:\\Data", PathStyle::Native, "C:\\Data/"},
        SlashCase{"Ответы", PathStyle::Native, "Ответы/"}, SlashCase{"", PathStyle::Windows, ""},
        SlashCase{"C:\\Data", PathStyle::Windows, "C:\\Data\\"},
        SlashCase{"C:\\Data\\", PathStyle::Windows, "C:\\Data\\"},
        SlashCase{"D:", PathStyle::Windows, "D:"}, SlashCase{"d", PathStyle::Windows, "d:\\"},
        SlashCase{"Z", PathStyle::Windows, "Z:\\"}, SlashCase{"1", PathStyle::Windows, "1\\"},
        SlashCase{"Я", PathStyle::Windows, "Я\\"},
        SlashCase{"Answer", PathStyle::Windows, "Answer\\"},
        SlashCase{"/data", PathStyle::Windows, "/data\\"},
        SlashCase{"Ответы\\", PathStyle::Windows, "Ответы\\"}));

TEST(AddFolderSlashDefault, IsNative) {
    EXPECT_EQ(AddFolderSlash("x"), "x/");
}

} // namespace
} // namespace zenor
