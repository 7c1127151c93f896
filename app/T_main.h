// The program's one window: the examiner's view of the works found under a
// folder, the written answers of the current work and the player for its oral
// answers. The window owns every component of its layout (tables, data
// sources, controls, timer) and creates them in its constructor, which ends by
// running FormCreate; the start-up checks in FormCreate either pass or end the
// start-up with EAbortStartup before the window is ever shown.
//
// The state that the handlers share lives in variables of this unit, declared
// below; they are touched only on the user-interface thread.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QStatusBar;
class QTimer;
class DirectoryEdit;
class TDataSet;
class TDataSource;
class TStringField;
class TqvrMemTable;
class TqvrBinaryStreamFormat;
class TDBGridPlus;
class TDBText;
class TGauge;

/// Thrown by FormCreate when a start-up check has failed and its box has been
/// closed: the program must end with `status` without showing the window.
struct EAbortStartup {
    int status = 0;
};

class T_main : public QWidget {
    Q_OBJECT

public:
    explicit T_main(QWidget* parent = nullptr);
    ~T_main() override;

    /// The raised strip along the top: folder box and scan buttons
    QFrame* Panel1 = nullptr;
    /// «Путь до файлов с ответами участников ЗЕНОР», before the folder box
    QLabel* Label1 = nullptr;
    /// The list of works: one record per work ID, sorted by `ID`
    TqvrMemTable* tblWork = nullptr;
    /// Binds the grid ListWork to tblWork
    TDataSource* ds_tblWork = nullptr;
    /// Field `pathWork` of tblWork: the work folder
    TStringField* tblWorkpathWork = nullptr;
    /// The folder box, with its folder button inside
    DirectoryEdit* DirectoryEdit1 = nullptr;
    /// «Получить работы»: starts the scan
    QPushButton* Button1 = nullptr;
    /// «Прервать»: stops the scan; enabled only while one runs
    QPushButton* Button2 = nullptr;
    /// Field `ID` of tblWork: the work ID
    TStringField* tblWorkID = nullptr;
    /// The grid «Код работы» on the left, showing `ID`
    TDBGridPlus* ListWork = nullptr;
    /// The status panel: the file being scanned, then «Путь до работы: ...»
    QStatusBar* StatusBar1 = nullptr;
    /// Binds the DBText labels to answers
    TDataSource* ds_answers = nullptr;
    /// «Задание № 1»
    QLabel* Label2 = nullptr;
    /// «Задание № 2»
    QLabel* Label3 = nullptr;
    /// «Задание № 3»
    QLabel* Label4 = nullptr;
    /// «Задание № 4»
    QLabel* Label5 = nullptr;
    /// «Задание № 5»
    QLabel* Label6 = nullptr;
    /// «Задание № 6»
    QLabel* Label7 = nullptr;
    /// Shows `a1`, the answer to task 1
    TDBText* DBText1 = nullptr;
    /// Shows `a4`, the answer to task 4
    TDBText* DBText4 = nullptr;
    /// Shows `a5`, the answer to task 5
    TDBText* DBText5 = nullptr;
    /// Shows `a6`, the answer to task 6
    TDBText* DBText6 = nullptr;
    /// «Прослушать ответ» of task 2 (plays `_2.ogg`)
    QPushButton* Button3 = nullptr;
    /// «Прослушать ответ» of task 3 (plays `_3.ogg`)
    QPushButton* Button4 = nullptr;
    /// «Стоп»; shown with the player, on the row of the task playing
    QPushButton* btnStop = nullptr;
    /// «Пауза», or «Далее» while paused; shown with the player
    QPushButton* PausePlay = nullptr;
    /// The one-second tick that advances pb and lTime
    QTimer* Timer1 = nullptr;
    /// The gauge of the recording's progress; shown with the player
    TGauge* pb = nullptr;
    /// The seconds played, right of the gauge
    QLabel* lTime = nullptr;
    /// The current work's answer sheet. Its fields a1..a6 and VarNo are created
    /// with it, but the first sheet loaded frees them and puts the sheet's own
    /// in their place, so the window keeps no pointer to any of them: look a
    /// field up by name.
    TqvrMemTable* answers = nullptr;
    /// The table-stream format answer sheets load with
    TqvrBinaryStreamFormat* qvrBinaryStreamFormat1 = nullptr;
    /// Shows `VarNo`, but lies hidden under Panel1
    TDBText* DBText2 = nullptr;
    /// Shows `VarNo` beside «Вариант:»
    TDBText* DBText3 = nullptr;
    /// «Вариант: »
    QLabel* Label8 = nullptr;

    /// Scans `folder` (UTF-8, as typed) and, depth first, all its subfolders.
    void FindAllOgg(const std::string& folder);
    /// Starts the recording of task `n` ("2" or "3") of the current work.
    void PlayTask(const std::string& n);
    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
    void FormCreate(QObject* Sender);
    void tblWorkAfterScroll(TDataSet& DataSet);
    void PausePlayClick(QObject* Sender);
    void btnStopClick(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button4Click(QObject* Sender);
    void Timer1Timer(QObject* Sender);
    void tblWorkBeforeScroll(TDataSet& DataSet);

    /// Called once the scan's handler has ended (its last step, or just after the
    /// exception box when an exception ended it): if the user asked to close the
    /// window while the scan ran, the window closes now.
    void CloseIfRequestedDuringScan();
    /// Whether the scan's handler is walking the tree now. After a scan that an
    /// exception ended the scanning flag stays set, but no scan runs.
    static bool ScanRunning();

    /// The text of the status bar's one panel.
    QString StatusText() const;
    void SetStatusText(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    /// Keeps the window's position when it fits the screen's available area and
    /// otherwise moves it just enough to fit (WindowPlacement.h).
    void showEvent(QShowEvent* event) override;

private:
    void CreateLayout();
    void CreateComponents();
    void ReleaseComponents();
};

/// The one main window, set while it exists.
extern T_main* _main;

// State shared by the handlers, zero at program start.
/// Set while a folder scan runs and has not been stopped.
extern bool scanning;
/// Matching participant files found by the latest scan, all folders together.
extern std::int32_t matchedFiles;
/// The stream created by the latest start of a recording; 0 until the first.
extern std::uint32_t currentChannel;
/// Length of the current recording: the low 32 bits of its byte length.
extern std::int32_t recordLengthBytes;
/// Length of the current recording in seconds.
extern double recordLengthSeconds;
/// Set by a pause, cleared by a continue and by every start.
extern bool paused;
/// Set when a close request arrived during a scan; the scan closes the window
/// when it ends (CloseIfRequestedDuringScan).
extern bool closeRequestedDuringScan;
/// Set while Button1Click runs, also nested inside its own pumping; tells a
/// scan that runs from one an exception ended, which leaves `scanning` set.
extern bool scanHandlerActive;
