#include "app/MessageBoxes.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

#include "ModalHelpers.h"
#include "app/AppTitle.h"

namespace {

class MessageBoxesTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBoxes::ClearShownBoxes();
        MessageBoxes::ClearNextAnswers();
        MessageBoxes::SetCloseAtOnce(false);
    }
    void TearDown() override {
        EXPECT_EQ(MessageBoxes::PendingAnswers(), 0u);
        MessageBoxes::ClearNextAnswers();
        MessageBoxes::SetCloseAtOnce(false);
    }
    static const MessageBoxes::Shown& Last() { return MessageBoxes::ShownBoxes().back(); }
};

TEST_F(MessageBoxesTest, InformationBoxHasTheTitleNoIconAndOneOk) {
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    MessageBoxes::Information(QStringLiteral("Список работ получен"));
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 1u);
    const auto& box = Last();
    EXPECT_EQ(box.caption, AppTitle());
    EXPECT_EQ(box.text, QStringLiteral("Список работ получен"));
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(box.defaultButton, QStringLiteral("OK"));
    EXPECT_EQ(box.escapeButton, QStringLiteral("OK"));
    EXPECT_FALSE(box.hasOwner);
}

// The box must close on Enter and on Esc from a real key press, not only
// through the test hook.
class InformationKeyTest : public MessageBoxesTest,
                           public ::testing::WithParamInterface<Qt::Key> {};

TEST_P(InformationKeyTest, KeyClosesTheBox) {
    QString seenText;
    OnNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        QTest::keyClick(box, GetParam());
    });
    MessageBoxes::Information(QStringLiteral("Файл <b>x</b> не найден"));
    EXPECT_EQ(seenText, QStringLiteral("Файл <b>x</b> не найден"));
    EXPECT_EQ(Last().answer, MessageBoxes::Answer::Ok);
}

INSTANTIATE_TEST_SUITE_P(Keys, InformationKeyTest,
                         ::testing::Values(Qt::Key_Return, Qt::Key_Escape));

TEST_F(MessageBoxesTest, MarkupInAMessageIsShownAsText) {
    OnNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->defaultButton()->click();
    });
    MessageBoxes::Information(QStringLiteral("<i>a & b</i>"));
}

struct DotCase {
    const char* message;
    const char* shown;
};

class ExceptionTextTest : public ::testing::TestWithParam<DotCase> {};

TEST_P(ExceptionTextTest, AppendsADotAfterCharactersAboveTheDot) {
    EXPECT_EQ(MessageBoxes::ExceptionText(QString::fromUtf8(GetParam().message)).toStdString(),
              GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ExceptionTextTest,
    ::testing::Values(DotCase{"Cannot open file", "Cannot open file."},
                      DotCase{"Already ended.", "Already ended."}, DotCase{"Why!", "Why!"},
                      DotCase{"a-", "a-"}, DotCase{"x)", "x)"}, DotCase{"path/", "path/."},
                      DotCase{"Value 5", "Value 5."}, DotCase{"Ошибка", "Ошибка."}, DotCase{"", ""},
                      DotCase{"Field 'a7' not found", "Field 'a7' not found."}));

TEST_F(MessageBoxesTest, ExceptionBoxHasTheTitleTheErrorIconAndOk) {
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    MessageBoxes::ExceptionBox(QStringLiteral("answers: Field 'a1' not found"));
    const auto& box = Last();
    EXPECT_EQ(box.caption, AppTitle());
    EXPECT_EQ(box.text, QStringLiteral("answers: Field 'a1' not found."));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons, QStringList{QStringLiteral("OK")});
}

TEST_F(MessageBoxesTest, StartUpBoxes) {
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    MessageBoxes::DeviceError(QStringLiteral("Не работает устройство воспроизведения..."));
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    MessageBoxes::VersionError(QStringLiteral("Некорректная библиотева BASS.DLL"));
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 2u);
    const auto& device = MessageBoxes::ShownBoxes()[0];
    EXPECT_EQ(device.caption, QStringLiteral("Error"));
    EXPECT_EQ(device.icon, QMessageBox::Critical);
    EXPECT_EQ(device.text, QStringLiteral("Не работает устройство воспроизведения..."));
    EXPECT_EQ(device.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(device.defaultButton, QStringLiteral("OK"));
    EXPECT_EQ(device.escapeButton, QStringLiteral("OK"));
    const auto& version = MessageBoxes::ShownBoxes()[1];
    EXPECT_EQ(version.caption, QString());
    EXPECT_FALSE(version.hasOwner);
    EXPECT_EQ(version.icon, QMessageBox::Critical);
    EXPECT_EQ(version.text, QStringLiteral("Некорректная библиотева BASS.DLL"));
    EXPECT_EQ(version.buttons, QStringList{QStringLiteral("OK")});
}

TEST_F(MessageBoxesTest, QuestionAnswersOkOrCancel) {
    QWidget owner;
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    EXPECT_EQ(
        MessageBoxes::Question(QStringLiteral("Confirm"), QStringLiteral("Delete record?"), &owner),
        MessageBoxes::Answer::Ok);
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Cancel);
    EXPECT_EQ(
        MessageBoxes::Question(QStringLiteral("Confirm"), QStringLiteral("Delete record?"), &owner),
        MessageBoxes::Answer::Cancel);
    const auto& box = Last();
    EXPECT_EQ(box.caption, QStringLiteral("Confirm"));
    EXPECT_EQ(box.icon, QMessageBox::Question);
    EXPECT_EQ(box.buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
    EXPECT_EQ(box.defaultButton, QStringLiteral("OK"));
    EXPECT_EQ(box.escapeButton, QStringLiteral("Cancel"));
    EXPECT_TRUE(box.hasOwner);
}

TEST_F(MessageBoxesTest, QuestionClosedByEscOrTheCloseButtonIsCancel) {
    OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(MessageBoxes::Question(QStringLiteral("Confirm"), QStringLiteral("Delete record?")),
              MessageBoxes::Answer::Cancel);
    OnNextModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(MessageBoxes::Question(QStringLiteral("Confirm"), QStringLiteral("Delete record?")),
              MessageBoxes::Answer::Cancel);
    OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
    EXPECT_EQ(MessageBoxes::Question(QStringLiteral("Confirm"), QStringLiteral("Delete record?")),
              MessageBoxes::Answer::Ok);
}

TEST_F(MessageBoxesTest, CloseAtOnceModeAnswersEveryBoxWithItsEscapeButton) {
    MessageBoxes::SetCloseAtOnce(true);
    MessageBoxes::Information(QStringLiteral("Список работ получен"));
    EXPECT_EQ(MessageBoxes::Question(QStringLiteral("Confirm"), QStringLiteral("Delete record?")),
              MessageBoxes::Answer::Cancel);
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 2u);
    EXPECT_EQ(MessageBoxes::ShownBoxes()[0].text, QStringLiteral("Список работ получен"));
}

TEST_F(MessageBoxesTest, TimersGoOnWhileABoxIsOpen) {
    int ticks = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();
    OnNextModal([&](QWidget* modal) {
        QTimer::singleShot(200, modal,
                           [modal] { static_cast<QMessageBox*>(modal)->defaultButton()->click(); });
    });
    MessageBoxes::Information(QStringLiteral("tick"));
    EXPECT_GE(ticks, 5);
}

} // namespace
