#include "app/FolderDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextStream>

namespace {

constexpr int kPathRole = Qt::UserRole;

// The folder last shown on each drive during this run: what picking that
// drive shows again, as a drive's own current folder would.
QMap<QString, QString>& LastFolderOnDrive() {
    static QMap<QString, QString> map;
    return map;
}

bool IsUnder(const QString& folder, const QString& top) {
    if (top == QLatin1String("/")) return folder.startsWith(QLatin1Char('/'));
    return folder == top || folder.startsWith(top + QLatin1Char('/'));
}

// Mount points of removable and other mounted media, from the kernel's table.
QStringList MountedMedia() {
    QStringList result;
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    if (!mounts.open(QIODevice::ReadOnly | QIODevice::Text)) return result;
    const QStringList roots{QStringLiteral("/media/"), QStringLiteral("/mnt/"),
                            QStringLiteral("/run/media/")};
    QTextStream in(&mounts);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() < 2) continue;
        // The table escapes blanks in paths as octal sequences.
        QString point = parts.at(1);
        point.replace(QLatin1String("\\040"), QLatin1String(" "));
        point.replace(QLatin1String("\\011"), QLatin1String("\t"));
        point.replace(QLatin1String("\\134"), QLatin1String("\\"));
        for (const QString& root : roots) {
            if (point.startsWith(root) && !result.contains(point)) result << point;
        }
    }
    return result;
}

} // namespace

QStringList FolderDialog::Drives() {
    QStringList drives{QStringLiteral("/")};
    const QString home = QDir::cleanPath(QDir::homePath());
    if (!home.isEmpty() && home != QLatin1String("/") && QFileInfo(home).isDir()) drives << home;
    for (const QString& media : MountedMedia()) {
        if (!drives.contains(media)) drives << media;
    }
    return drives;
}

FolderDialog::FolderDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Select Directory"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(424, 255);
    setModal(true);

    nameLabel = new QLabel(QStringLiteral("Directory &Name:"), this);
    nameLabel->setGeometry(8, 8, 313, 13);
    pathEdit = new QLineEdit(this);
    pathEdit->setReadOnly(true);
    pathEdit->setGeometry(8, 24, 313, 21);
    nameLabel->setBuddy(pathEdit);

    foldersLabel = new QLabel(QStringLiteral("&Directories:"), this);
    foldersLabel->setGeometry(8, 56, 213, 13);
    folderList = new QListWidget(this);
    folderList->setGeometry(8, 72, 213, 138);
    folderList->setIconSize(QSize(16, 16));
    foldersLabel->setBuddy(folderList);

    filesLabel = new QLabel(QStringLiteral("&Files: (*.*)"), this);
    filesLabel->setGeometry(232, 56, 185, 13);
    fileList = new QListWidget(this);
    fileList->setGeometry(232, 72, 185, 93);
    fileList->setSelectionMode(QAbstractItemView::NoSelection);
    filesLabel->setBuddy(fileList);

    drivesLabel = new QLabel(QStringLiteral("D&rives:"), this);
    drivesLabel->setGeometry(232, 176, 185, 13);
    driveList = new QComboBox(this);
    driveList->setGeometry(232, 192, 185, 22);
    for (const QString& drive : Drives())
        driveList->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), drive);
    drivesLabel->setBuddy(driveList);

    networkButton = new QPushButton(QStringLiteral("Ne&twork..."), this);
    networkButton->setGeometry(8, 224, 77, 27);
    networkButton->setAutoDefault(false);
    // There is no network connection dialog to open on this system.
    networkButton->hide();

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setGeometry(256, 224, 77, 27);
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setGeometry(340, 224, 77, 27);
    cancelButton->setAutoDefault(false);

    setTabOrder(pathEdit, folderList);
    setTabOrder(folderList, fileList);
    setTabOrder(fileList, driveList);
    setTabOrder(driveList, okButton);
    setTabOrder(okButton, cancelButton);

    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(folderList, &QListWidget::itemActivated, this, &FolderDialog::OpenItem);
    connect(driveList, &QComboBox::activated, this, &FolderDialog::DriveChosen);
    folderList->installEventFilter(this);
}

void FolderDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
}

bool FolderDialog::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the folder list opens the folder; it must not also press "OK".
    if (watched == folderList && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            OpenItem(folderList->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FolderDialog::OpenItem(QListWidgetItem* item) {
    if (!item) return;
    const QString path = item->data(kPathRole).toString();
    if (!path.isEmpty() && path != folder_) ShowFolder(path);
}

int FolderDialog::DriveIndexOf(const QString& folder) const {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < driveList->count(); ++i) {
        const QString top = driveList->itemText(i);
        if (IsUnder(folder, top) && top.size() > bestLength) {
            best = i;
            bestLength = top.size();
        }
    }
    return best;
}

void FolderDialog::DriveChosen(int index) {
    if (index < 0) return;
    const QString top = driveList->itemText(index);
    const QString last = LastFolderOnDrive().value(top);
    ShowFolder(!last.isEmpty() && QFileInfo(last).isDir() ? last : top);
}

void FolderDialog::ShowFolder(const QString& folder) {
    folder_ = QDir::cleanPath(QDir(folder).absolutePath());
    QDir::setCurrent(folder_);

    const int drive = DriveIndexOf(folder_);
    if (drive >= 0) {
        LastFolderOnDrive()[driveList->itemText(drive)] = folder_;
        driveList->setCurrentIndex(drive);
    }
    pathEdit->setText(folder_);

    // The folder list: the way down from the top, then the folders inside.
    folderList->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QString indentUnit = QStringLiteral("  ");
    QStringList way;
    for (QString step = folder_;; step = QFileInfo(step).path()) {
        way.prepend(step);
        if (step == QLatin1String("/") || QFileInfo(step).path() == step) break;
    }
    int level = 0;
    QListWidgetItem* shown = nullptr;
    for (const QString& step : way) {
        const QString name = step == QLatin1String("/") ? step : QFileInfo(step).fileName();
        auto* item = new QListWidgetItem(open, indentUnit.repeated(level) + name, folderList);
        item->setData(kPathRole, step);
        shown = item;
        ++level;
    }
    const QDir dir(folder_);
    const QFileInfoList inside = dir.entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& sub : inside) {
        auto* item =
            new QListWidgetItem(closed, indentUnit.repeated(level) + sub.fileName(), folderList);
        item->setData(kPathRole, sub.absoluteFilePath());
    }
    folderList->setCurrentItem(shown);

    // The file list is for looking only.
    fileList->clear();
    const QFileInfoList files = dir.entryInfoList(
        QDir::Files | QDir::System, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    const QBrush grey(palette().color(QPalette::Disabled, QPalette::Text));
    for (const QFileInfo& file : files) {
        auto* item = new QListWidgetItem(file.fileName(), fileList);
        item->setForeground(grey);
    }
}
