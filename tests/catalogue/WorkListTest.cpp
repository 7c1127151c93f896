#include "catalogue/FindAllOgg.h"
#include "catalogue/ParticipantName.h"
#include "catalogue/WorkExport.h"
#include "catalogue/WorkList.h"

#include "tests/support/TempTree.h"

#include "memtable/TqvrMemTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zenor {
namespace {

using test::TempTree;
using ::testing::ElementsAre;
using Rows = std::vector<std::pair<std::string, std::string>>;

Rows Listed(TqvrMemTable& table) {
    Rows rows;
    for (int i = 0; i < table.RecordTotal(); ++i)
        rows.emplace_back(table.FieldTextAt(i, table.FieldNamed("ID")),
                          table.FieldTextAt(i, table.FieldNamed("pathWork")));
    return rows;
}

class WorkListTest : public ::testing::Test {
protected:
    WorkListTest() { ConfigureWorkTable(table_); }
    TqvrMemTable table_{"tblWork"};
};

TEST_F(WorkListTest, OneRecordPerIdWithTheFolderMetLast) {
    RecordWork(table_, "12345", "/a/");
    RecordWork(table_, "54321", "/a/");
    RecordWork(table_, "12345", "/b/");
    table_.ApplySort();
    EXPECT_THAT(Listed(table_), ElementsAre(std::pair<std::string, std::string>{"12345", "/b/"},
                                            std::pair<std::string, std::string>{"54321", "/a/"}));
}

// Letter case counts, and so does every byte the collator passes over: names in
// code page 1251 (Cyrillic А and Б), control characters.
TEST_F(WorkListTest, IdsWhoseBytesDifferAreTwoWorks) {
    const std::pair<std::string, std::string> pairs[] = {
        {"abcde", "ABCDE"},
        {std::string("\xC0") + "1234", std::string("\xC1") + "1234"},
        {"1234\x01", "1234\x02"}};
    for (const auto& [one, other] : pairs) {
        TqvrMemTable table("tblWork");
        ConfigureWorkTable(table);
        RecordWork(table, one, "/x/");
        RecordWork(table, other, "/y/");
        RecordWork(table, one, "/z/");
        ASSERT_EQ(table.RecordTotal(), 2) << one;
        table.ApplySort();
        const Rows rows = Listed(table);
        EXPECT_EQ(rows.size(), 2u);
        for (const auto& [id, folder] : rows) EXPECT_EQ(folder, id == one ? "/z/" : "/y/") << one;
    }
}

TEST_F(WorkListTest, KeepsLongWorkFoldersWhole) {
    const std::string deep = "/" + std::string(300, 'd') + "/" + std::string(3000, 'e') + "/";
    RecordWork(table_, "12345", deep);
    EXPECT_EQ(table_.FieldNamed("pathWork").StringValue(), deep);
    // Only past the platform's path limit is a folder cut.
    const std::string tooLong(5000, 'f');
    RecordWork(table_, "12345", tooLong);
    EXPECT_EQ(table_.FieldNamed("pathWork").StringValue(), tooLong.substr(0, kWorkFolderSize));
}

TEST_F(WorkListTest, ScanListsTheWorksOfATreeSorted) {
    TempTree t;
    t.File("s/c/12345_0.ans");
    t.File("s/c/12345_2.ogg");
    t.File("s/c/12345_3.ogg");
    t.File("s/99999_0.ogg");
    t.File("s/abcde_0.ans");
    t.File("s/ABCDE_2.ogg");
    t.File("s/notes.txt");
    t.File("12345_0.ans/00001_3.ogg"); // a folder named like a sheet is walked, not counted
    const std::string r = t.Root() + "/";
    EXPECT_EQ(ScanWorks(t.Root(), table_), 7);
    const Rows rows = Listed(table_);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (std::pair<std::string, std::string>{"00001", r + "12345_0.ans/"}));
    EXPECT_EQ(rows[1], (std::pair<std::string, std::string>{"12345", r + "s/c/"}));
    EXPECT_EQ(rows[2], (std::pair<std::string, std::string>{"99999", r + "s/"}));
    // The two case-distinct IDs come last, in the collation's order.
    EXPECT_EQ(rows[3].second, r + "s/");
    EXPECT_EQ(rows[4].second, r + "s/");
}

TEST_F(WorkListTest, ASecondScanAddsToTheFirst) {
    TempTree one, two;
    one.File("11111_0.ans");
    one.File("22222_0.ans");
    two.File("22222_2.ogg");
    two.File("33333_3.ogg");
    ScanWorks(one.Root(), table_);
    EXPECT_EQ(ScanWorks(two.Root(), table_), 2);
    EXPECT_THAT(Listed(table_),
                ElementsAre(std::pair<std::string, std::string>{"11111", one.Root() + "/"},
                            std::pair<std::string, std::string>{"22222", two.Root() + "/"},
                            std::pair<std::string, std::string>{"33333", two.Root() + "/"}));
}

// The tool's scan runs the record step once per work ID; the list it leaves
// must be the one the window's step per file leaves, whatever the tree.
TEST(ScanWorks, ListsWhatTheRecordStepPerFileLists) {
    struct Case {
        const char* what;
        std::vector<std::string> earlier; // scanned first, into the same table
        std::vector<std::string> files;
    };
    std::vector<std::string> many;
    for (int i = 0; i < 150; ++i)
        for (const char* suffix : {"_0.ans", "_2.ogg"})
            many.push_back("s" + std::to_string(i % 7) + "/c" + std::to_string(i % 3) + "/" +
                           std::to_string(20000 + i % 90) + suffix);
    const std::vector<Case> cases = {
        {"one ID in several folders", {}, {"a/12345_0.ans", "b/c/12345_2.ogg", "12345_3.ogg"}},
        {"IDs differing in case", {}, {"x/abcde_0.ans", "y/ABCDE_2.ogg", "z/abcde_3.ogg"}},
        // An ignorable control character: two byte texts, one collation key.
        {"IDs the collation finds equal",
         {},
         {"p/1\x01"
          "234_0.ans",
          "q/12\x01"
          "34_2.ogg"}},
        {"more works than the key tables' threshold", {}, many},
        {"a second scan over listed works",
         {"11111_0.ans", "o/22222_0.ogg"},
         {"n/22222_2.ogg", "n/33333_3.ogg", "m/11111_0.ogg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree earlier, tree;
        for (const std::string& f : c.earlier) earlier.File(f);
        for (const std::string& f : c.files) tree.File(f);
        TqvrMemTable perFile("tblWork"), tool("tblWork");
        ConfigureWorkTable(perFile);
        ConfigureWorkTable(tool);
        int files = 0;
        ScanHooks hooks;
        hooks.participantFound = [&](const std::string& folder, std::string_view name) {
            ++files;
            RecordWork(perFile, WorkIdOf(name), folder);
        };
        if (!c.earlier.empty()) {
            FindAllOgg(earlier.Root(), hooks);
            perFile.ApplySort();
            ScanWorks(earlier.Root(), tool);
        }
        files = 0;
        FindAllOgg(tree.Root(), hooks);
        perFile.ApplySort();
        EXPECT_EQ(ScanWorks(tree.Root(), tool), files);
        EXPECT_EQ(Listed(tool), Listed(perFile));
    }
}

} // namespace
} // namespace zenor
