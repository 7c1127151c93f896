// The window's scan and answer-sheet handlers, driven through the real window
// on the offscreen platform over real folder trees.
#include "app/T_main.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/DirectoryEdit.h"
#include "app/MessageBoxes.h"
#include "app/TDBGridPlus.h"
#include "app/TDBText.h"
#include "catalogue/WorkList.h"
#include "memtable/Exceptions.h"
#include "memtable/TqvrMemTable.h"
#include "ScanTestSupport.h"

namespace {

using scantest::DemoCopy;
using scantest::Tree;

const QString kListReady = QStringLiteral("Список работ получен");
const QString kStopped = QStringLiteral("Получение списка работ прервано");

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBoxes::ClearShownBoxes();
        MessageBoxes::ClearNextAnswers();
        MessageBoxes::SetCloseAtOnce(false);
        scanning = false;
        matchedFiles = 0;
        closeRequestedDuringScan = false;
        window_ = std::make_unique<T_main>();
        window_->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        window_.reset();
        scanning = false;
        matchedFiles = 0;
        closeRequestedDuringScan = false;
        MessageBoxes::SetCloseAtOnce(false);
        MessageBoxes::ClearNextAnswers();
    }

    void Scan(const std::string& folder, int boxes = 2) {
        window_->DirectoryEdit1->setText(QString::fromStdString(folder));
        for (int i = 0; i < boxes; ++i) MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
        window_->Button1Click(window_->Button1);
    }
    QStringList BoxTexts() const {
        QStringList texts;
        for (const auto& box : MessageBoxes::ShownBoxes()) texts << box.text;
        return texts;
    }
    std::string Current(const char* field) const {
        return window_->tblWork->FieldNamed(field).StringValue();
    }
    std::string Shown(const char* field) const {
        return window_->answers->FieldNamed(field).StringValue();
    }
    void ExpectIdle() const {
        EXPECT_FALSE(scanning);
        EXPECT_TRUE(window_->Button1->isEnabled());
        EXPECT_FALSE(window_->Button2->isEnabled());
    }

    std::unique_ptr<T_main> window_;
};

TEST_F(ScanTest, ACompletedScanListsSortsAndShowsTheFirstWork) {
    DemoCopy demo;
    const std::string top = demo.Root() + "/";
    const std::string class7a = top + "Школа 17/7А/";
    Scan(demo.Root());
    ExpectIdle();
    EXPECT_EQ(matchedFiles, 16);
    EXPECT_EQ(window_->tblWork->RecordTotal(), 5);
    EXPECT_EQ(BoxTexts(), QStringList{kListReady});
    // 10231 sorts first; its sheet is loaded and its folder shown.
    EXPECT_EQ(Current("ID"), "10231");
    EXPECT_EQ(Current("pathWork"), class7a);
    ASSERT_TRUE(window_->answers->Active());
    EXPECT_EQ(Shown("VarNo"), "1");
    EXPECT_EQ(Shown("a4"), "went");
    EXPECT_EQ(window_->StatusText(), QString::fromStdString("Путь до работы: " + class7a));
    EXPECT_TRUE(window_->ListWork->hasFocus() || !window_->isActiveWindow());

    // Moving on: 10240 has no sheet; its folder is shown before the box.
    MessageBoxes::ClearShownBoxes();
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    window_->tblWork->StepBy(1);
    EXPECT_EQ(Current("ID"), "10240");
    EXPECT_FALSE(window_->answers->Active());
    EXPECT_EQ(BoxTexts(), QStringList{QString::fromStdString(
                              "Файл " + class7a + "10240_0.ans с ответами участника не найден: ")});
    EXPECT_EQ(window_->StatusText(), QString::fromStdString("Путь до работы: " + class7a));
    // And on to a work with a Cyrillic sheet: shown again.
    window_->tblWork->StepBy(1);
    EXPECT_EQ(Current("ID"), "10318");
    ASSERT_TRUE(window_->answers->Active());
    EXPECT_EQ(Shown("a4"), "в библиотеке");
}

