#include "catalogue/AnswerSheet.h"
#include "catalogue/WorkList.h"

#include "SheetFiles.h"
#include "tests/support/TempTree.h"

#include "memtable/Exceptions.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace zenor {
namespace {

using test::TempTree;

class AnswerSheetTest : public ::testing::Test {
protected:
    AnswerSheetTest() { ConfigureWorkTable(tblWork_); }

    std::optional<std::string> Step() { return LoadAnswerSheet(tblWork_, answers_, format_); }
    std::string Shown(const char* field) { return answers_.FieldNamed(field).StringValue(); }

    TempTree t_;
    TqvrMemTable tblWork_{"tblWork"};
    TqvrMemTable answers_{"answers"};
    TqvrBinaryStreamFormat format_;
};

TEST_F(AnswerSheetTest, FileExistsOnlyForARegularFile) {
    t_.File("plain");
    t_.Dir("folder");
    t_.Link("to_plain", "plain");
    t_.Link("to_folder", "folder");
    t_.Link("dangling", "absent");
    t_.Link("to_device", "/dev/zero");
    ASSERT_EQ(mkfifo(t_.Path("fifo").c_str(), 0644), 0);
    EXPECT_FALSE(FileExists(t_.Path("to_device")));
    EXPECT_FALSE(FileExists(t_.Path("fifo")));
    EXPECT_TRUE(FileExists(t_.Path("plain")));
    EXPECT_TRUE(FileExists(t_.Path("to_plain")));
    EXPECT_FALSE(FileExists(t_.Path("folder")));
    EXPECT_FALSE(FileExists(t_.Path("to_folder")));
    EXPECT_FALSE(FileExists(t_.Path("dangling")));
    EXPECT_FALSE(FileExists(t_.Path("absent")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(t_.Path("plain") + std::string("\0x", 2)));
}

TEST_F(AnswerSheetTest, LoadsTheCurrentWorksSheet) {
    test::WriteAnswerSheet(t_.Path("12345_0.ans"), {"2", "B", "", "", "в библиотеке", "went", "C"});
    RecordWork(tblWork_, "12345", t_.Root() + "/");
    EXPECT_EQ(AnswerSheetPath(tblWork_), t_.Path("12345_0.ans"));
    EXPECT_EQ(Step(), std::nullopt);
    ASSERT_TRUE(answers_.Active());
    EXPECT_EQ(Shown("VarNo"), "2");
    EXPECT_EQ(Shown("a1"), "B");
    EXPECT_EQ(Shown("a4"), "в библиотеке");
    EXPECT_EQ(Shown("a6"), "C");
}

TEST_F(AnswerSheetTest, AMissingSheetClosesTheAnswersAndSaysWhere) {
    test::WriteAnswerSheet(t_.Path("11111_0.ans"), {"1", "A"});
    t_.Dir("22222_0.ans"); // a folder of that name is no sheet
    RecordWork(tblWork_, "11111", t_.Root() + "/");
    ASSERT_EQ(Step(), std::nullopt);
    RecordWork(tblWork_, "22222", t_.Root() + "/");
    EXPECT_EQ(Step(), "Файл " + t_.Path("22222_0.ans") + " с ответами участника не найден: ");
    EXPECT_FALSE(answers_.Active());
    // Moving back shows the sheet again.
    ASSERT_TRUE(tblWork_.SeekKey("ID", TKeyValue("11111"), 0));
    EXPECT_EQ(Step(), std::nullopt);
    EXPECT_EQ(Shown("a1"), "A");
}

TEST_F(AnswerSheetTest, ADamagedSheetFailsAndLeavesTheAnswersShown) {
    test::WriteAnswerSheet(t_.Path("11111_0.ans"), {"1", "A"});
    t_.File("33333_0.ans", "Это не лист ответов\n");
    RecordWork(tblWork_, "11111", t_.Root() + "/");
    ASSERT_EQ(Step(), std::nullopt);
    RecordWork(tblWork_, "33333", t_.Root() + "/");
    try {
        Step();
        FAIL() << "a text file loaded as a sheet";
    } catch (const EReadError& error) {
        EXPECT_STREQ(error.what(), "Invalid stream format");
    }
    ASSERT_TRUE(answers_.Active());
    EXPECT_EQ(Shown("a1"), "A");
}

TEST_F(AnswerSheetTest, AnEmptyListLooksInTheCurrentDirectory) {
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(t_.Root());
    const auto missing = Step();
    test::WriteAnswerSheet(t_.Path("_0.ans"), {"7"});
    const auto found = Step();
    std::filesystem::current_path(saved);
    EXPECT_EQ(missing, "Файл _0.ans с ответами участника не найден: ");
    EXPECT_EQ(found, std::nullopt);
    EXPECT_EQ(Shown("VarNo"), "7");
}

} // namespace
} // namespace zenor
