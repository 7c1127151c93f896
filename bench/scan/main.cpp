// Times the window's real scan path (Button1Click: pumping once per entry,
// status panel, record step, sort, the closing box and the first sheet) on a
// generated tree of about 50,000 entries, a first scan and a re-scan, against
// `find TREE -type f` over the same tree in the same run, and prints the
// ratios. It also times as many bare passes over pending events as the scan
// pumps, the floor that one pump per entry sets on this machine. Runs on Qt's
// offscreen platform with SDL's dummy audio driver.
//
//   bench_scan [TREE]        (default /tmp/zenor-bench-scan; made when absent)
//   bench_scan --scan-only [TREE]   one scan, nothing else: for strace -c -f
#include "app/Application.h"
#include "app/DirectoryEdit.h"
#include "app/MessageBoxes.h"
#include "app/T_main.h"
#include "memtable/TqvrMemTable.h"

#include <QCoreApplication>
#include <QPushButton>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kSchools = 40;
constexpr int kClassesPerSchool = 49; // 40 + 40 * 49 = 2,000 folders
constexpr int kWorksPerClass = 5;     // 9,800 works of 4 files
constexpr int kOthersPerClass = 5;    // 9,800 other files

std::string Sheet() {
    std::ifstream in(std::string(ZENOR_SOURCE_DIR) + "/demo/20455_0.ans", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void MakeTree(const fs::path& root) {
    if (fs::exists(root / ".complete")) return;
    std::printf("making the tree in %s ...\n", root.c_str());
    fs::remove_all(root);
    const std::string sheet = Sheet();
    int id = 10000;
    for (int s = 0; s < kSchools; ++s) {
        const fs::path school = root / ("School " + std::to_string(s + 1));
        for (int c = 0; c < kClassesPerSchool; ++c) {
            const fs::path cls = school / ("Class " + std::to_string(c + 1));
            fs::create_directories(cls);
            for (int w = 0; w < kWorksPerClass; ++w, ++id) {
                const std::string work = std::to_string(id);
                std::ofstream(cls / (work + "_0.ans"), std::ios::binary) << sheet;
                for (const char* suffix : {"_0.ogg", "_2.ogg", "_3.ogg"})
                    std::ofstream(cls / (work + suffix));
            }
            for (int o = 0; o < kOthersPerClass; ++o)
                std::ofstream(cls / ("scan_" + std::to_string(o) + ".jpg"));
        }
    }
    std::ofstream(root / ".complete");
}

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

double TimeFind(const std::string& tree) {
    const auto start = std::chrono::steady_clock::now();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string find = "find", type = "-type", f = "f";
    std::string path = tree;
    char* argv[] = {find.data(), path.data(), type.data(), f.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "find", &actions, nullptr, argv, environ) != 0) {
        std::perror("find");
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return Seconds(start);
}

double BestFind(const std::string& tree) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) best = std::min(best, TimeFind(tree));
    return best;
}

// The pumps a scan of `tree` makes: one per entry its listings give, "." and
// ".." included.
long PumpsOf(const std::string& tree) {
    long pumps = 2;
    for (const auto& entry : fs::recursive_directory_iterator(tree))
        pumps += entry.is_directory() ? 3 : 1;
    return pumps;
}

// The floor that pumping alone sets: the same number of passes over pending
// events with nothing else done.
double TimePumps(long pumps) {
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < pumps; ++i) QCoreApplication::processEvents();
    return Seconds(start);
}

double TimeScan(T_main& window) {
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    const auto start = std::chrono::steady_clock::now();
    window.Button1Click(window.Button1);
    return Seconds(start);
}

} // namespace

int main(int argc, char** argv) {
    bool scanOnly = false;
    std::string tree = "/tmp/zenor-bench-scan";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--scan-only")
            scanOnly = true;
        else
            tree = a;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    MakeTree(tree);

    Application app(argc, argv);
    T_main window;
    window.show();
    QCoreApplication::processEvents();
    window.DirectoryEdit1->setText(QString::fromStdString(tree));

    if (scanOnly) {
        const double scan = TimeScan(window);
        std::printf("scan %.3f s, %d works, %d matched files\n", scan,
                    window.tblWork->RecordTotal(), static_cast<int>(matchedFiles));
        return 0;
    }

    TimeFind(tree); // warm the caches for everybody alike
    const double findBefore = BestFind(tree);
    const double first = TimeScan(window);
    const int works = window.tblWork->RecordTotal();
    const int matched = matchedFiles;
    const double again = TimeScan(window);
    const double findAfter = BestFind(tree);
    const double find = std::min(findBefore, findAfter);
    const long pumps = PumpsOf(tree);
    const double pumping = TimePumps(pumps);

    std::printf("tree: %s (%d folders, %d works of 4 files, %d other files)\n", tree.c_str(),
                kSchools * (1 + kClassesPerSchool), kSchools * kClassesPerSchool * kWorksPerClass,
                kSchools * kClassesPerSchool * kOthersPerClass);
    std::printf("find -type f: %.3f s (best of 3 before and 3 after)\n", find);
    std::printf("first scan:   %.3f s  ratio %.2f  (%d works, %d matched files)\n", first,
                first / find, works, matched);
    std::printf("re-scan:      %.3f s  ratio %.2f\n", again, again / find);
    std::printf("pumping alone: %.3f s  ratio %.2f  (%ld passes, one per listed entry)\n", pumping,
                pumping / find, pumps);
    std::printf("goal: each ratio <= 2.0 (stretch 1.5): %s\n",
                (first / find <= 2.0 && again / find <= 2.0) ? "met" : "NOT met");
    return 0;
}
