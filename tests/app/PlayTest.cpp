// The player: starting a task's recording, the ticks that drive the gauge and
// the time label, pause and continue, stop, the stop on a move in the work
// list, and the boxes for missing and unplayable recordings. The ticks are
// driven by calling Timer1Timer directly, so no test waits for real seconds;
// the sound plays for real on SDL's dummy driver.
#include "app/MessageBoxes.h"
#include "app/TGauge.h"
#include "app/T_main.h"
#include "audio/Bass.h"
#include "app/DirectoryEdit.h"
#include "memtable/TStringField.h"
#include "memtable/TqvrMemTable.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A tone of exactly `seconds` at 44100 Hz mono: Ogg keeps the exact sample
// count, so the layer reports exactly this length.
void MakeOgg(const fs::path& path, double seconds) {
    const std::string command = "sox -q -n -r 44100 -c 1 '" + path.string() + "' synth " +
                                std::to_string(seconds) + " sine 440 vol 0.5";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_TRUE(fs::exists(path));
}

bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Works used below, each in its own folder (as the scan records them):
//   10001: task 2 lasts 37.4 s, task 3 lasts 2.5 s
//   10002: task 2 lasts 3.5 s, task 3 lasts 0.45 s
//   10003: task 2 lasts 37.4 s, task 3 is not Ogg Vorbis
//   10004: task 2 is a folder, no task 3
//   10005: task 2 lasts 37.4 s, no task 3
class PlayTest : public ::testing::Test {
protected:
    static fs::path root;

    static void SetUpTestSuite() {
        root = fs::temp_directory_path() / ("zenor-play-" + std::to_string(::getpid()));
        fs::create_directories(root / "a");
        fs::create_directories(root / "b");
        fs::create_directories(root / "c");
        fs::create_directories(root / "d" / "10004_2.ogg");
        fs::create_directories(root / "e");
        MakeOgg(root / "a" / "10001_2.ogg", 37.4);
        MakeOgg(root / "a" / "10001_3.ogg", 2.5);
        MakeOgg(root / "b" / "10002_2.ogg", 3.5);
        MakeOgg(root / "b" / "10002_3.ogg", 0.45);
        fs::copy_file(root / "a" / "10001_2.ogg", root / "c" / "10003_2.ogg");
        fs::copy_file(root / "a" / "10001_2.ogg", root / "e" / "10005_2.ogg");
        std::ofstream(root / "c" / "10003_3.ogg") << "OggS, but not really: a damaged recording";
    }

    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    void SetUp() override {
        MessageBoxes::SetCloseAtOnce(true);
        MessageBoxes::ClearShownBoxes();
        window_ = std::make_unique<T_main>();
        window_->show();
        // The shared state starts as at program start.
        BASS_ChannelStop(currentChannel);
        currentChannel = 0;
        recordLengthBytes = 0;
        recordLengthSeconds = 0;
        paused = false;
        // No scan yet: moves in the list load no answer sheets (and show no boxes).
        scanning = false;
        matchedFiles = 0;
    }

    void TearDown() override {
        BASS_ChannelStop(currentChannel);
        window_.reset();
        MessageBoxes::SetCloseAtOnce(false);
        MessageBoxes::ClearShownBoxes();
    }

    // Adds the works so that they stand in this order, and leaves the first one
    // current. Insert puts a record before the current one, hence the reverse.
    void AddWorks(std::initializer_list<std::pair<const char*, const char*>> works) {
        for (auto it = std::rbegin(works); it != std::rend(works); ++it) {
            const auto& [id, folder] = *it;
            window_->tblWork->Insert();
            window_->tblWorkID->SetStringValue(id);
            window_->tblWorkpathWork->SetStringValue((root / folder).string() + "/");
            window_->tblWork->Post();
        }
        window_->tblWork->GoFirst();
    }

    std::string Path(const char* folder, const char* file) const {
        return (root / folder / file).string();
    }

