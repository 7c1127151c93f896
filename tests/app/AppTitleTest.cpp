#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>

#include "app/AppTitle.h"

namespace {

struct TitleCase {
    const char* path;
    const char* title;
};

class AppTitleFromPathTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(AppTitleFromPathTest, CutsAtFirstDotAndLowersAllButTheFirstLetter) {
    const TitleCase& c = GetParam();
    EXPECT_EQ(AppTitleFromPath(QString::fromUtf8(c.path)).toStdString(), c.title);
}

INSTANTIATE_TEST_SUITE_P(Names, AppTitleFromPathTest,
                         ::testing::Values(TitleCase{"/opt/check/Viewer.Main", "Viewer"},
                                           TitleCase{"/opt/check/REVIEW", "Review"},
                                           TitleCase{"/usr/bin/zenor", "zenor"},
                                           TitleCase{"/a.b/ZENOR.bin.old", "Zenor"},
                                           TitleCase{"/srv/ПРОВЕРКА", "Проверка"},
                                           TitleCase{"/srv/ÉCOLE.x", "École"},
                                           TitleCase{"/srv/ÑANDÚ", "Ñandú"},
                                           TitleCase{"/x/.hidden", ""}, TitleCase{"Plain", "Plain"},
                                           TitleCase{"", ""}, TitleCase{"/srv/𝐀BC", "𝐀bc"}));

TEST(AppTitleTest, ComesFromTheRunningProgramFile) {
    // The tests' own program file stands in for the program's.
    const QString exe = QCoreApplication::applicationFilePath();
    EXPECT_EQ(ProgramFilePath(), QFileInfo(exe).canonicalFilePath());
    EXPECT_EQ(AppTitle(), AppTitleFromPath(exe));
    EXPECT_EQ(AppTitle(), QStringLiteral("tests_app")) << "the first letter is kept as it is";
}

} // namespace
