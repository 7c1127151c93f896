#include "catalogue/WorkExport.h"
#include "catalogue/WorkList.h"

#include "SheetFiles.h"
#include "tests/support/TempTree.h"

#include "memtable/TqvrMemTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace zenor {
namespace {

using test::TempTree;

struct CsvCase {
    std::string in;
    std::string out;
};

class CsvFieldTest : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvFieldTest, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(CsvField(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CsvFieldTest,
    ::testing::Values(CsvCase{"", ""}, CsvCase{"plain", "plain"},
                      CsvCase{"в библиотеке", "в библиотеке"}, CsvCase{"a,b", "\"a,b\""},
                      CsvCase{"say \"hi\"", "\"say \"\"hi\"\"\""},
                      CsvCase{"two\nlines", "\"two\nlines\""}, CsvCase{"cr\r", "\"cr\r\""},
                      CsvCase{"\xff"
                              "ab",
                              "\xEF\xBF\xBD"
                              "ab"},
                      CsvCase{"a\xe2\x82,", "\"a\xEF\xBF\xBD\xEF\xBF\xBD,\""},
                      // What a spreadsheet would run as a formula stays text.
                      CsvCase{"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
                      CsvCase{"+1", "'+1"}, CsvCase{"-2+3", "'-2+3"},
                      CsvCase{"@SUM(A1)", "'@SUM(A1)"}, CsvCase{"\t=1", "'\t=1"},
                      CsvCase{"\r=1", "\"'\r=1\""}, CsvCase{"a=1", "a=1"}, CsvCase{"1-2", "1-2"}));

std::string DemoFile(const std::string& rel) {
    return std::string(ZENOR_SOURCE_DIR) + "/demo/" + rel;
}

TEST(RecordingSeconds, GivesTheLengthOrNothing) {
    TempTree t;
    t.File("junk.ogg", "not a recording");
    t.Dir("folder.ogg");
    const std::string seconds = RecordingSeconds(DemoFile("20455_2.ogg"));
    ASSERT_FALSE(seconds.empty());
    EXPECT_NEAR(std::stod(seconds), 3.279, 0.002); // ogginfo's playback length
    EXPECT_EQ(RecordingSeconds(t.Path("junk.ogg")), "");
    EXPECT_EQ(RecordingSeconds(t.Path("folder.ogg")), "");
    EXPECT_EQ(RecordingSeconds(t.Path("absent.ogg")), "");
}

TEST(ExportRows, ReportsEachWorkAsTheWindowWould) {
    TempTree t;
    const std::string r = t.Root() + "/";
    test::WriteAnswerSheet(t.Path("11111_0.ans"),
                           {"1", "B", "", "", "went, then \"stayed\"", "", "C"});
    std::filesystem::copy_file(DemoFile("20455_2.ogg"), t.Path("11111_2.ogg"));
    t.File("22222_0.ogg");                // no sheet
    t.File("33333_0.ans", "not a sheet"); // damaged sheet
    t.File("33333_3.ogg", "not a recording");
    sheetwriter::Sheet partial = sheetwriter::AnswerSheet({"4", "x"});
    partial.fields.pop_back(); // no a6
    for (auto& record : partial.records) record.versions[0].values.pop_back();
    test::WriteSheetFile(t.Path("44444_0.ans"), partial);

    TqvrMemTable tblWork("tblWork");
    ConfigureWorkTable(tblWork);
    ScanWorks(t.Root(), tblWork);
    const std::vector<WorkRow> rows = ExportRows(tblWork);
    ASSERT_EQ(rows.size(), 4u);

    EXPECT_EQ(rows[0].id, "11111");
    EXPECT_EQ(rows[0].pathWork, r);
    EXPECT_EQ(rows[0].varNo, "1");
    EXPECT_EQ(rows[0].answers[0], "B");
    EXPECT_EQ(rows[0].answers[3], "went, then \"stayed\"");
    EXPECT_EQ(rows[0].answers[5], "C");
    EXPECT_NEAR(std::stod(rows[0].task2Seconds), 3.279, 0.002);
    EXPECT_EQ(rows[0].task3Seconds, "");
    EXPECT_EQ(rows[0].problem, "");

    EXPECT_EQ(rows[1].problem, "Файл " + r + "22222_0.ans с ответами участника не найден: ");
    EXPECT_EQ(rows[2].problem, "Invalid stream format");
    EXPECT_EQ(rows[2].task3Seconds, "");
    EXPECT_EQ(rows[3].varNo, "4");
    EXPECT_EQ(rows[3].answers[0], "x");
    EXPECT_NE(rows[3].problem.find("a6"), std::string::npos) << rows[3].problem;

    std::ostringstream csv;
    WriteCsv(csv, rows);
    const std::string text = csv.str();
    EXPECT_EQ(text.rfind(
                  "ID,pathWork,VarNo,a1,a2,a3,a4,a5,a6,task2_seconds,task3_seconds,problem\r\n", 0),
              0u);
    EXPECT_NE(text.find("11111," + r + ",1,B,,,\"went, then \"\"stayed\"\"\",,C," +
                        rows[0].task2Seconds + ",,\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
}

} // namespace
} // namespace zenor
