// The find dialog "Поиск" driven as the user drives it (Ctrl+F, typing, the
// button or Enter), checked by where the table's cursor ends, which events
// the search raised, what the controls were told and what the box said.
#include "app/FindDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "GridTestSupport.h"
#include "ModalHelpers.h"
#include "memtable/TDataLink.h"

namespace {

class NotificationRecorder : public TDataLink {
public:
    void DataEvent(TNotifyKind kind, TField*, bool) override { kinds.push_back(kind); }
    std::vector<TNotifyKind> kinds;
};

class FindTest : public GridFixture {
protected:
    /// Opens the dialog with Ctrl+F, runs `action` inside it, then closes it with Esc.
    void InFinder(const std::function<void(FindDialog&)>& action) {
        bool ran = false;
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<FindDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            action(*dialog);
            ran = true;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Key(Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(ran);
        EXPECT_FALSE(grid_->Finder()->isVisible());
    }
    static void Type(FindDialog& d, const QString& text) {
        d.TextBox()->lineEdit()->clear();
        // The test key table knows only ASCII; other letters are put in directly.
        bool ascii = true;
        for (QChar ch : text) ascii = ascii && ch.unicode() < 128;
        if (ascii)
            QTest::keyClicks(d.TextBox()->lineEdit(), text);
        else
            d.TextBox()->setEditText(text);
    }
    static void Find(FindDialog& d) { QTest::mouseClick(d.FindButton(), Qt::LeftButton); }
    void GoTo(int recordNumber) {
        table_.SetRecordNumber(recordNumber);
        Take();
    }
    QStringList Messages() const {
        QStringList texts;
        for (const auto& box : MessageBoxes::ShownBoxes()) texts << box.text;
        return texts;
    }
};

TEST_F(FindTest, DialogShowsItsControlsAndKeepsChoicesAndHistoryAcrossOpenings) {
    Works(20);
    InFinder([&](FindDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Поиск"));
        EXPECT_TRUE(d.isModal());
        EXPECT_TRUE(d.TextBox()->isEditable());
        EXPECT_TRUE(d.TextBox()->currentText().isEmpty());
        // The focus within the dialog (the offscreen platform may not activate it).
        EXPECT_TRUE(d.focusWidget() == d.TextBox() || d.focusWidget() == d.TextBox()->lineEdit());
        QStringList columns;
        for (int i = 0; i < d.ColumnBox()->count(); ++i) columns << d.ColumnBox()->itemText(i);
        EXPECT_EQ(columns, (QStringList{QStringLiteral("Код работы"), QStringLiteral("<All>")}));
        EXPECT_EQ(d.ColumnBox()->currentText(), QStringLiteral("Код работы"));
        EXPECT_EQ(d.MatchBox()->currentText(), QStringLiteral("С любой части поля"));
        EXPECT_EQ(d.MatchBox()->count(), 3);
        EXPECT_EQ(d.ScopeBox()->currentText(), QStringLiteral("Все"));
        EXPECT_EQ(d.ScopeBox()->itemText(0), QStringLiteral("Вверх"));
        EXPECT_EQ(d.ScopeBox()->itemText(1), QStringLiteral("Вниз"));
        EXPECT_EQ(d.CaseBox()->text(), QStringLiteral("С учетом ре&гистра"));
        EXPECT_FALSE(d.CaseBox()->isChecked());
        EXPECT_EQ(d.FormatBox()->text(), QStringLiteral("С у&четом формата"));
        EXPECT_TRUE(d.FormatBox()->isChecked());
        EXPECT_EQ(d.FindButton()->text(), QStringLiteral("На&йти далее"));
        EXPECT_TRUE(d.FindButton()->isDefault());
        EXPECT_EQ(d.CloseButton()->text(), QStringLiteral("Закрыть"));
        QStringList captions;
        for (QLabel* l : d.findChildren<QLabel*>()) captions << l->text();
        for (const char* c : {"&Образец:", "&Поиск в:", "&Совпадение:", "Прос&мотр:"})
            EXPECT_TRUE(captions.contains(QString::fromUtf8(c))) << c;
        Type(d, QStringLiteral("W00004"));
        Find(d);
        Type(d, QStringLiteral("W00002"));
        Find(d);
        Type(d, QStringLiteral("W00004"));
        Find(d);
        d.MatchBox()->setCurrentIndex(1);
        d.ScopeBox()->setCurrentIndex(1);
        d.CaseBox()->setChecked(true);
    });
    FindDialog* first = grid_->Finder();
    InFinder([&](FindDialog& d) {
        EXPECT_EQ(&d, first);
        EXPECT_TRUE(d.TextBox()->currentText().isEmpty());
        EXPECT_EQ(d.History(), (QStringList{QStringLiteral("W00004"), QStringLiteral("W00002")}));
        EXPECT_EQ(d.MatchBox()->currentIndex(), 1);
        EXPECT_EQ(d.ScopeBox()->currentText(), QStringLiteral("Вниз"));
        EXPECT_TRUE(d.CaseBox()->isChecked());
        EXPECT_EQ(d.ColumnBox()->currentText(), QStringLiteral("Код работы"));
    });
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(FindTest, AllStartsFromTheFirstRecordAndFindNextGoesOn) {
    Works(20);
    GoTo(10);
    InFinder([&](FindDialog& d) {
        Type(d, QStringLiteral("W0000"));
        QTest::keyClick(d.TextBox()->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(table_.RecordNumber(), 1);
        QTest::keyClick(d.TextBox()->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(table_.RecordNumber(), 2);
        Find(d);
        EXPECT_EQ(table_.RecordNumber(), 3);
    });
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(FindTest, DownStartsAtTheCurrentRecordAndStopsAtTheEndWithoutWrapping) {
    Works(20);
    GoTo(10);
    const int top = grid_->TopRow();
    const int row = grid_->CurrentRowIndex();
    InFinder([&](FindDialog& d) {
        d.ScopeBox()->setCurrentIndex(1);
        d.MatchBox()->setCurrentIndex(2); // the start of the field
        Type(d, QStringLiteral("W0001"));
        Find(d);
        EXPECT_EQ(table_.RecordNumber(), 10); // W00010 itself
        Find(d);
        EXPECT_EQ(table_.RecordNumber(), 11);
        MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
        Type(d, QStringLiteral("W00003"));
        Find(d);
        EXPECT_EQ(table_.RecordNumber(), 11); // back where the search began
    });
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Строка \"W00003\" не найдена.")});
    EXPECT_EQ(grid_->TopRow(), top);
    EXPECT_EQ(grid_->CurrentRowIndex(), row + 1);
}

TEST_F(FindTest, UpSearchesTowardsTheFirstAndCtrlTurnsTheDirection) {
    Works(20);
    GoTo(10);
    InFinder([&](FindDialog& d) {
        d.ScopeBox()->setCurrentIndex(0);
        d.MatchBox()->setCurrentIndex(1); // the whole field
        Type(d, QStringLiteral("W00003"));
        Find(d);
        EXPECT_EQ(table_.RecordNumber(), 3);
        d.ScopeBox()->setCurrentIndex(1);
        Type(d, QStringLiteral("W00002"));
        QTest::keyClick(d.TextBox()->lineEdit(), Qt::Key_Return,
                        Qt::ControlModifier); // "Вниз" turned round
        EXPECT_EQ(table_.RecordNumber(), 2);
    });
    EXPECT_TRUE(Messages().isEmpty());
}

struct MatchCase {
    const char* name;
    int match; // index in "&Совпадение:"
    bool caseSensitive;
    const char* pattern;
    const char* found; // nullptr: no match
};
class FindMatchTest : public FindTest, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(FindMatchTest, MatchKindAndCase) {
    const MatchCase& c = GetParam();
    // Each insert goes before the current record: inserted backwards, they stand
    // as abc01, Ёлка2, xabcx, ABC.
    for (const char* id : {"ABC", "xabcx", "Ёлка2", "abc01"}) {
        table_.Insert();
        table_.FieldNamed("ID").SetStringValue(id);
        table_.Post();
    }
    table_.GoFirst(); // the row order: as inserted
    RecordEvents(table_, log_);
    const std::string before = CurrentId();
    if (!c.found) MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    InFinder([&](FindDialog& d) {
        d.MatchBox()->setCurrentIndex(c.match);
        d.CaseBox()->setChecked(c.caseSensitive);
        Type(d, QString::fromUtf8(c.pattern));
        Find(d);
    });
    if (c.found) {
        EXPECT_EQ(CurrentId(), c.found);
        EXPECT_TRUE(Messages().isEmpty());
    } else {
        EXPECT_EQ(CurrentId(), before);
        EXPECT_EQ(
            Messages(),
            QStringList{
                QStringLiteral("Строка \"%1\" не найдена.").arg(QString::fromUtf8(c.pattern))});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FindMatchTest,
    ::testing::Values(MatchCase{"AnywhereFolded", 0, false, "BC", "abc01"},
                      MatchCase{"AnywhereExact", 0, true, "BC", "ABC"},
                      MatchCase{"AnywhereInside", 0, true, "abcx", "xabcx"},
                      MatchCase{"WholeFolded", 1, false, "abc", "ABC"},
                      MatchCase{"WholeNeedsAll", 1, true, "abc", nullptr},
                      MatchCase{"StartFolded", 2, false, "X", "xabcx"},
                      MatchCase{"StartNotInside", 2, true, "bc", nullptr},
                      MatchCase{"StartLongerThanField", 2, false, "ABCD", nullptr},
                      MatchCase{"CyrillicFolds", 1, false, "ёЛКА2", "Ёлка2"},
                      MatchCase{"CyrillicCaseKept", 1, true, "ёлка2", nullptr}),
    [](const ::testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.name); });

TEST_F(FindTest, SearchMovesAreNavigationCallsAndControlsHearOnlyTheEnd) {
    Works(20);
    GoTo(2);
    NotificationRecorder recorder;
    recorder.SetDataSource(&source_);
    const int shown = grid_->RecordsShown();
    const int row = grid_->CurrentRowIndex();
    const int d = row + ((shown + 1) % 2) - shown / 2;
    InFinder([&](FindDialog& dialog) {
        dialog.ScopeBox()->setCurrentIndex(1);
        Type(dialog, QStringLiteral("W00004"));
        recorder.kinds.clear();
        Find(dialog);
    });
    EXPECT_EQ(table_.RecordNumber(), 4);
    EventLog expected;
    const EventLog bookmarkStep = d == 0 ? kStopped : kMoved;
    for (int i = 0; i < 2; ++i)
        expected.insert(expected.end(), bookmarkStep.begin(), bookmarkStep.end());
    for (int i = 0; i < 2; ++i)
        expected.insert(expected.end(), kMoved.begin(), kMoved.end()); // W00003, W00004
    EXPECT_EQ(Take(), expected);
    EXPECT_EQ(recorder.kinds, std::vector<TNotifyKind>{nkTableChange});
    EXPECT_FALSE(table_.NotificationsSuspended());
}

TEST_F(FindTest, FailedSearchReturnsThroughTheBookmarkInTheMiddle) {
    Works(100);
    for (int i = 0; i < 30; ++i) Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    const int top = grid_->TopRow();
    const int row = grid_->CurrentRowIndex();
    const int record = table_.RecordNumber();
    Take();
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    InFinder([&](FindDialog& d) {
        Type(d, QStringLiteral("nothing"));
        Find(d);
    });
    EXPECT_EQ(table_.RecordNumber(), record);
    EXPECT_EQ(grid_->TopRow(), top);
    EXPECT_EQ(grid_->CurrentRowIndex(), row);
    // 2 bookmark steps, GoFirst, 99 steps and the one that meets the end, the return, the step
    // back.
    const EventLog events = Take();
    EXPECT_EQ(events.size(), 2u * (2 + 1 + 100 + 1 + 1));
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Строка \"nothing\" не найдена.")});
}

} // namespace
