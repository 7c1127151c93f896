// Helpers for tests that drive a modal box or dialog: the action runs inside
// the box's own event loop, as soon as the box is the active modal widget.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <functional>

/// Calls `action` with the first modal widget that appears. A modal widget
/// that the action leaves open is rejected after a few seconds, so that a
/// failing test ends instead of waiting for a user.
inline void OnNextModal(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    auto started = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, action, started] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (++*started > 2000) poll->deleteLater(); // none came within 10 s
            return;
        }
        poll->stop();
        poll->deleteLater();
        action(modal);
        if (QApplication::activeModalWidget() == modal) {
            QTimer::singleShot(3000, modal, [modal] {
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            });
        }
    });
    poll->start();
}
