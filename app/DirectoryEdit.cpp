#include "app/DirectoryEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>

#include "app/FolderDialog.h"

namespace {
constexpr int kButtonWidth = 21;
constexpr int kButtonHeight = 17;
} // namespace

DirectoryEdit::DirectoryEdit(QWidget* parent) : QLineEdit(parent) {
    button_ = new QToolButton(this);
    button_->setObjectName(QStringLiteral("DirectoryEditButton"));
    button_->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    button_->setIconSize(QSize(14, 14));
    button_->setFixedSize(kButtonWidth, kButtonHeight);
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::ArrowCursor);
    button_->setAutoRaise(false);
    // Typed text must not run under the button.
    setTextMargins(0, 0, kButtonWidth, 0);
    connect(button_, &QToolButton::clicked, this, &DirectoryEdit::Browse);
    PlaceButton();
}

void DirectoryEdit::PlaceButton() {
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int x = width() - frame - kButtonWidth;
    const int y = (height() - kButtonHeight) / 2;
    button_->move(x, y);
}

void DirectoryEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

void DirectoryEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) {
        Browse();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

QString DirectoryEdit::StartFolder() const {
    QString start = text();
    if (start.isEmpty()) start = remembered_.isEmpty() ? QStringLiteral("/") : remembered_;
    if (!QFileInfo(start).isDir()) start = QStringLiteral("/");
    return start;
}

void DirectoryEdit::Browse() {
    const QString start = StartFolder();
    // There is no system error box to hold back here while the dialog is open;
    // a folder the dialog cannot read simply shows as empty.
    FolderDialog dialog(nullptr);
    dialog.ShowFolder(start == QLatin1String("/") ? QDir::currentPath() : start);
    const int result = dialog.exec();
    if (isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus) setFocus(Qt::OtherFocusReason);
    if (result != QDialog::Accepted) return;
    const QString chosen = dialog.Folder();
    setText(chosen);
    if (QFileInfo(chosen).isDir()) remembered_ = chosen;
}
