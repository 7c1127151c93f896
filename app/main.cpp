// The program entry: the application object, the main window (whose creation
// runs the start-up checks), the message loop. Exit status 0 in every case the
// program itself decides the end, also after a failed start-up check; only
// --help and --version end with 1, when their text cannot be written.
#include <iostream>

#include "app/AccessibleFactories.h"
#include "app/Application.h"
#include "app/CloseOnSignal.h"
#include "app/CommandLine.h"
#include "app/T_main.h"

int main(int argc, char** argv) {
    // Answered before the application object exists, which would need a display.
    if (const std::optional<int> status = AnswerCommandLine(argc, argv, std::cout)) return *status;
    Application app(argc, argv);
    InstallAccessibleFactories();
    // Before the window exists: a SIGTERM during start-up ends the program as
    // a close would, never by the signal's default.
    CloseOnSignal closeOnSignal;
    try {
        T_main window;
        if (closeOnSignal.Received()) return 0; // asked to close before the window showed
        window.show();
        app.exec();
    } catch (const EAbortStartup& abort) {
        return abort.status;
    }
    return 0;
}
