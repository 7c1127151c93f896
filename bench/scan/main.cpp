// Times the window's real scan path (Button1Click: the walk with its pumping,
// status panel and record step, the sort, the closing box and the first
// sheet) on a generated tree of about 50,000 entries, a first scan and a
// re-scan in a fresh window each time, and `zenor-dump works` on the same
// tree, each against `find TREE -type f` timed in the same run, and prints
// the medians and their ratios. Runs on Qt's offscreen platform with SDL's
// dummy audio driver. With --scale it scans a tree of 100,000 works (about
// 500,000 entries) once and prints its ratio and the peak memory.
//
//   bench_scan [--runs N] [TREE]   (default /tmp/zenor-bench-scan; made when absent)
//   bench_scan --scale [TREE]      (default /tmp/zenor-bench-scan-100k)
//   bench_scan --scan-only [TREE]  one scan, nothing else: for strace or perf
#include "app/Application.h"
#include "app/DirectoryEdit.h"
#include "app/MessageBoxes.h"
#include "app/T_main.h"
#include "memtable/TqvrMemTable.h"

#include <QCoreApplication>
#include <QPushButton>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Schools of classes; each class holds 5 works of 4 files and 5 other files.
struct Shape {
    int schools;
    int classes;
    int firstId; // work IDs count up from here, five digits each
    int Works() const { return schools * classes * kWorksPerClass; }
    int Folders() const { return schools * (1 + classes); }
    int Others() const { return schools * classes * kOthersPerClass; }
    static constexpr int kWorksPerClass = 5;
    static constexpr int kOthersPerClass = 5;
};
constexpr Shape kStandard{40, 49, 10000}; // 2,000 folders, 9,800 works, 9,800 other files
constexpr Shape kScale{400, 50, 0};       // 20,400 folders, 100,000 works, 100,000 other files