TEST_F(ScanTest, ASecondScanAddsAndTakesTheNewFolders) {
    Tree one, two;
    one.File("11111_0.ogg");
    one.File("22222_0.ogg");
    two.File("22222_2.ogg");
    Scan(one.Root(), 3);
    Scan(two.Root(), 3);
    EXPECT_EQ(matchedFiles, 1);
    ASSERT_EQ(window_->tblWork->RecordTotal(), 2);
    window_->tblWork->SetRecordNumber(2);
    EXPECT_EQ(Current("ID"), "22222");
    EXPECT_EQ(Current("pathWork"), two.Root() + "/");
}

TEST_F(ScanTest, StoppingKeepsWhatWasFoundAndDoesNothingElse) {
    Tree t;
    for (int i = 0; i < 50; ++i)
        t.File("f" + std::to_string(i) + "/" + std::to_string(10000 + i) + "_0.ogg");
    window_->SetStatusText(QStringLiteral("before"));
    int pumpsSeen = 0;
    // The click arrives through the scan's own pumping, as the user's would.
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (++pumpsSeen == 1) window_->Button2->click();
    });
    ticker.start(0);
    Scan(t.Root(), 1);
    ticker.stop();
    ExpectIdle();
    EXPECT_EQ(BoxTexts(), QStringList{kStopped});
    EXPECT_LT(window_->tblWork->RecordTotal(), 50);
    EXPECT_EQ(matchedFiles, window_->tblWork->RecordTotal());
    EXPECT_FALSE(window_->answers->Active());
    // The levels left cleared the panel; the stopped branch wrote nothing after.
    EXPECT_EQ(window_->StatusText(), QString());
}

TEST_F(ScanTest, ADamagedSheetAtTheEndLeavesTheScanFlagUntilAbort) {
    Tree t;
    t.File("11111_0.ans", "this is not a sheet");
    t.File("22222_0.ogg");
    window_->DirectoryEdit1->setText(QString::fromStdString(t.Root()));
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    try {
        window_->Button1Click(window_->Button1);
        FAIL() << "the damaged sheet loaded";
    } catch (const EReadError& error) {
        EXPECT_STREQ(error.what(), "Invalid stream format");
    }
    EXPECT_TRUE(scanning);
    EXPECT_FALSE(window_->Button1->isEnabled());
    EXPECT_TRUE(window_->Button2->isEnabled());
    EXPECT_EQ(window_->tblWork->RecordTotal(), 2);
    // Loading on moves stays off until "Прервать".
    MessageBoxes::ClearShownBoxes();
    window_->tblWork->StepBy(1);
    EXPECT_TRUE(MessageBoxes::ShownBoxes().empty());
    window_->Button2->click();
    ExpectIdle();
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    window_->tblWork->GoLast(); // the list was sorted before the failed load
    EXPECT_EQ(BoxTexts(),
              QStringList{QString::fromStdString("Файл " + t.Root() +
                                                 "/22222_0.ans с ответами участника не найден: ")});
}

TEST_F(ScanTest, NoMatchedFileMeansNoLoadingOnMoves) {
    Tree works, empty;
    works.File("11111_0.ogg");
    works.File("22222_0.ogg");
    empty.File("readme.txt");
    Scan(works.Root(), 3);
    Scan(empty.Root(), 3);
    EXPECT_EQ(matchedFiles, 0);
    MessageBoxes::ClearShownBoxes();
    window_->SetStatusText(QStringLiteral("unchanged"));
    window_->tblWork->StepBy(1);
    window_->tblWork->GoFirst();
    EXPECT_TRUE(MessageBoxes::ShownBoxes().empty());
    EXPECT_EQ(window_->StatusText(), QStringLiteral("unchanged"));
}

