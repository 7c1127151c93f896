#include "catalogue/AnswerSheet.h"
#include "catalogue/WorkList.h"

#include "SheetFiles.h"
#include "TempTree.h"

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
    AnswerSheetTest() { ConfigureWorkTable(tblWork); }

    std::optional<std::string> Step() { return LoadAnswerSheet(tblWork, answers, format); }
    std::string Shown(const char* field) { return answers.FieldNamed(field).StringValue(); }

    TempTree t;
    TqvrMemTable tblWork{"tblWork"};
    TqvrMemTable answers{"answers"};
    TqvrBinaryStreamFormat format;
};

TEST_F(AnswerSheetTest, FileExistsOnlyForARegularFile) {
    t.File("plain");
    t.Dir("folder");
    t.Link("to_plain", "plain");
    t.Link("to_folder", "folder");
    t.Link("dangling", "absent");
    t.Link("to_device", "/dev/zero");
    ASSERT_EQ(mkfifo(t.Path("fifo").c_str(), 0644), 0);
    EXPECT_FALSE(FileExists(t.Path("to_device")));
    EXPECT_FALSE(FileExists(t.Path("fifo")));
    EXPECT_TRUE(FileExists(t.Path("plain")));
    EXPECT_TRUE(FileExists(t.Path("to_plain")));
    EXPECT_FALSE(FileExists(t.Path("folder")));
    EXPECT_FALSE(FileExists(t.Path("to_folder")));
    EXPECT_FALSE(FileExists(t.Path("dangling")));
    EXPECT_FALSE(FileExists(t.Path("absent")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(t.Path("plain") + std::string("\0x", 2)));
}

TEST_F(AnswerSheetTest, LoadsTheCurrentWorksSheet) {
    test::WriteAnswerSheet(t.Path("12345_0.ans"), {"2", "B", "", "", "в библиотеке", "went", "C"});
    RecordWork(tblWork, "12345", t.Root() + "/");
    EXPECT_EQ(AnswerSheetPath(tblWork), t.Path("12345_0.ans"));
    EXPECT_EQ(Step(), std::nullopt);
    ASSERT_TRUE(answers.Active());
    EXPECT_EQ(Shown("VarNo"), "2");
    EXPECT_EQ(Shown("a1"), "B");
    EXPECT_EQ(Shown("a4"), "в библиотеке");
    EXPECT_EQ(Shown("a6"), "C");
}

TEST_F(AnswerSheetTest, AMissingSheetClosesTheAnswersAndSaysWhere) {
    test::WriteAnswerSheet(t.Path("11111_0.ans"), {"1", "A"});
    t.Dir("22222_0.ans"); // a folder of that name is no sheet
    RecordWork(tblWork, "11111", t.Root() + "/");
    ASSERT_EQ(Step(), std::nullopt);
    RecordWork(tblWork, "22222", t.Root() + "/");
    EXPECT_EQ(Step(), "Файл " + t.Path("22222_0.ans") + " с ответами участника не найден: ");
    EXPECT_FALSE(answers.Active());
    // Moving back shows the sheet again.
    ASSERT_TRUE(tblWork.SeekKey("ID", TKeyValue("11111"), 0));
    EXPECT_EQ(Step(), std::nullopt);
    EXPECT_EQ(Shown("a1"), "A");
}

TEST_F(AnswerSheetTest, ADamagedSheetFailsAndLeavesTheAnswersShown) {
    test::WriteAnswerSheet(t.Path("11111_0.ans"), {"1", "A"});
    t.File("33333_0.ans", "Это не лист ответов\n");
    RecordWork(tblWork, "11111", t.Root() + "/");
    ASSERT_EQ(Step(), std::nullopt);
    RecordWork(tblWork, "33333", t.Root() + "/");
    try {
        Step();
        FAIL() << "a text file loaded as a sheet";
    } catch (const EReadError& error) {
        EXPECT_STREQ(error.what(), "Invalid stream format");
    }
    ASSERT_TRUE(answers.Active());
    EXPECT_EQ(Shown("a1"), "A");
}

TEST_F(AnswerSheetTest, AnEmptyListLooksInTheCurrentDirectory) {
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(t.Root());
    const auto missing = Step();
    test::WriteAnswerSheet(t.Path("_0.ans"), {"7"});
    const auto found = Step();
    std::filesystem::current_path(saved);
    EXPECT_EQ(missing, "Файл _0.ans с ответами участника не найден: ");
    EXPECT_EQ(found, std::nullopt);
    EXPECT_EQ(Shown("VarNo"), "7");
}

} // namespace
} // namespace zenor
