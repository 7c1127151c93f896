// The window's folder scan and work list: getting the works, aborting a scan,
// and loading the current work's answer sheet when the list moves. The walk,
// the name rule, the record step and the sheet step are the catalogue's; what
// lives here is what only a window has: the buttons, the pumping of pending
// events, the status panel and the boxes.
#include "app/DirectoryEdit.h"
#include "app/MessageBoxes.h"
#include "app/T_main.h"
#include "app/TDBGridPlus.h"
#include "catalogue/AnswerSheet.h"
#include "catalogue/FindAllOgg.h"
#include "catalogue/ParticipantName.h"
#include "catalogue/WorkList.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <cstdint>
#include <exception>
#include <limits>
#include <string>

namespace {

// The status panel shows the path of every file the scan examines, but a
// repaint per file would cost more than the walk itself. The latest text is
// kept here and put on the panel at most once per frame (and only when it
// differs from what the panel shows); the scan's end always shows the last.
class StatusDuringScan {
public:
    void Set(const std::string& folder, std::string_view name) {
        text_.assign(folder).append(name);
    }
    void Clear() { text_.clear(); }

    // Called before every pump, so the panel is up to date when it paints.
    void ShowIfDue(T_main& window) {
        if (!clock_.isValid() || clock_.hasExpired(kFrameMs)) Show(window);
    }
    void Show(T_main& window) {
        clock_.start();
        // Names that are not UTF-8 are shown with their bad bytes replaced.
        const QString text = QString::fromUtf8(text_.data(), static_cast<qsizetype>(text_.size()));
        if (window.StatusText() != text) window.SetStatusText(text);
    }

private:
    static constexpr qint64 kFrameMs = 16;
    std::string text_;
    QElapsedTimer clock_;
};

// How long the scan may look at entries between two pumps of pending events.
constexpr qint64 kPumpSliceMs = 4;

void AnswerSheetStep(T_main& window) {
    if (const auto missing = zenor::LoadAnswerSheet(*window.tblWork, *window.answers,
                                                    *window.qvrBinaryStreamFormat1))
        MessageBoxes::Information(QString::fromStdString(*missing));
}

QString WorkFolderStatus(const T_main& window) {
    return QStringLiteral("Путь до работы: ") +
           QString::fromStdString(zenor::CurrentWorkFolder(*window.tblWork));
}

} // namespace

void T_main::FindAllOgg(const std::string& folder) {
    StatusDuringScan status;
    // The walk changes the list per file; the grid and what assistive
    // technology is told follow it once per frame, and catch up at its end.
    struct Paced {
        TDBGridPlus* grid;
        explicit Paced(TDBGridPlus* g) : grid(g) { grid->SetFramePaced(true); }
        ~Paced() { grid->SetFramePaced(false); }
    } const paced(ListWork);
    // The levels clear the panel on their way out, also past an exception; the
    // panel must then show that, not a file's path left from the last frame.
    struct ShowLast {
        StatusDuringScan& status;
        T_main& window;
        ~ShowLast() { status.Show(window); }
    } const showLast{status, *this};

    // Pending events are pumped on a time slice rather than per entry: a pump
    // costs more than looking at an entry, and the user cannot tell a window
    // that answers within a few milliseconds from one that answers at once.
    // The first entry pumps at once, and so does the end of the walk, so a
    // click on "Прервать" is always seen within one slice.
    QElapsedTimer slice;
    const auto pump = [&] {
        status.ShowIfDue(*this);
        QCoreApplication::processEvents();
        slice.start();
    };
    zenor::ScanHooks hooks;
    hooks.pump = [&] {
        if (!slice.isValid() || slice.hasExpired(kPumpSliceMs)) pump();
    };
    hooks.keepGoing = [] { return scanning; };
    hooks.fileExamined = [&](const std::string& prefix, std::string_view name) {
        status.Set(prefix, name);
    };
    hooks.participantFound = [this](const std::string& prefix, std::string_view name) {
        // A tree with more than 2^31 participant files would overflow the
        // counter; it only has to stay above 0, so it stops at its maximum.
        if (matchedFiles < std::numeric_limits<std::int32_t>::max()) ++matchedFiles;
        zenor::RecordWork(*tblWork, zenor::WorkIdOf(name), prefix);
    };
    hooks.levelEnded = [&] { status.Clear(); };
    zenor::FindAllOgg(folder, hooks);
    if (scanning) pump();
}

void T_main::Button1Click(QObject* Sender) {
    (void)Sender;
    // A close asked for during the scan waits for the handler's end, however it
    // ends. An exception skips the last step below, which would carry it out:
    // then the close comes once the exception box the error goes to has shown.
    struct Active {
        T_main& window;
        const int exceptions = std::uncaught_exceptions();
        explicit Active(T_main& w) : window(w) { scanHandlerActive = true; }
        ~Active() {
            scanHandlerActive = false;
            if (closeRequestedDuringScan && std::uncaught_exceptions() > exceptions)
                QTimer::singleShot(0, &window, [w = &window] { w->CloseIfRequestedDuringScan(); });
        }
    } const active(*this);

    Button1->setEnabled(false);
    Button2->setEnabled(true);
    scanning = true;
    matchedFiles = 0;
    // The text as typed, read once: editing the box during the scan changes nothing.
    FindAllOgg(DirectoryEdit1->text().toStdString());
    if (scanning) {
        tblWork->ApplySort();
        tblWork->GoFirst();
        MessageBoxes::Information(QStringLiteral("Список работ получен"));
        AnswerSheetStep(*this);
        SetStatusText(WorkFolderStatus(*this));
        ListWork->setFocus();
    } else {
        MessageBoxes::Information(QStringLiteral("Получение списка работ прервано"));
    }
    scanning = false;
    Button1->setEnabled(true);
    Button2->setEnabled(false);
    CloseIfRequestedDuringScan();
}

void T_main::Button2Click(QObject* Sender) {
    (void)Sender;
    scanning = false;
    Button1->setEnabled(true);
    Button2->setEnabled(false);
}

void T_main::tblWorkAfterScroll(TDataSet& DataSet) {
    (void)DataSet;
    if (scanning || matchedFiles <= 0) {
        // No sheet is loaded for the row now current: the labels must not go on
        // showing another pupil's answers under it.
        answers->Close();
        return;
    }
    SetStatusText(WorkFolderStatus(*this));
    AnswerSheetStep(*this);
}
