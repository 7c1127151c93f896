#include "app/T_main.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/DirectoryEdit.h"
#include "app/MessageBoxes.h"
#include "app/TDBGridPlus.h"
#include "app/TDBText.h"
#include "app/TGauge.h"
#include "app/WindowFont.h"
#include "memtable/TDataSource.h"
#include "memtable/TStringField.h"
#include "memtable/TqvrMemTable.h"

namespace {

// One window for the suite: creating it opens the output device.
class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { window_ = new T_main; }
    static void TearDownTestSuite() {
        delete window_;
        window_ = nullptr;
    }
    void SetUp() override {
        MessageBoxes::ClearShownBoxes();
        MessageBoxes::ClearNextAnswers();
        MessageBoxes::SetCloseAtOnce(false);
    }
    void TearDown() override {
        scanning = scanHandlerActive = false;
        closeRequestedDuringScan = false;
        MessageBoxes::SetCloseAtOnce(false);
    }
    static T_main* window_;
};
T_main* MainWindowTest::window_ = nullptr;

enum class Look { Plain, Bold, BoldUnderlined, Time };

struct Row {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* text;
    Look look;
    bool visible;
    bool enabled;
};

const Row kLayout[] = {
    {"Panel1", "_main", {0, 0, 971, 41}, nullptr, Look::Plain, true, true},
    {"Label1",
     "Panel1",
     {9, 13, 225, 13},
     "Путь до файлов с ответами участников ЗЕНОР",
     Look::Plain,
     true,
     true},
    {"DirectoryEdit1", "_main", {239, 8, 506, 21}, nullptr, Look::Plain, true, true},
    {"Button1", "Panel1", {749, 6, 100, 25}, "Получить работы", Look::Plain, true, true},
    {"Button2", "Panel1", {863, 6, 75, 25}, "Прервать", Look::Plain, true, false},
    {"ListWork", "_main", {0, 41, 153, 343}, nullptr, Look::Plain, true, true},
    {"Label8", "_main", {160, 52, 58, 13}, "Вариант: ", Look::BoldUnderlined, true, true},
    {"Label2", "_main", {160, 84, 78, 13}, "Задание № 1", Look::Bold, true, true},
    {"Button3", "_main", {250, 132, 105, 25}, "Прослушать ответ", Look::Plain, true, true},
    {"pb", "_main", {488, 132, 369, 25}, nullptr, Look::Plain, false, true},
    {"Label3", "_main", {160, 137, 78, 13}, "Задание № 2", Look::Bold, true, true},
    {"PausePlay", "_main", {365, 133, 50, 25}, "Далее", Look::Plain, false, true},
    {"btnStop", "_main", {429, 133, 50, 25}, "Стоп", Look::Plain, false, true},
    {"lTime", "_main", {861, 137, 4, 16}, "", Look::Time, true, true},
    {"Button4", "_main", {250, 184, 105, 25}, "Прослушать ответ", Look::Plain, true, true},
    {"Label4", "_main", {160, 190, 78, 13}, "Задание № 3", Look::Bold, true, true},
    {"Label5", "_main", {160, 243, 78, 13}, "Задание № 4", Look::Bold, true, true},
    {"Label6", "_main", {160, 296, 78, 13}, "Задание № 5", Look::Bold, true, true},
    {"Label7", "_main", {160, 349, 78, 13}, "Задание № 6", Look::Bold, true, true},
    {"StatusBar1", "_main", {0, 384, 971, 19}, nullptr, Look::Plain, true, true},
};

TEST_F(MainWindowTest, Window) {
    T_main& w = *window_;
    EXPECT_EQ(_main, &w);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Просмотр и прослушивание ответов участников "
                                              "ЗЕНОР-2020 7 класс по иностранному языку"));
    EXPECT_EQ(w.size(), QSize(971, 403));
    EXPECT_EQ(w.minimumSize(), QSize(971, 403));
    EXPECT_EQ(w.maximumSize(), QSize(971, 403));
    EXPECT_EQ(w.pos(), QPoint(538, 197));
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(w.isVisible()) << "the window is shown by the program entry, not by its creation";
}