    void Task2() { window_->Button3Click(window_->Button3); }
    void Task3() { window_->Button4Click(window_->Button4); }
    void Tick() { window_->Timer1Timer(window_->Timer1); }

    QString Label() const { return window_->lTime->text(); }
    int Progress() const { return window_->pb->Progress(); }
    QString Caption() const { return window_->PausePlay->text(); }
    bool PlayerShown() const {
        const bool shown = window_->btnStop->isVisible();
        EXPECT_EQ(window_->PausePlay->isVisible(), shown);
        EXPECT_EQ(window_->pb->isVisible(), shown);
        return shown;
    }
    // The tops of btnStop, PausePlay, pb and lTime.
    std::vector<int> PlayerTops() const {
        return {window_->btnStop->y(), window_->PausePlay->y(), window_->pb->y(),
                window_->lTime->y()};
    }

    void ExpectIdle() {
        EXPECT_FALSE(PlayerShown());
        EXPECT_EQ(Caption(), "Пауза");
        EXPECT_EQ(Progress(), 0);
        EXPECT_EQ(Label(), "");
        EXPECT_FALSE(window_->Timer1->isActive());
    }

    std::unique_ptr<T_main> window_;
};

fs::path PlayTest::root;

TEST_F(PlayTest, StartsWithThePlayerHidden) {
    EXPECT_FALSE(PlayerShown());
    EXPECT_FALSE(window_->Timer1->isActive());
    EXPECT_EQ(Label(), "");
    EXPECT_EQ(currentChannel, 0u);
    window_->btnStopClick(window_->btnStop); // asks about handle 0: nothing happens
    window_->PausePlayClick(window_->PausePlay);
    EXPECT_FALSE(paused);
}

TEST_F(PlayTest, LongRecordingCountsTicksUpToItsLengthThenHoldsTheGauge) {
    AddWorks({{"10001", "a"}});
    Task2();
    ASSERT_NE(currentChannel, 0u);
    EXPECT_NE(BASS_ChannelIsActive(currentChannel), 0u);
    EXPECT_EQ(recordLengthBytes, 1649340 * 2); // 37.4 s of 44100 Hz mono, 16-bit
    EXPECT_DOUBLE_EQ(recordLengthSeconds, 37.4);
    EXPECT_EQ(Label(), "37 сек.");
    EXPECT_EQ(window_->pb->MaxValue(), 37);
    EXPECT_EQ(Progress(), 0);
    EXPECT_TRUE(PlayerShown());
    EXPECT_EQ(Caption(), "Пауза");
    EXPECT_TRUE(window_->Timer1->isActive());
    EXPECT_EQ(PlayerTops(), (std::vector<int>{132, 132, 132, 136}));

    for (int k = 1; k <= 37; ++k) {
        Tick();
        ASSERT_EQ(Label(), QStringLiteral("%1 \\ 36 сек.").arg(k));
        ASSERT_EQ(Progress(), k);
    }
    EXPECT_EQ(window_->pb->PercentDone(), 100);
    // Past its length the gauge holds at its maximum, so every further tick
    // counts from there: R + 1.
    for (int extra = 0; extra < 3; ++extra) {
        Tick();
        EXPECT_EQ(Label(), "38 \\ 36 сек.");
        EXPECT_EQ(Progress(), 37);
    }
    EXPECT_TRUE(PlayerShown());
    EXPECT_TRUE(MessageBoxes::ShownBoxes().empty());
}

// A half goes to the even neighbour; the first tick shows R - 1.
struct Rounding {
    const char* id;
    const char* folder;
    bool task3;
    const char* start;
    int max;
    const char* firstTick;
};

class PlayRoundingTest : public PlayTest, public ::testing::WithParamInterface<Rounding> {};

TEST_P(PlayRoundingTest, StartLabelAndFirstTick) {
    const Rounding c = GetParam();
    AddWorks({{c.id, c.folder}});
    c.task3 ? Task3() : Task2();
    EXPECT_EQ(Label(), QString::fromUtf8(c.start));
    EXPECT_EQ(window_->pb->MaxValue(), c.max);
    Tick();
    EXPECT_EQ(Label(), QString::fromUtf8(c.firstTick));
    EXPECT_EQ(Progress(), std::min(1, c.max));
}

