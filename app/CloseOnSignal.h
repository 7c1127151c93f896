// SIGTERM and SIGINT (a session's end, `kill`, Ctrl+C in a terminal) close the
// window as a close request does: a running scan finishes first, and every box
// shown from then on closes again at once, so the process ends with status 0.
// A box or dialog that is open when the signal comes is cancelled, since the
// window cannot close behind a modal box.
//
// The signal handler only writes a byte to a pipe, the one thing it can do
// safely; a socket notifier on the other end turns it into the close on the
// user-interface thread, at the next event dispatch (the scan's pumping and
// the boxes' own loops included).
#pragma once

#include <QObject>

class QSocketNotifier;

class CloseOnSignal : public QObject {
    Q_OBJECT

public:
    /// Takes SIGTERM and SIGINT for the program. One object per process.
    explicit CloseOnSignal(QObject* parent = nullptr);
    /// From here on the two signals are ignored: the window is gone and the
    /// program is ending with status 0.
    ~CloseOnSignal() override;
    CloseOnSignal(const CloseOnSignal&) = delete;
    CloseOnSignal& operator=(const CloseOnSignal&) = delete;

    /// True once a signal has come, also one that no event dispatch has
    /// handled yet (such as one during start-up, before the window shows).
    bool Received();

private:
    /// Empties the pipe; true when it held a signal.
    bool Drain();
    void CloseWindow();

    QSocketNotifier* notifier_ = nullptr;
    bool received_ = false;
};