TEST_F(ScanTest, AnEmptyFolderTextScansTheCurrentDirectory) {
    Tree t;
    t.File("readme.txt");
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(t.Root());
    Scan("", 2);
    std::filesystem::current_path(saved);
    ExpectIdle();
    EXPECT_EQ(
        BoxTexts(),
        (QStringList{kListReady, QStringLiteral("Файл _0.ans с ответами участника не найден: ")}));
    EXPECT_EQ(window_->StatusText(), QStringLiteral("Путь до работы: "));
}

TEST_F(ScanTest, ACloseRequestWaitsForTheScanThenClosesTheBoxesAtOnce) {
    Tree t;
    for (int i = 0; i < 20; ++i)
        t.File("d" + std::to_string(i) + "/" + std::to_string(30000 + i) + "_0.ogg");
    bool closed = false;
    QTimer::singleShot(0, window_.get(), [&] { closed = window_->close(); });
    window_->DirectoryEdit1->setText(QString::fromStdString(t.Root()));
    window_->Button1Click(
        window_->Button1); // no answers queued: the boxes must close by themselves
    EXPECT_FALSE(closed);  // the request was put off...
    EXPECT_EQ(window_->tblWork->RecordTotal(), 20); // ...the scan ran to its end...
    EXPECT_FALSE(window_->isVisible());             // ...and then the window closed
    EXPECT_EQ(BoxTexts(),
              (QStringList{kListReady, QString::fromStdString(
                                           "Файл " + t.Root() +
                                           "/d0/30000_0.ans с ответами участника не найден: ")}));
}

// The handler is left by the damaged first sheet's error, which the program's
// exception box shows (closed at once, as every box after a close); the close
// asked for during the walk still takes effect once the handler has ended.
TEST_F(ScanTest, ACloseRequestDuringAScanThatAnExceptionEndsStillCloses) {
    Tree t;
    t.File("00000_0.ans", "this is not a sheet");
    t.File("d/11111_0.ogg");
    window_->DirectoryEdit1->setText(QString::fromStdString(t.Root()));
    QTimer::singleShot(0, window_.get(), [&] { window_->close(); });
    QTest::mouseClick(window_->Button1, Qt::LeftButton); // through the application's dispatch
    for (int i = 0; i < 500 && window_->isVisible(); ++i) QTest::qWait(10);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(BoxTexts(), (QStringList{kListReady, QStringLiteral("Invalid stream format.")}));
    EXPECT_FALSE(closeRequestedDuringScan);
}

// Scans the demo works (the first work's answers show), then `folder`, whose
// first work's sheet is damaged: the load's error ends the scan's handler.
void ScanThenFailOnADamagedSheet(T_main& window, const std::string& demo, const Tree& damaged) {
    damaged.File("00000_0.ans", "this is not a sheet");
    for (const std::string* folder : {&demo, &damaged.Root()}) {
        window.DirectoryEdit1->setText(QString::fromStdString(*folder));
        MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
        MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
        try {
            window.Button1Click(window.Button1);
        } catch (const EReadError&) {
        }
    }
    ASSERT_TRUE(scanning) << "the damaged sheet did not end the scan";
}

// When a move loads no sheet (the last scan matched nothing, or an exception
// ended it), the labels must not go on showing the answers of another work.
class NothingLoadsTest : public ScanTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NothingLoadsTest, LabelsNeverShowAnotherWorksAnswers) {
    DemoCopy demo;
    Tree other;
    if (GetParam()) {
        ScanThenFailOnADamagedSheet(*window_, demo.Root(), other);
    } else {
        Scan(demo.Root());
        other.File("readme.txt");
        Scan(other.Root());
        ASSERT_EQ(window_->DBText4->text(), QStringLiteral("went")); // the first work's
    }
    // 10318 has a sheet of its own, which nothing loads now.
    ASSERT_TRUE(window_->tblWork->SeekKey("ID", std::string("10318")));
    EXPECT_EQ(window_->DBText4->text(), QString());
    EXPECT_EQ(window_->DBText1->text(), QString());
}

