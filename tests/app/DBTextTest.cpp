// The answer labels through the life of the answers table: closed at start,
// reloaded by the sheet loader (closed, redefined and reopened while
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

#include "SheetWriter.h"
#include "memtable/Exceptions.h"
#include "memtable/TDataSource.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TMemoryStream.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

namespace {

using Sheet =
    std::vector<std::pair<std::string, std::string>>; // field name, value of the one record

class DBTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        answers_.DefineStringFields({{"a1", 20}, {"VarNo", 0}});
        source_.SetDataSet(&answers_);
        source_.SetAutoEdit(false);
        window_.resize(400, 200);
        a1_ = Label("DBText1", "a1", 250);
        varNo_ = Label("DBText3", "VarNo", 218);
        window_.show();
    }
    TDBText* Label(const char* name, const char* field, int left) {
        auto* label = new TDBText(&window_);
        label->setObjectName(QString::fromLatin1(name));
        label->move(left, 50);
        label->SetDataField(field);
        label->SetDataSource(&source_);
        return label;
    }

    /// Loads a sheet of text fields and one record through the sheet loader.
    void Load(const Sheet& sheet) {
        sheetwriter::Sheet stream;
        std::vector<sheetwriter::SheetValue> values;
        for (const auto& [name, value] : sheet) {
            sheetwriter::SheetField field;
            field.name = name;
            field.size = 40;
            stream.fields.push_back(field);
            values.emplace_back(value);
        }
        stream.records.push_back(sheetwriter::Record(std::move(values)));
        const std::vector<std::uint8_t> bytes = sheetwriter::WriteSheet(stream);
        TMemoryStream in(bytes.data(), bytes.size());
        TqvrBinaryStreamFormat format;
        answers_.LoadFromStreamUsingFormat(in, &format);
    }

    TqvrMemTable answers_{"answers"};
    TDataSource source_;
    QWidget window_;
    TDBText* a1_ = nullptr;
    TDBText* varNo_ = nullptr;
};

TEST_F(DBTextTest, EmptyWhileTheTableIsClosed) {
    EXPECT_TRUE(a1_->text().isEmpty());
    EXPECT_TRUE(varNo_->text().isEmpty());
    EXPECT_EQ(a1_->Field(), nullptr);
}

TEST_F(DBTextTest, LoadIntoAClosedTableBindsWhenNotificationsResume) {
    Load({{"VarNo", "7"}, {"a1", "cat"}, {"a2", "x"}});
    EXPECT_EQ(varNo_->text(), QStringLiteral("7"));
    EXPECT_EQ(a1_->text(), QStringLiteral("cat"));
    EXPECT_EQ(a1_->Field(), answers_.FindField("a1"));
}

TEST_F(DBTextTest, ReloadOfAnOpenTableRebindsToTheNewFieldObjects) {
    Load({{"VarNo", "7"}, {"a1", "cat"}});
    Load({{"a1", "dog"}, {"VarNo", "12"}});
    EXPECT_EQ(a1_->text(), QStringLiteral("dog"));
    EXPECT_EQ(varNo_->text(), QStringLiteral("12"));
    EXPECT_EQ(a1_->Field(), answers_.FindField("a1"));
    EXPECT_NE(a1_->Field(), nullptr);
}

TEST_F(DBTextTest, CloseEmptiesEveryLabel) {
    Load({{"VarNo", "7"}, {"a1", "cat"}});
    answers_.Close();
    EXPECT_TRUE(a1_->text().isEmpty());
    EXPECT_TRUE(varNo_->text().isEmpty());
    EXPECT_EQ(a1_->Field(), nullptr);
}

TEST_F(DBTextTest, MissingFieldIsRaisedOutOfTheLoadWithTheLabelsName) {
    Load({{"VarNo", "7"}, {"a1", "cat"}});
    try {
        Load({{"VarNo", "8"}});
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "DBText1: Field 'a1' not found");
    }
    EXPECT_TRUE(a1_->text().isEmpty());
    EXPECT_EQ(a1_->Field(), nullptr);
    EXPECT_FALSE(answers_.NotificationsSuspended());
}

TEST_F(DBTextTest, MissingFieldAfterAClosedTableIsRaisedByTheResume) {
    answers_.Close();
    try {
        Load({{"a1", "cat"}});
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "DBText3: Field 'VarNo' not found");
    }
    EXPECT_TRUE(varNo_->text().isEmpty());
}

TEST_F(DBTextTest, FollowsTheCurrentRecordAndItsOwnFieldOnly) {
    Load({{"VarNo", "1"}, {"a1", "first"}});
    answers_.Insert();
    answers_.FieldNamed("VarNo").SetStringValue("2");
    answers_.FieldNamed("a1").SetStringValue("second");
    answers_.Post();
    answers_.GoFirst();
    const QString first = a1_->text();
    answers_.StepBy(1);
    EXPECT_NE(a1_->text(), first);
    answers_.Edit();
    answers_.FieldNamed("a1").SetStringValue("changed");
    EXPECT_EQ(a1_->text(), QStringLiteral("changed"));
    answers_.Cancel();
    EXPECT_NE(a1_->text(), QStringLiteral("changed"));
}

TEST_F(DBTextTest, AmpersandIsShownAndTheWidthFollowsTheText) {
    Load({{"VarNo", "1"}, {"a1", "A&B"}});
    EXPECT_EQ(a1_->text(), QStringLiteral("A&B"));
    const QFontMetrics fm(a1_->font());
    // A mnemonic would swallow the "&": the label must be as wide as all three characters.
    EXPECT_GE(a1_->width(), fm.horizontalAdvance(QStringLiteral("A&B")));
    EXPECT_GT(fm.horizontalAdvance(QStringLiteral("A&B")),
              fm.horizontalAdvance(QStringLiteral("AB")));
    const int narrow = a1_->width();
    Load({{"VarNo", "1"}, {"a1", "a rather long answer text"}});
    EXPECT_GT(a1_->width(), narrow);
    EXPECT_EQ(a1_->x(), 250);                  // the left edge stays
    EXPECT_LT(a1_->height(), 2 * fm.height()); // one line
}

} // namespace
