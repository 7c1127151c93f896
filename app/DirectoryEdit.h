// The folder box: a one-line edit that takes any text, with a small button
// inside its right end that opens the folder dialog (so does Alt+Down).
// The text is never checked; it is what the scan is given, exactly as typed.
// The button's rules:
// - the dialog starts at the box's text; an empty text starts at the folder
//   last chosen with "OK" (or at "/" when none was chosen yet); a text that
//   names no existing folder starts at "/";
// - "/" stands for the process's current directory, so the dialog opens there;
// - "OK" replaces the whole text with the chosen folder; "Cancel" keeps it;
// - the focus comes back to the box either way.
#pragma once

#include <QLineEdit>
#include <QString>

class QToolButton;

class DirectoryEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit DirectoryEdit(QWidget* parent = nullptr);

    /// Runs the button's steps: the dialog, then the text.
    void Browse();

    /// Where the dialog starts for the box's present text (step 1 of Browse):
    /// a full folder path, or "/" for the current directory.
    QString StartFolder() const;

    /// The folder last chosen with "OK" that existed then; empty when none.
    const QString& RememberedFolder() const { return remembered_; }

    QToolButton* Button() const { return button_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceButton();

    QToolButton* button_ = nullptr;
    QString remembered_;
};
