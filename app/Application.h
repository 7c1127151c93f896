// The application object. Its event dispatch is the one place where an
// exception that leaves a handler (a slot, an event handler, a timer tick) is
// caught: the exception box shows its message, the rest of that handler is
// skipped, and the program goes on with the next event.
#pragma once

#include <QApplication>

class Application : public QApplication {
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
