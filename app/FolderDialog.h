// The "Select Directory" dialog: a fixed little window for walking the folder
// tree and picking one folder. It promises two things beyond its looks:
// - every folder it shows, the start folder included, becomes the process's
//   current directory at once, and stays so after the dialog closes, whether
//   by "OK" or by "Cancel";
// - "OK" gives the folder shown, as a full path without a trailing "/"
//   (except for "/" itself).
// The drive list offers "/", the home folder and mounted media; picking one
// shows the folder last shown on it during this run, or else its top.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class FolderDialog : public QDialog {
    Q_OBJECT

public:
    explicit FolderDialog(QWidget* parent = nullptr);

    /// Shows `folder` (made absolute against the current directory) and makes it
    /// the process's current directory.
    void ShowFolder(const QString& folder);
    /// The folder shown now, as a full path.
    QString Folder() const { return folder_; }

    /// The tops the drive list offers: "/", the home folder, mounted media.
    static QStringList Drives();

    QLabel* nameLabel = nullptr;
    QLineEdit* pathEdit = nullptr;
    QLabel* foldersLabel = nullptr;
    QListWidget* folderList = nullptr;
    QLabel* filesLabel = nullptr;
    QListWidget* fileList = nullptr;
    QLabel* drivesLabel = nullptr;
    QComboBox* driveList = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* networkButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OpenItem(QListWidgetItem* item);
    void DriveChosen(int index);
    /// The drive of the list whose top is the longest prefix of `folder`.
    int DriveIndexOf(const QString& folder) const;

    QString folder_;
};
