#include "app/DirectoryEdit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "ModalHelpers.h"
#include "app/FolderDialog.h"

namespace {

class DirectoryEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = QDir::currentPath();
        ASSERT_TRUE(tree_.isValid());
        root_ = QDir(tree_.path()).canonicalPath();
        ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("start")));
        ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("cwd")));
        ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("chosen")));
        QFile file(root_ + QStringLiteral("/plain.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(QDir::setCurrent(root_ + QStringLiteral("/cwd")));
        edit_.setParent(&window_);
        other_.setParent(&window_);
        edit_.setGeometry(239, 8, 506, 21);
        other_.setGeometry(0, 40, 100, 21);
        window_.show();
        other_.setFocus();
    }
    void TearDown() override { QDir::setCurrent(saved_); }

    // Opens the dialog with the button, notes where it started, then either
    // shows `choose` and presses OK, or cancels when `choose` is empty.
    QString BrowseAndAnswer(const QString& choose) {
        QString startedAt;
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<FolderDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            startedAt = dialog->Folder();
            if (choose.isEmpty()) {
                dialog->cancelButton->click();
            } else {
                dialog->ShowFolder(choose);
                dialog->okButton->click();
            }
        });
        QTest::mouseClick(edit_.Button(), Qt::LeftButton);
        return startedAt;
    }

    QString saved_;
    QTemporaryDir tree_;
    QString root_;
    QWidget window_;
    QLineEdit other_;
    DirectoryEdit edit_;
};

TEST_F(DirectoryEditTest, TheButtonSitsInsideTheRightEnd) {
    QToolButton* button = edit_.Button();
    EXPECT_EQ(button->size(), QSize(21, 17));
    EXPECT_TRUE(edit_.rect().contains(button->geometry()));
    EXPECT_GE(button->geometry().right(), edit_.width() - 4);
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    // Typed text stops before the button.
    EXPECT_GE(edit_.textMargins().right(), 21);
}

TEST_F(DirectoryEditTest, AnExistingFolderOpensThereAndOkReplacesTheText) {
    edit_.setText(root_ + QStringLiteral("/start/"));
    EXPECT_EQ(BrowseAndAnswer(root_ + QStringLiteral("/chosen")), root_ + QStringLiteral("/start"));
    EXPECT_EQ(edit_.text(), root_ + QStringLiteral("/chosen"));
    EXPECT_EQ(edit_.RememberedFolder(), root_ + QStringLiteral("/chosen"));
    EXPECT_EQ(window_.focusWidget(), &edit_) << "the focus comes back to the box";
}

TEST_F(DirectoryEditTest, ANameOfNoFolderOpensAtTheCurrentDirectoryAndCancelKeepsTheText) {
    for (const QString& text :
         {root_ + QStringLiteral("/missing"), root_ + QStringLiteral("/plain.txt"),
          QStringLiteral("c:\\"), QStringLiteral("/")}) {
        ASSERT_TRUE(QDir::setCurrent(root_ + QStringLiteral("/cwd")));
        edit_.setText(text);
        EXPECT_EQ(edit_.StartFolder(), QStringLiteral("/")) << text.toStdString();
        EXPECT_EQ(BrowseAndAnswer(QString()), root_ + QStringLiteral("/cwd")) << text.toStdString();
        EXPECT_EQ(edit_.text(), text);
    }
}

TEST_F(DirectoryEditTest, AnEmptyTextOpensAtTheFolderLastChosenOrTheCurrentDirectory) {
    edit_.clear();
    EXPECT_EQ(BrowseAndAnswer(QString()), root_ + QStringLiteral("/cwd"));
    EXPECT_EQ(edit_.text(), QString());

    edit_.setText(root_);
    BrowseAndAnswer(root_ + QStringLiteral("/chosen"));
    edit_.clear();
    ASSERT_TRUE(QDir::setCurrent(root_ + QStringLiteral("/cwd")));
    EXPECT_EQ(BrowseAndAnswer(QString()), root_ + QStringLiteral("/chosen"));
}

TEST_F(DirectoryEditTest, TheDialogLeavesTheCurrentDirectoryWhereItWasLast) {
    edit_.setText(root_ + QStringLiteral("/start"));
    BrowseAndAnswer(QString());
    EXPECT_EQ(QDir::currentPath(), root_ + QStringLiteral("/start"));
}

TEST_F(DirectoryEditTest, AltDownOpensTheDialog) {
    edit_.setText(root_ + QStringLiteral("/start"));
    edit_.setFocus();
    bool opened = false;
    OnNextModal([&](QWidget* modal) {
        opened = qobject_cast<FolderDialog*>(modal) != nullptr;
        static_cast<FolderDialog*>(modal)->reject();
    });
    QTest::keyClick(&edit_, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(opened);
    // Down alone is an ordinary key of the edit.
    QTest::keyClick(&edit_, Qt::Key_Down);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(DirectoryEditTest, ARelativeTextOpensAgainstTheCurrentDirectory) {
    ASSERT_TRUE(QDir::setCurrent(root_));
    edit_.setText(QStringLiteral("start"));
    EXPECT_EQ(BrowseAndAnswer(QString()), root_ + QStringLiteral("/start"));
}

} // namespace
