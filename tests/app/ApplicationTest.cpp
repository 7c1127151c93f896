#include "app/Application.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "app/AppTitle.h"
#include "app/MessageBoxes.h"
#include "memtable/Exceptions.h"

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBoxes::ClearShownBoxes();
        MessageBoxes::ClearNextAnswers();
    }
};

TEST_F(ApplicationTest, TheTestsRunUnderTheProgramsOwnApplicationObject) {
    EXPECT_NE(qobject_cast<Application*>(QCoreApplication::instance()), nullptr);
}

TEST_F(ApplicationTest, TheDesktopFileNameNamesTheDesktopFileThatIsInstalled) {
    const QString name = QGuiApplication::desktopFileName();
    ASSERT_FALSE(name.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral(ZENOR_SOURCE_DIR "/packaging/") + name +
                                  QStringLiteral(".desktop")))
        << name.toStdString();
}

TEST_F(ApplicationTest, AnExceptionFromAClickIsShownAndTheRestOfTheHandlerIsSkipped) {
    QPushButton button(QStringLiteral("Получить работы"));
    button.show();
    bool rest = false;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        throw EDatabaseError("tblWork: Field 'ID' not found");
        rest = true; // must never run
    });
    int clicksAfter = 0;
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 1u);
    const auto& box = MessageBoxes::ShownBoxes()[0];
    EXPECT_EQ(box.text, QStringLiteral("tblWork: Field 'ID' not found."));
    EXPECT_EQ(box.caption, AppTitle());
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_FALSE(rest);

    // The program goes on: the same button works again.
    QObject::disconnect(&button, nullptr, nullptr, nullptr);
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicksAfter; });
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicksAfter, 1);
    EXPECT_FALSE(button.isDown());
}

TEST_F(ApplicationTest, AnExceptionFromATimerTickIsShownAndTheTimerGoesOn) {
    QTimer timer;
    timer.setInterval(5);
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (ticks == 1)
            throw std::runtime_error(
                "Cannot open file \"/x/12345_2.ogg\". No such file or directory");
    });
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    timer.start();
    for (int i = 0; i < 500 && ticks < 3; ++i) QTest::qWait(10);
    EXPECT_GE(ticks, 3);
    timer.stop();
    ASSERT_GE(MessageBoxes::ShownBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes::ShownBoxes()[0].text,
              QStringLiteral("Cannot open file \"/x/12345_2.ogg\". No such file or directory."));
}

TEST_F(ApplicationTest, AnExceptionFromAnEventHandlerIsShown) {
    class Throwing : public QWidget {
    protected:
        void keyPressEvent(QKeyEvent*) override { throw EReadError("Stream read error"); }
    } widget;
    widget.show();
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    QTest::keyClick(&widget, Qt::Key_A);
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes::ShownBoxes()[0].text, QStringLiteral("Stream read error."));
}

} // namespace
