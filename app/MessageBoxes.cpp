#include "app/MessageBoxes.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QPointer>
#include <QTimer>

#include "app/AppTitle.h"

namespace {

bool closeAtOnce = false;
std::deque<MessageBoxes::Answer> nextAnswers;
std::vector<MessageBoxes::Shown> shownBoxes;

QString ButtonText(const QAbstractButton* button) {
    return button ? button->text() : QString();
}

// A box with one "OK" that is both the default and the escape button.
QPushButton* AddOkOnly(QMessageBox& box) {
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    return ok;
}

void Prepare(QMessageBox& box, const QString& caption, const QString& text,
             QMessageBox::Icon icon) {
    box.setWindowTitle(caption);
    box.setText(text);
    // Messages carry file names and pupils' text: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.setIcon(icon);
    box.setWindowModality(Qt::ApplicationModal);
}

} // namespace

MessageBoxes::Answer MessageBoxes::Run(QMessageBox& box, QAbstractButton* okButton) {
    Shown shown;
    shown.caption = box.windowTitle();
    shown.text = box.text();
    shown.icon = box.icon();
    for (const QAbstractButton* button : box.buttons()) shown.buttons << button->text();
    shown.defaultButton = ButtonText(box.defaultButton());
    shown.escapeButton = ButtonText(box.escapeButton());
    shown.hasOwner = box.parentWidget() != nullptr;

    QAbstractButton* toPress = nullptr;
    if (!nextAnswers.empty()) {
        const Answer answer = nextAnswers.front();
        nextAnswers.pop_front();
        toPress = answer == Answer::Ok ? okButton : box.escapeButton();
    } else if (closeAtOnce) {
        toPress = box.escapeButton();
    }
    if (toPress) {
        QPointer<QAbstractButton> target(toPress);
        QTimer::singleShot(0, &box, [target] {
            if (target) target->click();
        });
    }
    box.exec();
    const Answer answer = box.clickedButton() == okButton ? Answer::Ok : Answer::Cancel;
    shown.answer = answer;
    shownBoxes.push_back(shown);
    return answer;
}

void MessageBoxes::Information(const QString& text) {
    QMessageBox box;
    Prepare(box, AppTitle(), text, QMessageBox::NoIcon);
    QPushButton* ok = AddOkOnly(box);
    Run(box, ok);
}

QString MessageBoxes::ExceptionText(const QString& message) {
    if (message.isEmpty()) return message;
    const QChar last = message.back();
    // A trailing surrogate stands for a character far above ".", as it should.
    if (last.unicode() > u'.') return message + QLatin1Char('.');
    return message;
}

void MessageBoxes::ExceptionBox(const QString& message) {
    QMessageBox box;
    Prepare(box, AppTitle(), ExceptionText(message), QMessageBox::Critical);
    QPushButton* ok = AddOkOnly(box);
    Run(box, ok);
}

void MessageBoxes::DeviceError(const QString& text) {
    QMessageBox box;
    Prepare(box, QStringLiteral("Error"), text, QMessageBox::Critical);
    QPushButton* ok = AddOkOnly(box);
    Run(box, ok);
}

void MessageBoxes::VersionError(const QString& text) {
    QMessageBox box;
    Prepare(box, QString(), text, QMessageBox::Critical);
    QPushButton* ok = AddOkOnly(box);
    Run(box, ok);
}

MessageBoxes::Answer MessageBoxes::Question(const QString& caption, const QString& text,
                                            QWidget* owner) {
    QMessageBox box(owner);
    Prepare(box, caption, text, QMessageBox::Question);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel);
    return Run(box, ok);
}

void MessageBoxes::SetCloseAtOnce(bool on) {
    closeAtOnce = on;
}
bool MessageBoxes::CloseAtOnce() {
    return closeAtOnce;
}

void MessageBoxes::SetNextAnswer(Answer answer) {
    nextAnswers.push_back(answer);
}
void MessageBoxes::ClearNextAnswers() {
    nextAnswers.clear();
}
std::size_t MessageBoxes::PendingAnswers() {
    return nextAnswers.size();
}

const std::vector<MessageBoxes::Shown>& MessageBoxes::ShownBoxes() {
    return shownBoxes;
}
void MessageBoxes::ClearShownBoxes() {
    shownBoxes.clear();
}
