#include "app/T_main.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>

#include "app/AppTitle.h"
#include "app/DefaultFolder.h"
#include "app/DirectoryEdit.h"
#include "app/MessageBoxes.h"
#include "app/TDBGridPlus.h"
#include "app/TDBText.h"
#include "app/TGauge.h"
#include "app/WindowFont.h"
#include "app/WindowPlacement.h"
#include "audio/Bass.h"
#include "catalogue/AddFolderSlash.h"
#include "catalogue/WorkList.h"
#include "memtable/TDataSource.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

T_main* _main = nullptr;

bool scanning = false;
std::int32_t matchedFiles = 0;
std::uint32_t currentChannel = 0;
std::int32_t recordLengthBytes = 0;
double recordLengthSeconds = 0.0;
bool paused = false;
bool closeRequestedDuringScan = false;
bool scanHandlerActive = false;

namespace {

const char* const kWindowTitle =
    "Просмотр и прослушивание ответов участников ЗЕНОР-2020 7 класс по иностранному языку";

// The elapsed-time label alone has a face of its own, larger and bold.
QFont TimeFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, QRect geometry,
                  const QFont& font) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(geometry);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

TDBText* MakeDBText(QWidget* parent, const char* name, TDataSource* source, const char* field,
                    QPoint at) {
    auto* text = new TDBText(parent);
    text->setObjectName(QString::fromUtf8(name));
    text->move(at);
    text->SetDataField(field);
    text->SetDataSource(source);
    return text;
}

} // namespace

T_main::T_main(QWidget* parent) : QWidget(parent) {
    _main = this;
    try {
        CreateComponents();
        CreateLayout();
        FormCreate(this);
    } catch (...) {
        ReleaseComponents();
        _main = nullptr;
        throw;
    }
}

T_main::~T_main() {
    ReleaseComponents();
    if (_main == this) _main = nullptr;
}

void T_main::CreateComponents() {
    tblWork = new TqvrMemTable("tblWork");
    const zenor::WorkTableFields workFields = zenor::DefineWorkTable(*tblWork);
    tblWorkID = workFields.id;
    tblWorkpathWork = workFields.pathWork;
    tblWork->BeforeScroll = [this](TDataSet& table) { tblWorkBeforeScroll(table); };
    tblWork->AfterScroll = [this](TDataSet& table) { tblWorkAfterScroll(table); };
    tblWork->Open();

    answers = new TqvrMemTable("answers");
    for (const char* name : {"a1", "a2", "a3", "a4", "a5", "a6"}) answers->AddStringField(name, 20);
    answers->AddStringField("VarNo", 0);

    qvrBinaryStreamFormat1 = new TqvrBinaryStreamFormat;

    ds_tblWork = new TDataSource(tblWork);
    ds_tblWork->SetAutoEdit(true);
    ds_answers = new TDataSource(answers);
    ds_answers->SetAutoEdit(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(Timer1); });
}

void T_main::CreateLayout() {
    setObjectName(QStringLiteral("_main"));
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(971, 403);
    move(538, 197);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFont(WindowFont());
    QFont bold = font();
    bold.setBold(true);
    QFont boldUnderlined = bold;
    boldUnderlined.setUnderline(true);

    // Never seen: it lies under the top panel, which is created after it.
    DBText2 = MakeDBText(this, "DBText2", ds_answers, "VarNo", {7, 20});

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(0, 0, 971, 41);
    Panel1->setAutoFillBackground(true);
    Panel1->setBackgroundRole(QPalette::Button);

    Label1 = MakeLabel(Panel1, "Label1", "Путь до файлов с ответами участников ЗЕНОР",
                       {9, 13, 225, 13}, font());
    Button1 = MakeButton(Panel1, "Button1", "Получить работы", {749, 6, 100, 25});
    Button2 = MakeButton(Panel1, "Button2", "Прервать", {863, 6, 75, 25});
    Button2->setEnabled(false);

    DirectoryEdit1 = new DirectoryEdit(this);
    DirectoryEdit1->setObjectName(QStringLiteral("DirectoryEdit1"));
    DirectoryEdit1->setGeometry(239, 8, 506, 21);
    DirectoryEdit1->setText(QStringLiteral("c:\\"));
    DirectoryEdit1->raise();

    ListWork = new TDBGridPlus(this);
    ListWork->setObjectName(QStringLiteral("ListWork"));
    ListWork->setGeometry(0, 41, 153, 343);
    ListWork->SetDataSource(ds_tblWork);

    Label8 = MakeLabel(this, "Label8", "Вариант: ", {160, 52, 58, 13}, boldUnderlined);
    DBText3 = MakeDBText(this, "DBText3", ds_answers, "VarNo", {218, 52});
    DBText3->setFont(boldUnderlined);

    Label2 = MakeLabel(this, "Label2", "Задание № 1", {160, 84, 78, 13}, bold);
    DBText1 = MakeDBText(this, "DBText1", ds_answers, "a1", {250, 84});

    Button3 = MakeButton(this, "Button3", "Прослушать ответ", {250, 132, 105, 25});
    pb = new TGauge(this);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setGeometry(488, 132, 369, 25);
    pb->SetProgress(0);
    pb->hide();
    Label3 = MakeLabel(this, "Label3", "Задание № 2", {160, 137, 78, 13}, bold);
    PausePlay = MakeButton(this, "PausePlay", "Далее", {365, 133, 50, 25});
    PausePlay->hide();
    btnStop = MakeButton(this, "btnStop", "Стоп", {429, 133, 50, 25});
    btnStop->hide();
    lTime = MakeLabel(this, "lTime", "", {861, 137, 4, 16}, TimeFont());

    Button4 = MakeButton(this, "Button4", "Прослушать ответ", {250, 184, 105, 25});
    Label4 = MakeLabel(this, "Label4", "Задание № 3", {160, 190, 78, 13}, bold);
    Label5 = MakeLabel(this, "Label5", "Задание № 4", {160, 243, 78, 13}, bold);
    DBText4 = MakeDBText(this, "DBText4", ds_answers, "a4", {250, 243});
    Label6 = MakeLabel(this, "Label6", "Задание № 5", {160, 296, 78, 13}, bold);
    DBText5 = MakeDBText(this, "DBText5", ds_answers, "a5", {250, 296});
    Label7 = MakeLabel(this, "Label7", "Задание № 6", {160, 349, 78, 13}, bold);
    DBText6 = MakeDBText(this, "DBText6", ds_answers, "a6", {250, 349});

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFocusPolicy(Qt::NoFocus);
    StatusBar1->setGeometry(0, 384, 971, 19);

    for (QWidget* passive : std::initializer_list<QWidget*>{Panel1, pb, StatusBar1})
        passive->setFocusPolicy(Qt::NoFocus);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, DirectoryEdit1);
    setTabOrder(DirectoryEdit1, ListWork);
    setTabOrder(ListWork, Button3);
    setTabOrder(Button3, Button4);
    setTabOrder(Button4, btnStop);
    setTabOrder(btnStop, PausePlay);
    Button1->setFocus(Qt::OtherFocusReason);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(Button2); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(Button3); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(Button4); });
    connect(btnStop, &QPushButton::clicked, this, [this] { btnStopClick(btnStop); });
    connect(PausePlay, &QPushButton::clicked, this, [this] { PausePlayClick(PausePlay); });
}

