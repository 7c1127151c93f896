#include "app/DefaultFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

namespace {

// An installation prefix with the program in bin/; rows name what else exists.
struct FolderCase {
    const char* layout;           // also the test's name
    bool answerBesideProgram;     // bin/Answer/ is a folder
    bool answerFileBesideProgram; // bin/Answer is a plain file
    bool installedWorks;          // share/zenor/Answer/ is a folder
    const char* expected;         // relative to the prefix
};

class DefaultFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(DefaultFolderTest, BesideTheProgramElseTheInstalledDemoWorks) {
    const FolderCase& c = GetParam();
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    QDir root(prefix.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("bin")));
    if (c.answerBesideProgram) {
        ASSERT_TRUE(root.mkpath(QStringLiteral("bin/Answer")));
    }
    if (c.answerFileBesideProgram) {
        QFile file(root.filePath(QStringLiteral("bin/Answer")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    if (c.installedWorks) {
        ASSERT_TRUE(root.mkpath(QStringLiteral("share/zenor/Answer")));
    }

    // The program's own layout, as the installation lays it out.
    EXPECT_EQ(DefaultFolder(prefix.path() + QStringLiteral("/bin/")),
              prefix.path() + QLatin1Char('/') + QString::fromUtf8(c.expected))
        << c.layout;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DefaultFolderTest,
    ::testing::Values(
        FolderCase{"BuildTree", true, false, false, "bin/Answer/"},
        FolderCase{"Installed", false, false, true, "share/zenor/Answer/"},
        FolderCase{"BothTheFolderBesideTheProgramWins", true, false, true, "bin/Answer/"},
        FolderCase{"NeitherTheFolderBesideTheProgramThatNeedNotExist", false, false, false,
                   "bin/Answer/"},
        FolderCase{"AFileNamedAnswerIsNoFolder", false, true, true, "share/zenor/Answer/"}),
    [](const ::testing::TestParamInfo<FolderCase>& info) {
        return std::string(info.param.layout);
    });

} // namespace
