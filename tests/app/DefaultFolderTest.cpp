#include "app/DefaultFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace {

// An installation prefix with the program in bin/, and what else is in it:
// folders end in "/", anything else is a plain file.
struct FolderCase {
    const char* layout;
    std::vector<const char*> entries;
    const char* expected; // relative to the prefix
};

class DefaultFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(DefaultFolderTest, BesideTheProgramElseTheInstalledDemoWorks) {
    const FolderCase& c = GetParam();
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    QDir root(prefix.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("bin")));
    for (const char* entry : c.entries) {
        const QString path = QString::fromUtf8(entry);
        if (path.endsWith(QLatin1Char('/'))) {
            ASSERT_TRUE(root.mkpath(path));
        } else {
            QFile file(root.filePath(path));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    // The program's own layout, as the installation lays it out.
    EXPECT_EQ(DefaultFolder(prefix.path() + QStringLiteral("/bin/")),
              prefix.path() + QLatin1Char('/') + QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DefaultFolderTest,
    ::testing::Values(FolderCase{"BuildTree", {"bin/Answer/"}, "bin/Answer/"},
                      FolderCase{"Installed", {"share/zenor/Answer/"}, "share/zenor/Answer/"},
                      FolderCase{"BothBesideTheProgramWins",
                                 {"bin/Answer/", "share/zenor/Answer/"},
                                 "bin/Answer/"},
                      FolderCase{"NeitherBesideTheProgramNeedNotExist", {}, "bin/Answer/"},
                      FolderCase{"AFileNamedAnswerIsNoFolder",
                                 {"bin/Answer", "share/zenor/Answer/"},
                                 "share/zenor/Answer/"}),
    [](const ::testing::TestParamInfo<FolderCase>& info) {
        return std::string(info.param.layout);
    });

} // namespace
