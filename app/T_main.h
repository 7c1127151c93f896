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

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    TqvrMemTable* tblWork = nullptr;
    TDataSource* ds_tblWork = nullptr;
    TStringField* tblWorkpathWork = nullptr;
    DirectoryEdit* DirectoryEdit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    TStringField* tblWorkID = nullptr;
    TDBGridPlus* ListWork = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    TDataSource* ds_answers = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    TDBText* DBText1 = nullptr;
    TDBText* DBText4 = nullptr;
    TDBText* DBText5 = nullptr;
    TDBText* DBText6 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* PausePlay = nullptr;
    QTimer* Timer1 = nullptr;
    TGauge* pb = nullptr;
    QLabel* lTime = nullptr;
    // Its fields a1..a6 and VarNo are created with it, but the first answer
    // sheet loaded frees them and puts the sheet's own in their place, so the
    // window keeps no pointer to any of them: look a field up by name.
    TqvrMemTable* answers = nullptr;
    TqvrBinaryStreamFormat* qvrBinaryStreamFormat1 = nullptr;
    TDBText* DBText2 = nullptr;
    TDBText* DBText3 = nullptr;
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

    /// To be called by the scan's handler as its very last step: if the user asked
    /// to close the window while the scan ran, the window closes now.
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