INSTANTIATE_TEST_SUITE_P(Lengths, PlayRoundingTest,
                         ::testing::Values(Rounding{"10001", "a", true, "2 сек.", 2, "1 \\ 1 сек."},
                                           Rounding{"10002", "b", false, "4 сек.", 4,
                                                    "1 \\ 3 сек."}));

TEST_F(PlayTest, ShortRecordingRoundsToZeroAndThePlayerGoesAtTheFirstTickAfterItsEnd) {
    AddWorks({{"10002", "b"}});
    Task3();
    EXPECT_EQ(Label(), "0 сек.");
    EXPECT_EQ(window_->pb->MaxValue(), 0);
    EXPECT_EQ(window_->pb->PercentDone(), 0);
    EXPECT_EQ(PlayerTops(), (std::vector<int>{184, 184, 184, 188}));
    // Still playing at once: the tick counts it.
    ASSERT_NE(BASS_ChannelIsActive(currentChannel), 0u);
    Tick();
    EXPECT_EQ(Label(), "1 \\ -1 сек.");
    EXPECT_EQ(Progress(), 0);
    EXPECT_TRUE(PlayerShown());

    ASSERT_TRUE(WaitFor([] { return BASS_ChannelIsActive(currentChannel) == 0; },
                        std::chrono::seconds(10)));
    EXPECT_TRUE(PlayerShown()); // nothing moves before the tick
    EXPECT_TRUE(window_->Timer1->isActive());
    Tick();
    ExpectIdle();
    // The rows stay where the last start put them.
    EXPECT_EQ(PlayerTops(), (std::vector<int>{184, 184, 184, 188}));
}

TEST_F(PlayTest, SwitchingToTheOtherTaskStopsTheFirstAndKeepsTheTimersRhythm) {
    AddWorks({{"10001", "a"}});
    Task2();
    const HSTREAM first = currentChannel;
    Tick();
    Tick();
    window_->PausePlayClick(window_->PausePlay); // a pause does not survive the switch
    ASSERT_TRUE(paused);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const int remainingBefore = window_->Timer1->remainingTime();

    Task3();
    EXPECT_NE(currentChannel, first);
    EXPECT_EQ(BASS_ChannelIsActive(first), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(currentChannel), static_cast<DWORD>(BASS_STATE_PLAYING));
    EXPECT_FALSE(paused);
    EXPECT_EQ(Caption(), "Пауза");
    EXPECT_EQ(Label(), "2 сек.");
    EXPECT_EQ(Progress(), 0);
    EXPECT_EQ(window_->pb->MaxValue(), 2);
    EXPECT_EQ(PlayerTops(), (std::vector<int>{184, 184, 184, 188}));
    // The running timer was not restarted: its next tick is not a full second away.
    EXPECT_TRUE(window_->Timer1->isActive());
    EXPECT_LE(window_->Timer1->remainingTime(), remainingBefore);
    EXPECT_LE(window_->Timer1->remainingTime(), 700);
    Tick();
    EXPECT_EQ(Label(), "1 \\ 1 сек.");
}

TEST_F(PlayTest, StartAfterTheResetStartsTheTimerAfresh) {
    AddWorks({{"10001", "a"}});
    Task2();
    window_->btnStopClick(window_->btnStop);
    Tick();
    ExpectIdle();
    Task2();
    EXPECT_TRUE(window_->Timer1->isActive());
    EXPECT_GT(window_->Timer1->remainingTime(), 750);
}