std::string Sheet() {
    std::ifstream in(std::string(ZENOR_SOURCE_DIR) + "/demo/20455_0.ans", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// `everySheet`: every work's sheet holds a real sheet, or only the first one's
// (the scan reads only the first; a large tree is spared the disk blocks).
void MakeTree(const fs::path& root, Shape shape, bool everySheet) {
    if (fs::exists(root / ".complete")) return;
    std::printf("making the tree in %s ...\n", root.c_str());
    std::fflush(stdout);
    fs::remove_all(root);
    const std::string sheet = Sheet();
    int id = shape.firstId;
    for (int s = 0; s < shape.schools; ++s) {
        const fs::path school = root / ("School " + std::to_string(s + 1));
        for (int c = 0; c < shape.classes; ++c) {
            const fs::path cls = school / ("Class " + std::to_string(c + 1));
            fs::create_directories(cls);
            for (int w = 0; w < Shape::kWorksPerClass; ++w, ++id) {
                char digits[16];
                std::snprintf(digits, sizeof digits, "%05d", id);
                const std::string work = digits;
                std::ofstream out(cls / (work + "_0.ans"), std::ios::binary);
                if (everySheet || id == shape.firstId) out << sheet;
                for (const char* suffix : {"_0.ogg", "_2.ogg", "_3.ogg"})
                    std::ofstream(cls / (work + suffix));
            }
            for (int o = 0; o < Shape::kOthersPerClass; ++o)
                std::ofstream(cls / ("scan_" + std::to_string(o) + ".jpg"));
        }
    }
    std::ofstream(root / ".complete");
}

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Runs a program with its output thrown away; the seconds it took.
double TimeRun(std::vector<std::string> argv) {
    const auto start = std::chrono::steady_clock::now();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::perror(args[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return Seconds(start);
}

double TimeFind(const std::string& tree) {
    return TimeRun({"find", tree, "-type", "f"});
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The pumps a scan of `tree` makes: one per entry its listings give, "." and
// ".." included.
long PumpsOf(const std::string& tree) {
    long pumps = 2;
    for (const auto& entry : fs::recursive_directory_iterator(tree))
        pumps += entry.is_directory() ? 3 : 1;
    return pumps;
}

// What one pump per entry would cost: the same number of passes over pending
// events with nothing else done (the scan pumps on a time slice instead).
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

std::unique_ptr<T_main> OpenWindow(const std::string& tree) {
    auto window = std::make_unique<T_main>();
    window->show();
    QCoreApplication::processEvents();
    window->DirectoryEdit1->setText(QString::fromStdString(tree));
    return window;
}

} // namespace

int main(int argc, char** argv) {
    enum class Mode { Standard, Scale, ScanOnly } mode = Mode::Standard;
    std::string tree;
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--scan-only")
            mode = Mode::ScanOnly;
        else if (a == "--scale")
            mode = Mode::Scale;
        else if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            tree = a;
    }
    const Shape shape = mode == Mode::Scale ? kScale : kStandard;
    if (tree.empty())
        tree = mode == Mode::Scale ? "/tmp/zenor-bench-scan-100k" : "/tmp/zenor-bench-scan";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    MakeTree(tree, shape, mode != Mode::Scale);

    Application app(argc, argv);

    if (mode == Mode::ScanOnly) {
        auto window = OpenWindow(tree);
        const double scan = TimeScan(*window);
        std::printf("scan %.3f s, %d works, %d matched files\n", scan,
                    window->tblWork->RecordTotal(), static_cast<int>(matchedFiles));
        return 0;
    }

    if (mode == Mode::Scale) {
        TimeFind(tree); // warm the caches for everybody alike
        auto window = OpenWindow(tree);
        const long before = PeakKilobytes();
        const double findBefore = TimeFind(tree);
        const double scan = TimeScan(*window);
        const long after = PeakKilobytes();
        const double findAfter = TimeFind(tree);
        const double find = (findBefore + findAfter) / 2;
        std::printf("tree: %s (%d folders, %d works of 4 files, %d other files)\n", tree.c_str(),
                    shape.Folders(), shape.Works(), shape.Others());
        std::printf("find -type f: %.3f s (mean of one run before and one after)\n", find);
        std::printf("scan:         %.3f s  ratio %.2f  (%d works, %d matched files)\n", scan,
                    scan / find, window->tblWork->RecordTotal(), static_cast<int>(matchedFiles));
        std::printf("peak memory:  %.1f MB (%.1f MB before the scan, the window open)\n",
                    after / 1024.0, before / 1024.0);
        return 0;
    }

    TimeFind(tree); // warm the caches for everybody alike
    std::vector<double> finds, firsts, agains, dumps;
    int works = 0, matched = 0;
    for (int r = 0; r < runs; ++r) {
        finds.push_back(TimeFind(tree));
        auto window = OpenWindow(tree);
        firsts.push_back(TimeScan(*window));
        works = window->tblWork->RecordTotal();
        matched = matchedFiles;
        agains.push_back(TimeScan(*window));
        window.reset();
        finds.push_back(TimeFind(tree));
        dumps.push_back(TimeRun({ZENOR_DUMP, "works", tree}));
    }
    const double find = Median(finds);
    const long pumps = PumpsOf(tree);
    const double pumping = TimePumps(pumps);
    const double first = Median(firsts), again = Median(agains), dump = Median(dumps);

    std::printf("tree: %s (%d folders, %d works of 4 files, %d other files)\n", tree.c_str(),
                shape.Folders(), shape.Works(), shape.Others());
    std::printf("find -type f: %.3f s (median of %d runs)\n", find, 2 * runs);
    std::printf("first scan:   %.3f s  ratio %.2f  (median of %d; %d works, %d matched files)\n",
                first, first / find, runs, works, matched);
    std::printf("re-scan:      %.3f s  ratio %.2f\n", again, again / find);
    std::printf("zenor-dump works: %.3f s  ratio %.2f  (median of %d, process start included)\n",
                dump, dump / find, runs);
    std::printf("a pump per entry alone would take: %.3f s  ratio %.2f  (%ld passes)\n", pumping,
                pumping / find, pumps);
    std::printf("goal: window <= 2.0 (stretch 1.5): %s; zenor-dump works <= 1.3: %s\n",
                (first / find <= 2.0 && again / find <= 2.0) ? "met" : "NOT met",
                dump / find <= 1.3 ? "met" : "NOT met");
    return 0;
}