INSTANTIATE_TEST_SUITE_P(AfterAScan, NothingLoadsTest, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "EndedByAnException"
                                                           : "ThatMatchedNothing");
                         });

// After an exception ended a scan no scan runs, whatever the scanning flag
// says: a close closes, and later boxes wait for their answer.
TEST_F(ScanTest, AfterAScanEndedByAnExceptionACloseCloses) {
    DemoCopy demo;
    Tree damaged;
    ScanThenFailOnADamagedSheet(*window_, demo.Root(), damaged);
    EXPECT_TRUE(window_->close());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(closeRequestedDuringScan);
    EXPECT_FALSE(MessageBoxes::CloseAtOnce());
}

// A FIFO or a device named like a sheet or a recording is no file: the window
// reports it missing instead of waiting on it for ever or reading it endlessly.
TEST_F(ScanTest, SpecialFilesNamedLikeAWorksFilesAreMissing) {
    Tree t;
    ASSERT_EQ(mkfifo(t.Path("11111_0.ans").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(t.Path("11111_2.ogg").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", t.Path("22222_0.ans"));
    std::filesystem::create_symlink("/dev/zero", t.Path("22222_2.ogg"));
    Scan(t.Root());
    for (const char* id : {"11111", "22222"}) {
        SCOPED_TRACE(id);
        MessageBoxes::ClearShownBoxes();
        MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
        MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
        ASSERT_TRUE(window_->tblWork->SeekKey("ID", std::string(id)));
        window_->Button3->click();
        const std::string base = t.Root() + "/" + id;
        EXPECT_EQ(BoxTexts(),
                  (QStringList{QString::fromStdString("Файл " + base +
                                                      "_0.ans с ответами участника не найден: "),
                               QString::fromStdString("файл " + base + "_2.ogg не найден")}));
        EXPECT_FALSE(window_->answers->Active());
    }
}

// The status panel follows the walk but is not repainted for every entry.
TEST_F(ScanTest, TheStatusPanelIsNotPaintedPerEntry) {
    Tree t;
    for (int d = 0; d < 40; ++d)
        for (int f = 0; f < 50; ++f)
            t.File("d" + std::to_string(d) + "/other" + std::to_string(f) + ".txt");
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    window_->StatusBar1->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;
    Scan(t.Root(), 2);
    window_->StatusBar1->removeEventFilter(&counter);
    // 2,000 files and 40 folder ends; a repaint per change would be thousands.
    EXPECT_LT(counter.paints, 200);
    EXPECT_EQ(matchedFiles, 0);
}

// Pending events are pumped on a time slice, not per entry (the first entry
// pumps at once: the test of stopping relies on it), and the grid is paced
// only while the walk runs.
TEST_F(ScanTest, TheWalkPumpsOnATimeSliceNotPerEntry) {
    Tree t;
    constexpr int kFolders = 40, kFiles = 50;
    for (int d = 0; d < kFolders; ++d)
        for (int f = 0; f < kFiles; ++f)
            t.File("d" + std::to_string(d) + "/" + std::to_string(10000 + d * kFiles + f) +
                   "_0.ogg");
    int pumps = 0;
    QTimer ticker; // a zero timer fires once in every pass over pending events
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (scanning && window_->ListWork->FramePaced()) ++pumps;
    });
    ticker.start(0);
    Scan(t.Root(), 2);
    ticker.stop();
    ExpectIdle();
    EXPECT_EQ(window_->tblWork->RecordTotal(), kFolders * kFiles);
    const int entries = kFolders * (kFiles + 2) + 3;
    EXPECT_GE(pumps, 2); // the first entry and the walk's end at least
    EXPECT_LT(pumps, entries / 4);
    EXPECT_FALSE(window_->ListWork->FramePaced());
}

} // namespace
