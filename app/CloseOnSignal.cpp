#include "app/CloseOnSignal.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <csignal>

#include "app/MessageBoxes.h"
#include "app/T_main.h"

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};

// Set by the constructor before the handlers are installed; the pipe stays
// open until the process ends, so a handler running late on another thread
// never writes into a descriptor that has since been reused.
volatile sig_atomic_t writeEnd = -1;
int readEnd = -1;

void OnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a request; one more byte would add nothing.
    [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

CloseOnSignal::CloseOnSignal(QObject* parent) : QObject(parent) {
    // The process's signals have one owner, once.
    assert(readEnd == -1);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return; // the signals keep their default
    readEnd = ends[0];
    writeEnd = ends[1];
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        if (Drain()) CloseWindow();
    });
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls elsewhere in the program (and its libraries'
    // threads) just go on.
    action.sa_flags = SA_RESTART;
    for (int sig : kSignals) sigaction(sig, &action, nullptr);
}

CloseOnSignal::~CloseOnSignal() {
    if (readEnd == -1) return;
    // The window has gone and the program is on its way to status 0: a late
    // signal must not turn that into an end by the signal.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (int sig : kSignals) sigaction(sig, &ignore, nullptr);
    delete notifier_;
    notifier_ = nullptr;
}

bool CloseOnSignal::Received() {
    Drain();
    return received_;
}

bool CloseOnSignal::Drain() {
    bool any = false;
    char bytes[64];
    while (readEnd != -1 && read(readEnd, bytes, sizeof bytes) > 0) any = true;
    received_ = received_ || any;
    return any;
}

void CloseOnSignal::CloseWindow() {
    // From here to the end every box closes as soon as it shows.
    MessageBoxes::SetCloseAtOnce(true);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible())
            dialog->reject();
    }
    // Before the window shows (a start-up box), the program ends by itself
    // once that box is closed.
    if (_main && _main->isVisible()) _main->close();
}
