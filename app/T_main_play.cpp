// The window's player for the oral answers: the listen buttons, pause and
// continue, stop, the one-second tick, and stopping when the work list moves.
//
// The player's state is the audio layer's channel state, the paused flag and
// whether Timer1 runs. The controller never asks where the sound is: the
// gauge and the time label count the ticks that found the stream playing, and
// the player is hidden by the first tick that finds the stream stopped, up to
// a second after a stop or after the sound ran out.
#include "app/T_main.h"

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include <climits>
#include <cmath>
#include <cstdint>

#include "app/MessageBoxes.h"
#include "app/TGauge.h"
#include "audio/Bass.h"
#include "catalogue/AnswerSheet.h"
#include "memtable/TField.h"
#include "memtable/TqvrMemTable.h"

namespace {

const char* const kPauseCaption = "Пауза";
const char* const kContinueCaption = "Далее";

// Work folder, work ID, "_", task number, ".ogg": the folder already ends in
// its separator, so plain joining gives the path. Both fields are found by
// name on every call, so the path always follows the current record.
std::string RecordingPath(const TqvrMemTable& table, const std::string& n) {
    return table.FieldNamed("pathWork").StringValue() + table.FieldNamed("ID").StringValue() + "_" +
           n + ".ogg";
}

// The answer sheet's rule: only a regular file is a recording; a directory,
// FIFO or device of that name is reported missing.
bool RecordingExists(const std::string& path) {
    return zenor::FileExists(path);
}

// The recording's length in whole seconds, a half going to the even
// neighbour. The default rounding mode, which nothing in the program changes,
// is round-to-nearest-even, the rule wanted here.
int RoundedSeconds() {
    const double r = std::nearbyint(recordLengthSeconds);
    if (std::isnan(r)) return 0;
    if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(r);
}

// The label sizes itself to its text, keeping its place.
void SetTimeText(QLabel* label, const QString& text) {
    label->setText(text);
    label->resize(label->sizeHint());
}

// The player controls take the row of the clicked listen button; their
// horizontal places stay. This comes before the start and does not depend on
// its outcome.
void MovePlayerToRowOf(T_main& window, QObject* sender) {
    auto* clicked = qobject_cast<QWidget*>(sender);
    if (clicked == nullptr) return;
    window.btnStop->move(window.btnStop->x(), clicked->y());
    window.PausePlay->move(window.PausePlay->x(), window.btnStop->y());
    window.pb->move(window.pb->x(), window.btnStop->y());
    window.lTime->move(window.lTime->x(), window.btnStop->y() + 4);
}

} // namespace

void T_main::Button3Click(QObject* Sender) {
    MovePlayerToRowOf(*this, Sender);
    PlayTask("2");
}

void T_main::Button4Click(QObject* Sender) {
    MovePlayerToRowOf(*this, Sender);
    PlayTask("3");
}

void T_main::PlayTask(const std::string& n) {
    const std::string path = RecordingPath(*tblWork, n);
    if (!RecordingExists(path)) {
        MessageBoxes::Information(QStringLiteral("файл ") + QString::fromUtf8(path) +
                                  QStringLiteral(" не найден"));
        return;
    }

    // The new stream is opened before the old one is stopped, so that a file
    // that exists but is no playable recording leaves what plays untouched and
    // is reported for what it is, instead of as a gauge range error.
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    if (stream == 0) {
        MessageBoxes::Information(QStringLiteral("файл ") + QString::fromUtf8(path) +
                                  QStringLiteral(" не удаётся воспроизвести"));
        return;
    }
    BASS_ChannelStop(currentChannel);
    currentChannel = stream;

    const QWORD bytes = BASS_ChannelGetLength(currentChannel, BASS_LENGTH_BYTES);
    recordLengthBytes = static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes & 0xFFFFFFFFu));
    recordLengthSeconds = BASS_ChannelBytes2Seconds(
        currentChannel, static_cast<QWORD>(static_cast<std::int64_t>(recordLengthBytes)));

    const int r = RoundedSeconds();
    pb->SetProgress(0);
    pb->SetMaxValue(r);
    SetTimeText(lTime, QString::number(r) + QStringLiteral(" сек."));
    paused = false;
    // A running timer keeps its rhythm: the first tick of this recording comes
    // when the previous one's next tick was due.
    if (!Timer1->isActive()) Timer1->start();
    btnStop->show();
    PausePlay->show();
    PausePlay->setText(QString::fromUtf8(kPauseCaption));
    pb->show();
    BASS_ChannelPlay(currentChannel, TRUE);
}

void T_main::Timer1Timer(QObject* Sender) {
    (void)Sender;
    if (BASS_ChannelIsActive(currentChannel) == 0) {
        PausePlay->hide();
        btnStop->hide();
        PausePlay->setText(QString::fromUtf8(kPauseCaption));
        pb->SetProgress(0);
        SetTimeText(lTime, QString());
        pb->hide();
        Timer1->stop();
        return;
    }
    if (paused) return;
    const std::int64_t p = pb->Progress();
    SetTimeText(lTime,
                QStringLiteral("%1 \\ %2 сек.").arg(p + 1).arg(std::int64_t{RoundedSeconds()} - 1));
    pb->SetProgress(p < INT_MAX ? static_cast<int>(p + 1) : INT_MAX);
}

void T_main::PausePlayClick(QObject* Sender) {
    (void)Sender;
    if (BASS_ChannelIsActive(currentChannel) == 0) return;
    if (paused) {
        BASS_ChannelPlay(currentChannel, FALSE);
        paused = false;
        PausePlay->setText(QString::fromUtf8(kPauseCaption));
    } else {
        BASS_ChannelPause(currentChannel);
        paused = true;
        PausePlay->setText(QString::fromUtf8(kContinueCaption));
    }
}

void T_main::btnStopClick(QObject* Sender) {
    (void)Sender;
    if (BASS_ChannelIsActive(currentChannel) != 0) BASS_ChannelStop(currentChannel);
}

void T_main::tblWorkBeforeScroll(TDataSet& DataSet) {
    (void)DataSet;
    if (BASS_ChannelIsActive(currentChannel) != 0) BASS_ChannelStop(currentChannel);
}
