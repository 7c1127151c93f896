// The answer labels through the life of the answers table: closed at start,
// reloaded the way a sheet load does it (closed, redefined and reopened while
// notifications are suspended), closed for a missing sheet, and a sheet that
// lacks a label's field.
#include "app/TDBText.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "memtable/Exceptions.h"
#include "memtable/TDataSource.h"
#include "memtable/TFieldDef.h"
#include "memtable/TqvrMemTable.h"

namespace {

using Sheet =
    std::vector<std::pair<std::string, std::string>>; // field name, value of the one record

class DBTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        answers.DefineStringFields({{"a1", 20}, {"VarNo", 0}});
        source.SetDataSet(&answers);
        source.SetAutoEdit(false);
        window.resize(400, 200);
        a1 = Label("DBText1", "a1", 250);
        varNo = Label("DBText3", "VarNo", 218);
        window.show();
    }
    TDBText* Label(const char* name, const char* field, int left) {
        auto* label = new TDBText(&window);
        label->setObjectName(QString::fromLatin1(name));
        label->move(left, 50);
        label->SetDataField(field);
        label->SetDataSource(&source);
        return label;
    }

    /// Replaces the table's fields and records as a sheet load does.
    void Load(const Sheet& sheet) {
        answers.SuspendNotifications();
        try {
            answers.Close();
            answers.FieldDefs().Clear();
            answers.DestroyFields();
            for (const auto& [name, value] : sheet)
                answers.CreateFieldFromDef(answers.FieldDefs().Add(name, ftString, 40));
            answers.Open();
            answers.Insert();
            for (const auto& [name, value] : sheet) answers.FieldNamed(name).SetStringValue(value);
            answers.Post();
            answers.GoFirst();
        } catch (...) {
            answers.ResumeNotifications();
            throw;
        }
        answers.ResumeNotifications();
    }

    TqvrMemTable answers{"answers"};
    TDataSource source;
    QWidget window;
    TDBText* a1 = nullptr;
    TDBText* varNo = nullptr;
};

TEST_F(DBTextTest, EmptyWhileTheTableIsClosed) {
    EXPECT_TRUE(a1->text().isEmpty());
    EXPECT_TRUE(varNo->text().isEmpty());
    EXPECT_EQ(a1->Field(), nullptr);
}

TEST_F(DBTextTest, LoadIntoAClosedTableBindsWhenNotificationsResume) {
    Load({{"VarNo", "7"}, {"a1", "cat"}, {"a2", "x"}});
    EXPECT_EQ(varNo->text(), QStringLiteral("7"));
    EXPECT_EQ(a1->text(), QStringLiteral("cat"));
    EXPECT_EQ(a1->Field(), answers.FindField("a1"));
}

TEST_F(DBTextTest, ReloadOfAnOpenTableRebindsToTheNewFieldObjects) {
    Load({{"VarNo", "7"}, {"a1", "cat"}});
    Load({{"a1", "dog"}, {"VarNo", "12"}});
    EXPECT_EQ(a1->text(), QStringLiteral("dog"));
    EXPECT_EQ(varNo->text(), QStringLiteral("12"));
    EXPECT_EQ(a1->Field(), answers.FindField("a1"));
    EXPECT_NE(a1->Field(), nullptr);
}

TEST_F(DBTextTest, CloseEmptiesEveryLabel) {
    Load({{"VarNo", "7"}, {"a1", "cat"}});
    answers.Close();
    EXPECT_TRUE(a1->text().isEmpty());
    EXPECT_TRUE(varNo->text().isEmpty());
    EXPECT_EQ(a1->Field(), nullptr);
}

TEST_F(DBTextTest, MissingFieldIsRaisedOutOfTheLoadWithTheLabelsName) {
    Load({{"VarNo", "7"}, {"a1", "cat"}});
    try {
        Load({{"VarNo", "8"}});
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "DBText1: Field 'a1' not found");
    }
    EXPECT_TRUE(a1->text().isEmpty());
    EXPECT_EQ(a1->Field(), nullptr);
    EXPECT_FALSE(answers.NotificationsSuspended());
}

TEST_F(DBTextTest, MissingFieldAfterAClosedTableIsRaisedByTheResume) {
    answers.Close();
    try {
        Load({{"a1", "cat"}});
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "DBText3: Field 'VarNo' not found");
    }
    EXPECT_TRUE(varNo->text().isEmpty());
}

TEST_F(DBTextTest, FollowsTheCurrentRecordAndItsOwnFieldOnly) {
    Load({{"VarNo", "1"}, {"a1", "first"}});
    answers.Insert();
    answers.FieldNamed("VarNo").SetStringValue("2");
    answers.FieldNamed("a1").SetStringValue("second");
    answers.Post();
    answers.GoFirst();
    const QString first = a1->text();
    answers.StepBy(1);
    EXPECT_NE(a1->text(), first);
    answers.Edit();
    answers.FieldNamed("a1").SetStringValue("changed");
    EXPECT_EQ(a1->text(), QStringLiteral("changed"));
    answers.Cancel();
    EXPECT_NE(a1->text(), QStringLiteral("changed"));
}

TEST_F(DBTextTest, AmpersandIsShownAndTheWidthFollowsTheText) {
    Load({{"VarNo", "1"}, {"a1", "A&B"}});
    EXPECT_EQ(a1->text(), QStringLiteral("A&B"));
    const QFontMetrics fm(a1->font());
    // A mnemonic would swallow the "&": the label must be as wide as all three characters.
    EXPECT_GE(a1->width(), fm.horizontalAdvance(QStringLiteral("A&B")));
    EXPECT_GT(fm.horizontalAdvance(QStringLiteral("A&B")),
              fm.horizontalAdvance(QStringLiteral("AB")));
    const int narrow = a1->width();
    Load({{"VarNo", "1"}, {"a1", "a rather long answer text"}});
    EXPECT_GT(a1->width(), narrow);
    EXPECT_EQ(a1->x(), 250);                  // the left edge stays
    EXPECT_LT(a1->height(), 2 * fm.height()); // one line
}

} // namespace
