#include "app/Application.h"

#include <exception>

#include "app/MessageBoxes.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // Lets the desktop (a Wayland compositor, a portal) match the window with
    // the installed desktop file and metainfo.
    setDesktopFileName(QStringLiteral(ZENOR_APP_ID));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        MessageBoxes::ExceptionBox(QString::fromUtf8(error.what()));
    } catch (...) {
        MessageBoxes::ExceptionBox(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}
