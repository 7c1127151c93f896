#include "app/FolderDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "ModalHelpers.h"

namespace {

// Keeps the process's current directory across a test that changes it.
class FolderDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = QDir::currentPath();
        ASSERT_TRUE(tree_.isValid());
        root_ = QDir(tree_.path()).canonicalPath();
        ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("school 1/7a")));
        ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("Школа")));
        ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral(".hidden")));
        QFile file(root_ + QStringLiteral("/12345_0.ans"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void TearDown() override { QDir::setCurrent(saved_); }

    static QStringList Texts(const QListWidget* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text().trimmed();
        return texts;
    }

    QString saved_;
    QTemporaryDir tree_;
    QString root_;
};

TEST_F(FolderDialogTest, Layout) {
    FolderDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Directory"));
    EXPECT_EQ(dialog.size(), QSize(424, 255));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    struct Place {
        QWidget* widget;
        QRect geometry;
    };
    for (const Place& p :
         {Place{dialog.nameLabel, {8, 8, 313, 13}}, Place{dialog.pathEdit, {8, 24, 313, 21}},
          Place{dialog.foldersLabel, {8, 56, 213, 13}}, Place{dialog.folderList, {8, 72, 213, 138}},
          Place{dialog.filesLabel, {232, 56, 185, 13}}, Place{dialog.fileList, {232, 72, 185, 93}},
          Place{dialog.drivesLabel, {232, 176, 185, 13}},
          Place{dialog.okButton, {256, 224, 77, 27}},
          Place{dialog.cancelButton, {340, 224, 77, 27}},
          Place{dialog.networkButton, {8, 224, 77, 27}}}) {
        EXPECT_EQ(p.widget->geometry(), p.geometry) << p.widget->metaObject()->className();
    }
    EXPECT_EQ(dialog.driveList->geometry().topLeft(), QPoint(232, 192));
    EXPECT_EQ(dialog.driveList->width(), 185);
    EXPECT_EQ(dialog.nameLabel->text(), QStringLiteral("Directory &Name:"));
    EXPECT_EQ(dialog.foldersLabel->text(), QStringLiteral("&Directories:"));
    EXPECT_EQ(dialog.filesLabel->text(), QStringLiteral("&Files: (*.*)"));
    EXPECT_EQ(dialog.drivesLabel->text(), QStringLiteral("D&rives:"));
    EXPECT_EQ(dialog.networkButton->text(), QStringLiteral("Ne&twork..."));
    EXPECT_EQ(dialog.foldersLabel->buddy(), dialog.folderList);
    EXPECT_EQ(dialog.filesLabel->buddy(), dialog.fileList);
    EXPECT_EQ(dialog.drivesLabel->buddy(), dialog.driveList);
    EXPECT_TRUE(dialog.okButton->isDefault());
    dialog.ShowFolder(root_);
    dialog.show();
    EXPECT_FALSE(dialog.networkButton->isVisible());
    EXPECT_TRUE(dialog.okButton->isVisible());
}

TEST_F(FolderDialogTest, ShowsTheWayDownTheFoldersInsideAndTheFiles) {
    FolderDialog dialog;
    dialog.ShowFolder(root_);
    EXPECT_EQ(dialog.pathEdit->text(), root_);
    const QStringList folders = Texts(dialog.folderList);
    ASSERT_GE(folders.size(), 3);
    EXPECT_EQ(folders.first(), QStringLiteral("/"));
    EXPECT_TRUE(folders.contains(QStringLiteral("school 1")));
    EXPECT_TRUE(folders.contains(QStringLiteral("Школа")));
    EXPECT_FALSE(folders.contains(QStringLiteral(".hidden")));
    EXPECT_EQ(dialog.folderList->currentItem()->text().trimmed(), QDir(root_).dirName());
    EXPECT_EQ(Texts(dialog.fileList), QStringList{QStringLiteral("12345_0.ans")});
}

TEST_F(FolderDialogTest, EveryFolderShownBecomesTheCurrentDirectory) {
    FolderDialog dialog;
    dialog.ShowFolder(root_);
    EXPECT_EQ(QDir::currentPath(), root_);
    dialog.show();
    // Enter on a folder opens it and does not end the dialog.
    const auto found = dialog.folderList->findItems(QStringLiteral("school 1"), Qt::MatchEndsWith);
    ASSERT_EQ(found.size(), 1);
    dialog.folderList->setCurrentItem(found.first());
    dialog.folderList->setFocus();
    QTest::keyClick(dialog.folderList, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(dialog.Folder(), root_ + QStringLiteral("/school 1"));
    EXPECT_EQ(QDir::currentPath(), root_ + QStringLiteral("/school 1"));
    // Double click opens as well; going up is a click on an item of the way.
    const auto up = dialog.folderList->findItems(QDir(root_).dirName(), Qt::MatchEndsWith);
    ASSERT_FALSE(up.isEmpty());
    emit dialog.folderList->itemActivated(up.first());
    EXPECT_EQ(QDir::currentPath(), root_);
}

TEST_F(FolderDialogTest, CancelKeepsTheLastShownFolderAsCurrentDirectory) {
    FolderDialog dialog;
    dialog.ShowFolder(root_);
    OnNextModal([&](QWidget* modal) {
        ASSERT_EQ(modal, &dialog);
        dialog.ShowFolder(root_ + QStringLiteral("/Школа"));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(QDir::currentPath(), root_ + QStringLiteral("/Школа"));
}

TEST_F(FolderDialogTest, DrivesOfferTheRootAndHome) {
    const QStringList drives = FolderDialog::Drives();
    ASSERT_FALSE(drives.isEmpty());
    EXPECT_EQ(drives.first(), QStringLiteral("/"));
    if (QDir::homePath() != QStringLiteral("/")) {
        EXPECT_TRUE(drives.contains(QDir::cleanPath(QDir::homePath())));
    }
}

TEST_F(FolderDialogTest, ChoosingADriveShowsTheFolderLastShownOnIt) {
    FolderDialog dialog;
    dialog.ShowFolder(root_ + QStringLiteral("/school 1/7a"));
    const int rootDrive = dialog.driveList->findText(QStringLiteral("/"));
    ASSERT_GE(rootDrive, 0);
    // The temporary folder is under "/" here, not under home or media.
    ASSERT_EQ(dialog.driveList->currentIndex(), rootDrive);
    dialog.ShowFolder(QStringLiteral("/"));
    dialog.ShowFolder(root_ + QStringLiteral("/school 1"));
    emit dialog.driveList->activated(rootDrive);
    EXPECT_EQ(dialog.Folder(), root_ + QStringLiteral("/school 1"));
    EXPECT_EQ(QDir::currentPath(), root_ + QStringLiteral("/school 1"));
}

} // namespace
