#include "catalogue/FindAllOgg.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace zenor {
namespace {

using test::TempTree;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

// Everything a walk reported, in order.
struct Recorder {
    std::vector<std::string> events; // "file:<path>", "match:<path>", "end"
    std::vector<std::string> files;
    std::vector<std::string> matches;
    int pumps = 0;
    int ends = 0;
    // Pump number after which keepGoing starts saying no (0: never).
    int stopAfterPump = 0;
    bool stopped = false;

    ScanHooks Hooks() {
        ScanHooks h;
        h.pump = [this] {
            ++pumps;
            if (stopAfterPump && pumps == stopAfterPump) stopped = true;
        };
        h.keepGoing = [this] { return !stopped; };
        h.fileExamined = [this](const std::string& folder, std::string_view name) {
            files.push_back(folder + std::string(name));
            events.push_back("file:" + files.back());
        };
        h.participantFound = [this](const std::string& folder, std::string_view name) {
            matches.push_back(folder + std::string(name));
            events.push_back("match:" + matches.back());
        };
        h.levelEnded = [this] {
            ++ends;
            events.push_back("end");
        };
        return h;
    }
};

TEST(FindAllOgg, FindsParticipantFilesAndExaminesEveryFile) {
    TempTree t;
    t.File("12345_0.ans");
    t.File("12345_2.ogg");
    t.File("12345_3.OGG");
    t.File("notes.txt");
    const std::string r = t.Root() + "/";
    Recorder rec;
    FindAllOgg(t.Root(), rec.Hooks());
    EXPECT_THAT(rec.matches,
                UnorderedElementsAre(r + "12345_0.ans", r + "12345_2.ogg", r + "12345_3.OGG"));
    EXPECT_THAT(rec.files, UnorderedElementsAre(r + "12345_0.ans", r + "12345_2.ogg",
                                                r + "12345_3.OGG", r + "notes.txt"));
    EXPECT_EQ(rec.ends, 1);
    // One pump per listed entry, "." and ".." included.
    EXPECT_EQ(rec.pumps, 6);
    // A trailing separator on the folder text changes nothing.
    Recorder again;
    FindAllOgg(r, again.Hooks());
    EXPECT_EQ(again.files.size(), 4u);
    EXPECT_THAT(again.matches,
                UnorderedElementsAre(r + "12345_0.ans", r + "12345_2.ogg", r + "12345_3.OGG"));
}

TEST(FindAllOgg, WalksDepthFirstAndEndsEveryLevel) {
    TempTree t;
    t.File("a/b/11111_0.ans");
    t.File("a/22222_2.ogg");
    const std::string r = t.Root() + "/";
    Recorder rec;
    FindAllOgg(t.Root(), rec.Hooks());
    // Folder b is the only folder in a, but a's file may come before or after it.
    const std::vector<std::string> bFirst = {"file:" + r + "a/b/11111_0.ans",
                                             "match:" + r + "a/b/11111_0.ans",
                                             "end",
                                             "file:" + r + "a/22222_2.ogg",
                                             "match:" + r + "a/22222_2.ogg",
                                             "end",
                                             "end"};
    const std::vector<std::string> fileFirst = {"file:" + r + "a/22222_2.ogg",
                                                "match:" + r + "a/22222_2.ogg",
                                                "file:" + r + "a/b/11111_0.ans",
                                                "match:" + r + "a/b/11111_0.ans",
                                                "end",
                                                "end",
                                                "end"};
    EXPECT_TRUE(rec.events == bFirst || rec.events == fileFirst)
        << ::testing::PrintToString(rec.events);
}

// A folder whose listing takes several reads, with a folder inside it that
// is read while the outer listing is still being read.
TEST(FindAllOgg, ListsEveryEntryOfALargeFolderOnce) {
    TempTree t;
    constexpr int kFiles = 3000; // some 200 KB of listing
    const std::string pad(40, 'x');
    for (int i = 0; i < kFiles; ++i) t.File("big/" + pad + std::to_string(i), "");
    t.File("big/inner/12345_0.ans");
    Recorder rec;
    FindAllOgg(t.Root(), rec.Hooks());
    std::vector<std::string> files = rec.files;
    std::sort(files.begin(), files.end());
    EXPECT_EQ(std::adjacent_find(files.begin(), files.end()), files.end());
    EXPECT_EQ(files.size(), static_cast<size_t>(kFiles) + 1);
    EXPECT_THAT(rec.matches, ElementsAre(t.Root() + "/big/inner/12345_0.ans"));
    EXPECT_EQ(rec.pumps, 3 + (kFiles + 3) + 3);
    EXPECT_EQ(rec.ends, 3);
}

TEST(FindAllOgg, SkipsDotEntriesWithEverythingBelowThem) {
    TempTree t;
    t.File(".hidden/33333_0.ans");
    t.File(".2345_0.ans");
    t.File(".git/objects/44444_2.ogg");
    t.File("visible/55555_3.ogg");
    // Unreadable by mode is no reason to skip a file: it is listed all the same.
    t.File("66666_0.ogg");
    chmod(t.Path("66666_0.ogg").c_str(), 0);
    const std::string r = t.Root() + "/";
    Recorder rec;
    FindAllOgg(t.Root(), rec.Hooks());
    EXPECT_THAT(rec.matches, UnorderedElementsAre(r + "visible/55555_3.ogg", r + "66666_0.ogg"));
    EXPECT_THAT(rec.files, UnorderedElementsAre(r + "visible/55555_3.ogg", r + "66666_0.ogg"));
    EXPECT_EQ(rec.ends, 2);
}

TEST(FindAllOgg, EntersAFolderNamedLikeASheetWithoutCountingIt) {
    TempTree t;
    t.File("12345_0.ans/77777_2.ogg");
    const std::string r = t.Root() + "/";
    Recorder rec;
    FindAllOgg(t.Root(), rec.Hooks());
    EXPECT_THAT(rec.matches, ElementsAre(r + "12345_0.ans/77777_2.ogg"));
    EXPECT_THAT(rec.files, ElementsAre(r + "12345_0.ans/77777_2.ogg"));
}

TEST(FindAllOgg, FollowsFolderLinksButNeverRoundALoop) {
    TempTree t;
    t.File("school/class/88888_0.ans");
    t.File("other/99999_2.ogg");
    t.Link("school/class/up", "../..");                   // back to the top: a loop
    t.Link("school/class/self", ".");                     // the folder itself
    t.Link("school/elsewhere", "../other");               // a side branch: walked through the link
    t.Link("school/dangling_0.ans", "nothing");           // a broken link is a file
    t.Link("school/abcde_0.ogg", "../other/99999_2.ogg"); // a link to a file is a file
    const std::string r = t.Root() + "/";
    Recorder rec;
    FindAllOgg(t.Root(), rec.Hooks());
    EXPECT_THAT(rec.matches,
                UnorderedElementsAre(r + "school/class/88888_0.ans", r + "other/99999_2.ogg",
                                     r + "school/elsewhere/99999_2.ogg", r + "school/abcde_0.ogg"));
    EXPECT_THAT(rec.files, ::testing::Contains(r + "school/dangling_0.ans"));
    // top, school, class, other, elsewhere: the two loop links end no level.
    EXPECT_EQ(rec.ends, 5);
}

TEST(FindAllOgg, KeepsNamesThatAreNotUtf8) {
    TempTree t;
    const std::string odd = "\xff\xfe"
                            "345_2.ogg";
    t.File("\xc1\xf3\xea/" + odd); // a folder named in code page 1251
    const std::string r = t.Root() + "/";
    Recorder rec;
    FindAllOgg(t.Root(), rec.Hooks());
    EXPECT_THAT(rec.matches, ElementsAre(r + "\xc1\xf3\xea/" + odd));
}

TEST(FindAllOgg, MissingOrInvalidFolderCountsAsEmpty) {
    TempTree t;
    t.File("plain.txt");
    for (const std::string& folder :
         {t.Path("absent"), t.Path("plain.txt"), t.Root() + std::string("\0/x", 3)}) {
        Recorder rec;
        FindAllOgg(folder, rec.Hooks());
        EXPECT_EQ(rec.pumps, 0) << folder;
        EXPECT_EQ(rec.ends, 1) << folder;
        EXPECT_TRUE(rec.files.empty()) << folder;
    }
}

TEST(FindAllOgg, EmptyAndRelativeTextsResolveAgainstTheCurrentDirectory) {
    TempTree t;
    t.File("12345_0.ans");
    t.File("Sub/54321_2.ogg");
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(t.Root());
    Recorder empty, relative, dot;
    FindAllOgg("", empty.Hooks());
    FindAllOgg("Sub", relative.Hooks());
    FindAllOgg(".", dot.Hooks());
    std::filesystem::current_path(saved);
    EXPECT_THAT(empty.matches, UnorderedElementsAre("12345_0.ans", "Sub/54321_2.ogg"));
    EXPECT_THAT(relative.matches, ElementsAre("Sub/54321_2.ogg"));
    EXPECT_THAT(dot.matches, UnorderedElementsAre("./12345_0.ans", "./Sub/54321_2.ogg"));
}

TEST(FindAllOgg, AStopLetsTheCurrentEntryFinishThenLeavesEveryLevel) {
    TempTree t;
    t.File("only/a_file_1");
    t.File("only/b_file_2");
    t.File("only/c_file_3");
    // The top holds ".", ".." and "only"; find out where "only" is listed.
    int onlyAt = 0, n = 0;
    for (const auto& e : std::filesystem::directory_iterator(t.Root())) {
        (void)e;
        ++n;
    }
    ASSERT_EQ(n, 1);
    {
        Recorder probe;
        FindAllOgg(t.Root(), probe.Hooks());
        ASSERT_EQ(probe.files.size(), 3u);
        ASSERT_EQ(probe.pumps, 3 + 5);
    }
    // Stop during each pump of the top level in turn: after ".", ".." or
    // "only". Stopped on "only", that folder is still entered and its first
    // entry is pumped and handled before it returns.
    for (int stopAt = 1; stopAt <= 3; ++stopAt) {
        Recorder rec;
        rec.stopAfterPump = stopAt;
        FindAllOgg(t.Root(), rec.Hooks());
        if (rec.pumps == stopAt) {
            EXPECT_EQ(rec.ends, 1); // stopped on "." or "..": only the top ended
            EXPECT_TRUE(rec.files.empty());
        } else {
            onlyAt = stopAt;
            EXPECT_EQ(rec.pumps, stopAt + 1); // the first entry of "only"
            EXPECT_EQ(rec.ends, 2);
            EXPECT_LE(rec.files.size(), 1u); // its first entry may be "." or a file
        }
    }
    EXPECT_NE(onlyAt, 0);
}

TEST(FindAllOgg, AnExceptionFromAHookEndsEveryLevelOnItsWay) {
    TempTree t;
    t.File("x/y/12345_0.ans");
    Recorder rec;
    ScanHooks hooks = rec.Hooks();
    hooks.participantFound = [](const std::string&, std::string_view) {
        throw std::runtime_error("boom");
    };
    EXPECT_THROW(FindAllOgg(t.Root(), hooks), std::runtime_error);
    EXPECT_EQ(rec.ends, 3);
    // A throwing level-end hook on the way out does not replace the first error.
    ScanHooks both = hooks;
    both.levelEnded = [] { throw std::logic_error("second"); };
    EXPECT_THROW(FindAllOgg(t.Root(), both), std::runtime_error);
}

// Root reads every folder whatever its mode, so the walk runs in a child
// that has given up root; an ordinary user runs it in process.
TEST(FindAllOgg, PassesOverFoldersThatCannotBeListed) {
    TempTree t;
    t.File("open/11111_0.ans");
    t.File("locked/22222_0.ans");
    chmod(t.Path("locked").c_str(), 0);
    chmod(t.Root().c_str(), 0755); // the top must stay open to the unprivileged child
    const std::string r = t.Root() + "/";
    auto check = [&]() -> std::string {
        Recorder rec;
        FindAllOgg(t.Root(), rec.Hooks());
        if (rec.matches != std::vector<std::string>{r + "open/11111_0.ans"})
            return "matches: " + ::testing::PrintToString(rec.matches);
        if (rec.ends != 3) return "levels ended: " + std::to_string(rec.ends);
        return "";
    };
    if (geteuid() != 0) {
        EXPECT_EQ(check(), "");
        return;
    }
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(pipeFds[0]);
        std::string result =
            (setgid(65534) == 0 && setuid(65534) == 0) ? check() : "could not drop root";
        if (access(t.Path("locked").c_str(), R_OK) == 0)
            result = "the locked folder is still readable";
        (void)!write(pipeFds[1], result.data(), result.size());
        _exit(0);
    }
    close(pipeFds[1]);
    std::string result;
    char buf[512];
    for (ssize_t got; (got = read(pipeFds[0], buf, sizeof buf)) > 0;)
        result.append(buf, static_cast<std::size_t>(got));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(result, "");
}

} // namespace
} // namespace zenor
