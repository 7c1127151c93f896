// Every modal message box of the program goes through here: the information
// box, the exception box, the start-up boxes and the question box. Keeping
// them in one place fixes their captions, icons and buttons once, and lets
// tests answer a box before it appears (so that no test waits for a user) and
// read back what each box showed, straight from the box itself.
//
// A box answered in advance is still built and shown; its answer is given by
// pressing the chosen button as soon as its own event loop runs.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class MessageBoxes {
public:
    enum class Answer { Ok, Cancel };

    /// What a box showed, read from the box just before it ran.
    struct Shown {
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        QString defaultButton;
        QString escapeButton;
        bool hasOwner = false;
        Answer answer = Answer::Cancel;
    };

    /// The information box: the application title as caption, no icon, one "OK"
    /// that Enter and Esc both press. Returns when the box is closed.
    static void Information(const QString& text);

    /// The exception box: `message` with "." added when needed
    /// (ExceptionText), the application title, the error icon, "OK".
    static void ExceptionBox(const QString& message);
    /// The message as the exception box shows it: "." appended when the last
    /// character's code is above that of "."; an empty message stays empty.
    static QString ExceptionText(const QString& message);

    /// The start-up box for a device that cannot play: caption "Error", the
    /// error icon, `text`, one "OK".
    static void DeviceError(const QString& text);

    /// The start-up box for a wrong audio library: no owner, no caption of its
    /// own, the error icon, `text`, one "OK".
    static void VersionError(const QString& text);

    /// A question with "OK" (the default) and "Cancel" (also Esc and the close
    /// button) under `caption`, with the question-mark icon.
    static Answer Question(const QString& caption, const QString& text, QWidget* owner = nullptr);

    // ---- Hooks for the program's own close logic and for tests.

    /// While set, every box closes again at once, answered by its Esc button,
    /// without waiting for the user.
    static void SetCloseAtOnce(bool on);
    static bool CloseAtOnce();

    /// Queues the answer for the next box that appears (first queued, first used).
    static void SetNextAnswer(Answer answer);
    static void ClearNextAnswers();
    static std::size_t PendingAnswers();

    /// Every box shown so far, in order.
    static const std::vector<Shown>& ShownBoxes();
    static void ClearShownBoxes();

private:
    static Answer Run(QMessageBox& box, QAbstractButton* okButton);
};