TEST_F(MainWindowTest, EveryControlAtItsPlaceWithItsTextAndState) {
    T_main& w = *window_;
    w.show();
    for (const Row& row : kLayout) {
        SCOPED_TRACE(row.name);
        auto* widget = w.findChild<QWidget*>(QString::fromUtf8(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromUtf8(row.parent));
        EXPECT_EQ(widget->geometry(), row.geometry);
        EXPECT_EQ(widget->isVisible(), row.visible);
        EXPECT_EQ(widget->isEnabled(), row.enabled);
        if (row.text) {
            QString text;
            if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
            if (auto* button = qobject_cast<QPushButton*>(widget)) text = button->text();
            EXPECT_EQ(text, QString::fromUtf8(row.text));
        }
        const QFont f = widget->font();
        EXPECT_EQ(f.bold(), row.look == Look::Bold || row.look == Look::BoldUnderlined ||
                                row.look == Look::Time);
        EXPECT_EQ(f.underline(), row.look == Look::BoldUnderlined);
        EXPECT_EQ(f.pixelSize(), row.look == Look::Time ? 13 : 11);
    }
    EXPECT_EQ(w.pb->Progress(), 0);
    w.hide();
}

TEST_F(MainWindowTest, AnswerLabelsAreBoundThroughTheAnswersSource) {
    T_main& w = *window_;
    struct Bound {
        TDBText* label;
        QPoint at;
    };
    for (const Bound& b : {Bound{w.DBText1, {250, 84}}, Bound{w.DBText2, {7, 20}},
                           Bound{w.DBText3, {218, 52}}, Bound{w.DBText4, {250, 243}},
                           Bound{w.DBText5, {250, 296}}, Bound{w.DBText6, {250, 349}}}) {
        ASSERT_NE(b.label, nullptr);
        EXPECT_EQ(b.label->pos(), b.at) << b.label->objectName().toStdString();
        EXPECT_EQ(b.label->text(), QString()) << "answers is closed at start";
    }
    EXPECT_TRUE(w.DBText3->font().bold());
    EXPECT_TRUE(w.DBText3->font().underline());
    EXPECT_FALSE(w.DBText1->font().bold());
    // DBText2 lies under the top panel and is never seen.
    const QList<QObject*> order = w.children();
    EXPECT_LT(order.indexOf(w.DBText2), order.indexOf(w.Panel1));
    EXPECT_TRUE(w.Panel1->geometry().contains(w.DBText2->geometry().topLeft()));
    // The folder box lies over the panel.
    EXPECT_GT(order.indexOf(w.DirectoryEdit1), order.indexOf(w.Panel1));
}

TEST_F(MainWindowTest, FontsShowCyrillicAndEveryCaptionFitsItsControl) {
    T_main& w = *window_;
    EXPECT_EQ(w.font().pixelSize(), 11);
    EXPECT_FALSE(w.font().italic());
    for (const Row& row : kLayout) {
        if (!row.text || !*row.text) continue;
        SCOPED_TRACE(row.name);
        auto* widget = w.findChild<QWidget*>(QString::fromUtf8(row.name));
        const QFontMetrics metrics(widget->font());
        const QString text = QString::fromUtf8(row.text);
        for (const QChar c : text)
            EXPECT_TRUE(metrics.inFont(c))
                << "no glyph for U+" << std::hex << static_cast<unsigned>(c.unicode());
        const int advance = metrics.horizontalAdvance(text);
        if (qobject_cast<QPushButton*>(widget)) {
            // Room for the button's bevel on both sides.
            EXPECT_LE(advance + 6, row.geometry.width());
            EXPECT_LE(metrics.height() + 4, row.geometry.height());
        } else {
            EXPECT_LE(advance, row.geometry.width());
            EXPECT_LE(metrics.height(), row.geometry.height() + 2);
        }
    }
    EXPECT_TRUE(QFontMetrics(w.lTime->font()).inFont(QLatin1Char('0')));
}

// The ink of `text` drawn in a cell: the box around its dark pixels, found
// inside `cell` clear of the cell's edges.
QRect InkBox(const QImage& image, QRect cell) {
    QRect ink;
    const QRect inner = cell.adjusted(2, 2, -2, -2);
    for (int y = inner.top(); y <= inner.bottom(); ++y)
        for (int x = inner.left(); x <= inner.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128) ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST_F(MainWindowTest, TheGridTitleItsCellsAndTheLabelsShareTheWindowFont) {
    T_main& w = *window_;
    // A work whose code reads like the title, below the current row, so that
    // the same text is drawn once by the title and once by a plain cell.
    for (const char* id : {"Код работы", "A"}) {
        w.tblWork->Insert();
        w.tblWorkID->SetStringValue(id);
        w.tblWork->Post();
    }
    w.tblWork->GoFirst();
    w.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(w.ListWork->RowText(1), w.ListWork->ColumnTitle());
    const QImage shot = w.ListWork->viewport()->grab().toImage();
    const QRect title = InkBox(shot, w.ListWork->TitleCellRect());
    const QRect cell = InkBox(shot, w.ListWork->DataCellRect(1));
    EXPECT_FALSE(title.isEmpty());
    // The same text in the same face covers the same pixels.
    EXPECT_EQ(title.width(), cell.width());
    EXPECT_EQ(title.height(), cell.height());
    for (const QWidget* widget :
         {static_cast<QWidget*>(w.ListWork), static_cast<QWidget*>(w.DBText1),
          static_cast<QWidget*>(w.DBText4), static_cast<QWidget*>(w.Label1)})
        EXPECT_EQ(widget->font(), WindowFont()) << widget->objectName().toStdString();
    while (w.tblWork->RecordTotal() > 0) w.tblWork->Delete();
    w.hide();
}

TEST_F(MainWindowTest, TabOrder) {
    T_main& w = *window_;
    const QList<QWidget*> expected{w.Button1, w.Button2, w.DirectoryEdit1, w.ListWork,
                                   w.Button3, w.Button4, w.btnStop,        w.PausePlay};
    QList<QWidget*> chain;
    QWidget* next = w.Button1;
    do {
        if (next->focusPolicy() & Qt::TabFocus) chain << next;
        next = next->nextInFocusChain();
    } while (next != w.Button1 && chain.size() < 40);
    EXPECT_EQ(chain, expected);
    for (QWidget* passive : {static_cast<QWidget*>(w.Panel1), static_cast<QWidget*>(w.StatusBar1),
                             static_cast<QWidget*>(w.pb), static_cast<QWidget*>(w.Label1),
                             static_cast<QWidget*>(w.DBText1), static_cast<QWidget*>(w.lTime)}) {
        EXPECT_EQ(passive->focusPolicy() & Qt::TabFocus, 0) << passive->objectName().toStdString();
    }
    // With Button2 disabled and the player hidden, Tab walks the rest.
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.Button1->setFocus();
    QList<QWidget*> walked{w.focusWidget()};
    for (int i = 0; i < 5 && walked.back() != w.ListWork; ++i) {
        QTest::keyClick(w.focusWidget(), Qt::Key_Tab);
        walked << w.focusWidget();
    }
    // Tab then stays inside the grid.
    EXPECT_EQ(walked, (QList<QWidget*>{w.Button1, w.DirectoryEdit1, w.ListWork}));
    QTest::keyClick(w.focusWidget(), Qt::Key_Backtab);
    w.Button3->setFocus();
    QTest::keyClick(w.Button3, Qt::Key_Tab);
    EXPECT_EQ(w.focusWidget(), w.Button4);
    QTest::keyClick(w.Button4, Qt::Key_Tab);
    EXPECT_EQ(w.focusWidget(), w.Button1) << "the hidden player buttons are skipped";
    w.hide();
}

TEST_F(MainWindowTest, ComponentsAtCreation) {
    T_main& w = *window_;
    ASSERT_NE(w.tblWork, nullptr);
    EXPECT_EQ(w.tblWork->Name(), "tblWork");
    EXPECT_EQ(w.tblWork->State(), tsBrowse);
    EXPECT_EQ(w.tblWork->RecordTotal(), 0);
    EXPECT_EQ(w.tblWork->SortFields(), "ID");
    EXPECT_EQ(w.tblWorkID->FieldName(), "ID");
    EXPECT_EQ(w.tblWorkID->Size(), 255);
    EXPECT_EQ(w.tblWorkpathWork->FieldName(), "pathWork");
    EXPECT_EQ(w.tblWorkpathWork->Size(), 4096);
    EXPECT_EQ(&w.tblWork->FieldNamed("id"), w.tblWorkID);
    EXPECT_EQ(&w.tblWork->FieldNamed("PATHWORK"), w.tblWorkpathWork);
    EXPECT_TRUE(static_cast<bool>(w.tblWork->BeforeScroll));
    EXPECT_TRUE(static_cast<bool>(w.tblWork->AfterScroll));

    ASSERT_NE(w.answers, nullptr);
    EXPECT_EQ(w.answers->Name(), "answers");
    EXPECT_EQ(w.answers->State(), tsInactive);
    const char* names[] = {"a1", "a2", "a3", "a4", "a5", "a6", "VarNo"};
    EXPECT_EQ(w.answers->FieldCount(), 7);
    for (int i = 0; i < 7; ++i) {
        const auto* field = dynamic_cast<const TStringField*>(w.answers->FindField(names[i]));
        ASSERT_NE(field, nullptr) << names[i];
        EXPECT_EQ(field->FieldName(), names[i]);
        EXPECT_EQ(field->Size(), i < 6 ? 20 : 0);
        EXPECT_EQ(field->DataSet(), w.answers);
    }

    EXPECT_EQ(w.ds_tblWork->DataSet(), w.tblWork);
    EXPECT_TRUE(w.ds_tblWork->AutoEdit());
    EXPECT_EQ(w.ds_answers->DataSet(), w.answers);
    EXPECT_FALSE(w.ds_answers->AutoEdit());
    EXPECT_EQ(w.ListWork->DataSource(), w.ds_tblWork);
    EXPECT_NE(w.qvrBinaryStreamFormat1, nullptr);

    EXPECT_EQ(w.Timer1->interval(), 1000);
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_FALSE(w.Timer1->isSingleShot());
}

TEST_F(MainWindowTest, StartStateAndSharedVariables) {
    T_main& w = *window_;
    // The folder box names "Answer/" beside the program file.
    const QString programFolder =
        QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();
    EXPECT_EQ(w.DirectoryEdit1->text(), programFolder + QStringLiteral("/Answer/"));
    EXPECT_EQ(w.StatusText(), QString());
    EXPECT_FALSE(w.StatusBar1->isSizeGripEnabled());
    EXPECT_EQ(w.lTime->text(), QString());
    EXPECT_FALSE(scanning);
    EXPECT_EQ(matchedFiles, 0);
    EXPECT_EQ(currentChannel, 0u);
    EXPECT_EQ(recordLengthBytes, 0);
    EXPECT_EQ(recordLengthSeconds, 0.0);
    EXPECT_FALSE(paused);
}

TEST_F(MainWindowTest, StatusPanelShowsOneTextCutAtTheRight) {
    T_main& w = *window_;
    w.SetStatusText(QStringLiteral("Путь до работы: /srv/Answer/"));
    EXPECT_EQ(w.StatusText(), QStringLiteral("Путь до работы: /srv/Answer/"));
    const QString longText = QString(300, QLatin1Char('x'));
    w.SetStatusText(longText);
    EXPECT_EQ(w.StatusText(), longText);
    EXPECT_EQ(w.StatusBar1->width(), 971);
    w.SetStatusText(QString());
    EXPECT_EQ(w.StatusText(), QString());
}

TEST_F(MainWindowTest, OnAScreenNarrowerThanTheWindowItStartsAtTheLeftEdgeAndKeepsItsTop) {
    // The offscreen platform's screen is 800 pixels wide.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_LT(available.width(), 971);
    T_main& w = *window_;
    w.show();
    EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(available.left(), 197));
    EXPECT_GT(w.frameGeometry().width(), 971) << "the frame is part of what must fit";
}

TEST_F(MainWindowTest, ClosingWithoutAScanClosesTheWindow) {
    T_main& w = *window_;
    w.show();
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(MessageBoxes::ShownBoxes().empty()) << "nothing is asked";
}

TEST_F(MainWindowTest, ACloseRequestDuringAScanWaitsForTheScan) {
    T_main& w = *window_;
    w.show();
    scanning = scanHandlerActive = true;
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(closeRequestedDuringScan);
    // The box at the end of the scan closes at once, without a user.
    MessageBoxes::Information(QStringLiteral("Список работ получен"));
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 1u);
    EXPECT_TRUE(w.isVisible());

    scanning = scanHandlerActive = false;
    w.CloseIfRequestedDuringScan();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(closeRequestedDuringScan);
}

TEST_F(MainWindowTest, AScanWithoutACloseRequestLeavesTheWindowOpen) {
    T_main& w = *window_;
    w.show();
    w.CloseIfRequestedDuringScan();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(MessageBoxes::CloseAtOnce());
    w.hide();
}

TEST_F(MainWindowTest, ACloseRequestFromANestedLoopDuringAScan) {
    // As the scan pumps messages, a close request arrives in the middle of it.
    T_main& w = *window_;
    w.show();
    scanning = scanHandlerActive = true;
    QTimer::singleShot(0, &w, [&w] { w.close(); });
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
    scanning = scanHandlerActive = false;
    w.CloseIfRequestedDuringScan();
    EXPECT_FALSE(w.isVisible());
}

} // namespace