void T_main::ReleaseComponents() {
    if (Timer1) Timer1->stop();
    // The bound controls let go of their data sources before those go, and the
    // data sources of their tables before the tables go.
    for (QWidget* bound : std::initializer_list<QWidget*>{ListWork, DBText1, DBText2, DBText3,
                                                          DBText4, DBText5, DBText6})
        delete bound;
    ListWork = nullptr;
    DBText1 = DBText2 = DBText3 = DBText4 = DBText5 = DBText6 = nullptr;
    delete ds_tblWork;
    delete ds_answers;
    ds_tblWork = ds_answers = nullptr;
    delete tblWork;
    delete answers;
    tblWork = answers = nullptr;
    delete qvrBinaryStreamFormat1;
    qvrBinaryStreamFormat1 = nullptr;
    tblWorkID = tblWorkpathWork = nullptr;
}

void T_main::FormCreate(QObject* Sender) {
    (void)Sender;
    const QString program = ProgramFilePath();
    const QString programFolder = program.left(program.lastIndexOf(QLatin1Char('/')) + 1);
    DirectoryEdit1->setText(
        DefaultFolder(QString::fromStdString(zenor::AddFolderSlash(programFolder.toStdString()))));

    if ((BASS_GetVersion() >> 16) != 0x0204) {
        MessageBoxes::VersionError(QStringLiteral("Некорректная библиотева BASS.DLL"));
        throw EAbortStartup{0};
    }
    // The device is opened for this window; its system handle is made now,
    // while the window stays hidden.
    if (BASS_Init(-1, 44100, 0, reinterpret_cast<void*>(winId()), nullptr) == 0) {
        BASS_Free();
        MessageBoxes::DeviceError(QStringLiteral("Не работает устройство воспроизведения..."));
        throw EAbortStartup{0};
    }
}

QString T_main::StatusText() const {
    return StatusBar1->currentMessage();
}

void T_main::SetStatusText(const QString& text) {
    if (text.isEmpty())
        StatusBar1->clearMessage();
    else
        StatusBar1->showMessage(text);
}

void T_main::closeEvent(QCloseEvent* event) {
    if (ScanRunning()) {
        // The scan finishes first; the boxes it still shows must not wait for
        // anybody, and the scan's handler closes the window at its end.
        closeRequestedDuringScan = true;
        MessageBoxes::SetCloseAtOnce(true);
        event->ignore();
        return;
    }
    event->accept();
}

void T_main::showEvent(QShowEvent* event) {
    // Placed when the program shows the window rather than when it is made, so
    // that the frame which the window system reports by then is part of what
    // must fit. A show by the window system itself (a restore) leaves the
    // user's placement alone.
    if (!event->spontaneous()) {
        QScreen* screen = QGuiApplication::screenAt(pos());
        if (screen == nullptr) screen = QGuiApplication::primaryScreen();
        if (screen != nullptr)
            move(FitOnScreen(pos(), frameGeometry().size(), screen->availableGeometry()));
    }
    QWidget::showEvent(event);
}

bool T_main::ScanRunning() {
    return scanning && scanHandlerActive;
}

void T_main::CloseIfRequestedDuringScan() {
    if (!closeRequestedDuringScan) return;
    closeRequestedDuringScan = false;
    close();
    if (isVisible()) MessageBoxes::SetCloseAtOnce(false);
}