TEST_F(PlayTest, ClickingThePlayingTaskAgainRestartsItWithANewStream) {
    AddWorks({{"10001", "a"}});
    Task2();
    const HSTREAM first = currentChannel;
    for (int i = 0; i < 5; ++i) Tick();
    ASSERT_EQ(Progress(), 5);
    Task2();
    EXPECT_NE(currentChannel, first);
    EXPECT_EQ(BASS_ChannelIsActive(first), 0u);
    EXPECT_NE(BASS_ChannelIsActive(currentChannel), 0u);
    EXPECT_EQ(Progress(), 0);
    EXPECT_EQ(Label(), "37 сек.");
    Tick();
    EXPECT_EQ(Label(), "1 \\ 36 сек.");
}

TEST_F(PlayTest, PauseContinueThenPauseAndStop) {
    AddWorks({{"10001", "a"}});
    Task2();
    Tick();
    window_->PausePlayClick(window_->PausePlay);
    EXPECT_TRUE(paused);
    EXPECT_EQ(Caption(), "Далее");
    EXPECT_EQ(BASS_ChannelIsActive(currentChannel), static_cast<DWORD>(BASS_STATE_PAUSED));
    Tick(); // paused: the display keeps what it shows
    Tick();
    EXPECT_EQ(Label(), "1 \\ 36 сек.");
    EXPECT_EQ(Progress(), 1);

    window_->PausePlayClick(window_->PausePlay);
    EXPECT_FALSE(paused);
    EXPECT_EQ(Caption(), "Пауза");
    EXPECT_EQ(BASS_ChannelIsActive(currentChannel), static_cast<DWORD>(BASS_STATE_PLAYING));
    Tick();
    EXPECT_EQ(Label(), "2 \\ 36 сек.");

    window_->PausePlayClick(window_->PausePlay);
    window_->btnStopClick(window_->btnStop);
    EXPECT_EQ(BASS_ChannelIsActive(currentChannel), 0u);
    // Until the next tick the controls stay as they were and do nothing.
    EXPECT_TRUE(PlayerShown());
    window_->PausePlayClick(window_->PausePlay);
    EXPECT_EQ(Caption(), "Далее");
    EXPECT_TRUE(paused);
    window_->btnStopClick(window_->btnStop);

    Tick();
    ExpectIdle();
    EXPECT_TRUE(paused); // a stop leaves the flag; the next start clears it
    Task2();
    EXPECT_FALSE(paused);
}

TEST_F(PlayTest, MovingInTheListStopsPlaybackAtOnceAndThePlayerGoesAtTheNextTick) {
    AddWorks({{"10001", "a"}, {"10002", "b"}});
    Task2();
    Tick();
    ASSERT_NE(BASS_ChannelIsActive(currentChannel), 0u);
    EXPECT_EQ(window_->tblWork->StepBy(1), 1);
    EXPECT_EQ(BASS_ChannelIsActive(currentChannel), 0u);
    EXPECT_TRUE(PlayerShown());
    EXPECT_EQ(Label(), "1 \\ 36 сек.");
    Tick();
    ExpectIdle();
    // The new work's recordings play only when asked for.
    EXPECT_EQ(BASS_ChannelIsActive(currentChannel), 0u);
    Task2();
    EXPECT_EQ(Label(), "4 сек.");
    // A move that cannot move (already the last record) stops as well.
    window_->tblWork->StepBy(1);
    EXPECT_EQ(BASS_ChannelIsActive(currentChannel), 0u);
}

TEST_F(PlayTest, ScanStartedDuringPlayStopsItAtTheFirstRecordedFile) {
    AddWorks({{"10001", "a"}});
    Task2();
    ASSERT_NE(BASS_ChannelIsActive(currentChannel), 0u);
    // What the channel reports right after each scroll event of the table.
    std::vector<DWORD> afterScroll;
    const auto handler = window_->tblWork->BeforeScroll;
    window_->tblWork->BeforeScroll = [&](TDataSet& table) {
        handler(table);
        afterScroll.push_back(BASS_ChannelIsActive(currentChannel));
    };
    window_->DirectoryEdit1->setText(QString::fromStdString((root / "b").string()));
    window_->Button1Click(window_->Button1);
    ASSERT_FALSE(afterScroll.empty());
    EXPECT_EQ(afterScroll.front(), 0u);
    EXPECT_TRUE(PlayerShown()); // until the next tick
    Tick();
    ExpectIdle();
}

