#include "review/MarksCheck.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ReadCsv, ReadsBothDialectsWithQuotedFields) {
    struct Row {
        std::string bytes;
        char separator;
        std::vector<std::vector<std::string>> cells;
        std::vector<std::size_t> lines;
    };
    const Row rows[] = {
        {"ID,a\r\n1,x\r\n", ',', {{"ID", "a"}, {"1", "x"}}, {1, 2}},
        {"\xEF\xBB\xBFID;a\r\n1;\"x;y\"\r\n", ';', {{"ID", "a"}, {"1", "x;y"}}, {1, 2}},
        {"ID,a\n\"two\nlines\",\"say \"\"hi\"\"\"\n2,\n",
         ',',
         {{"ID", "a"}, {"two\nlines", "say \"hi\""}, {"2", ""}},
         {1, 2, 4}},
        {"ID\n1", ',', {{"ID"}, {"1"}}, {1, 2}},
        {"\"ID;x\",a;b\n", ',', {{"ID;x", "a;b"}}, {1}},
    };
    for (const Row& row : rows) {
        std::string error;
        const auto table = ReadCsv(row.bytes, error);
        ASSERT_TRUE(table) << row.bytes;
        EXPECT_EQ(table->separator, row.separator) << row.bytes;
        std::vector<std::vector<std::string>> cells;
        std::vector<std::size_t> lines;
        for (const CsvRecord& r : table->records) {
            cells.push_back(r.cells);
            lines.push_back(r.line);
        }
        EXPECT_EQ(cells, row.cells) << row.bytes;
        EXPECT_EQ(lines, row.lines) << row.bytes;
    }
    std::string error;
    EXPECT_FALSE(ReadCsv("ID,a\n1,\"never ends\n", error));
    EXPECT_EQ(error, "a quoted field that starts on line 2 never ends");
}

TEST(ParseMark, TakesDecimalPointOrComma) {
    EXPECT_EQ(ParseMark("4"), 4.0);
    EXPECT_EQ(ParseMark(" 4,5 "), 4.5);
    EXPECT_EQ(ParseMark("4.5"), 4.5);
    for (const char* bad : {"", "four", "4 5", "1e3", "nan", "4,5,6"})
        EXPECT_FALSE(ParseMark(bad)) << bad;
}

class CheckMarksTest : public ::testing::TestWithParam<char> {};

// The same filled sheet in either dialect gives the same problems; a
// column the check does not read (recheck, as the review page saves it) is
// passed over, and a mark led by export's apostrophe is read without it.
TEST_P(CheckMarksTest, ReportsEveryKindOnItsLine) {
    const char s = GetParam();
    const std::string sep(1, s);
    std::string text =
        "ID" + sep + "pathWork" + sep + "mark3" + sep + "mark2" + sep + "note" + sep + "recheck\n";
    for (std::string row :
         {"11111|a/|4|3|fine|1", "22222|a/||2||", "33333|b/|7|x||", "11111|a/|1|1|again|",
          "99999|c/|1|1||", "||||blank|", "'-1234|d/|'-1|1||1"}) {
        for (char& c : row)
            if (c == '|') c = s;
        text += row + "\n";
    }
    std::string error;
    const auto sheet = ReadCsv(text, error);
    ASSERT_TRUE(sheet);
    const std::vector<ListedWork> works = {
        {"11111", "a/"}, {"22222", "a/"}, {"33333", "b/"}, {"44444", "b/"}, {"-1234", "d/"}};
    const auto problems = CheckMarks(works, *sheet, "m.csv", MarkRange{-2, 5}, error);
    ASSERT_TRUE(problems) << error;
    std::vector<std::string> got;
    for (const Problem& p : *problems)
        got.push_back(p.id + "|" + p.folder + "|" + p.kind + "|" + p.detail.substr(0, 7) + "|" +
                      p.value);
    const std::vector<std::string> want = {
        "22222|a/|mark-missing|line 3:|",       "33333|b/|mark-out-of-range|line 4:|x",
        "33333|b/|mark-out-of-range|line 4:|7", "11111|a/|repeated-id|line 5:|",
        "99999||unknown-id|line 6:|",           "44444|b/|mark-missing|the wor|"};
    EXPECT_EQ(got, want);
}

INSTANTIATE_TEST_SUITE_P(Dialects, CheckMarksTest, ::testing::Values(',', ';'));

TEST(CheckMarks, NeedsTheColumnsExportWrites) {
    std::string error;
    const auto sheet = ReadCsv("ID,mark2,note\n1,2,\n", error);
    EXPECT_FALSE(CheckMarks({}, *sheet, "m.csv", MarkRange{}, error));
    EXPECT_EQ(error, "m.csv has no column mark3 in its first line (write it with export --marks)");
}

} // namespace
