#include "app/Application.h"

#include <exception>

#include "app/MessageBoxes.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

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