TEST_F(PlayTest, MissingRecordingIsReportedAndWhatPlaysPlaysOn) {
    AddWorks({{"10005", "e"}});
    Task2();
    const HSTREAM playing = currentChannel;
    Tick();
    Tick();
    Task3();
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes::ShownBoxes()[0].text,
              QString::fromStdString("файл " + Path("e", "10005_3.ogg") + " не найден"));
    EXPECT_EQ(MessageBoxes::ShownBoxes()[0].buttons, QStringList{"OK"});
    // The controls took the clicked row; everything else is as it was.
    EXPECT_EQ(PlayerTops(), (std::vector<int>{184, 184, 184, 188}));
    EXPECT_EQ(currentChannel, playing);
    EXPECT_EQ(BASS_ChannelIsActive(playing), static_cast<DWORD>(BASS_STATE_PLAYING));
    EXPECT_EQ(Label(), "2 \\ 36 сек.");
    EXPECT_EQ(Progress(), 2);
    EXPECT_EQ(window_->pb->MaxValue(), 37);
    EXPECT_EQ(Caption(), "Пауза");
    EXPECT_TRUE(PlayerShown());
    Tick();
    EXPECT_EQ(Label(), "3 \\ 36 сек.");
}

TEST_F(PlayTest, FolderNamedLikeTheRecordingIsNoRecording) {
    AddWorks({{"10004", "d"}});
    Task2();
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes::ShownBoxes()[0].text,
              QString::fromStdString("файл " + Path("d", "10004_2.ogg") + " не найден"));
    EXPECT_EQ(currentChannel, 0u);
    EXPECT_FALSE(PlayerShown());
    EXPECT_FALSE(window_->Timer1->isActive());
}

TEST_F(PlayTest, UnplayableRecordingIsReportedAndChangesNothingElse) {
    AddWorks({{"10003", "c"}});
    Task2();
    const HSTREAM playing = currentChannel;
    Tick();
    window_->PausePlayClick(window_->PausePlay);
    Task3();
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 1u);
    EXPECT_EQ(
        MessageBoxes::ShownBoxes()[0].text,
        QString::fromStdString("файл " + Path("c", "10003_3.ogg") + " не удаётся воспроизвести"));
    // As with a missing recording, only the row of the controls follows the click.
    EXPECT_EQ(PlayerTops(), (std::vector<int>{184, 184, 184, 188}));
    EXPECT_EQ(currentChannel, playing);
    EXPECT_EQ(BASS_ChannelIsActive(playing), static_cast<DWORD>(BASS_STATE_PAUSED));
    EXPECT_TRUE(paused);
    EXPECT_EQ(Caption(), "Далее");
    EXPECT_EQ(Label(), "1 \\ 36 сек.");
    EXPECT_EQ(Progress(), 1);
    EXPECT_EQ(window_->pb->MaxValue(), 37);
    EXPECT_DOUBLE_EQ(recordLengthSeconds, 37.4);
    // Continuing plays the old recording on.
    window_->PausePlayClick(window_->PausePlay);
    EXPECT_EQ(BASS_ChannelIsActive(playing), static_cast<DWORD>(BASS_STATE_PLAYING));
}

TEST_F(PlayTest, EmptyListLooksForTheBareNameInTheCurrentFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(root / "d");
    Task2();
    Task3();
    fs::current_path(before);
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 2u);
    EXPECT_EQ(MessageBoxes::ShownBoxes()[0].text, "файл _2.ogg не найден");
    EXPECT_EQ(MessageBoxes::ShownBoxes()[1].text, "файл _3.ogg не найден");
    EXPECT_FALSE(PlayerShown());
    EXPECT_EQ(currentChannel, 0u);
}

} // namespace
