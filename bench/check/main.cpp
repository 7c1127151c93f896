// How fast zenor-dump check gets through the recordings of a tree, each
// figure against baselines measured in the same run over the same files:
//  - plain decode, one thread: the project's decoder, samples thrown away;
//  - oggdec -Q -o /dev/null, one process per file (vorbis-tools);
//  - the check's measuring (decode, EBU R128 loudness, peaks) on 1 thread
//    and on the pool (one thread per core);
//  - plain decode on the pool, to show what the pool itself gains.
// Usage: bench_check TREE [ROUNDS]   (make a tree with make_tree.sh; build
// without sanitizers for real figures). Prints medians of ROUNDS runs.
#include "review/RecordingMeasure.h"
#include "review/TreeCheck.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Time(int rounds, const std::function<void()>& run) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        run();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    return Median(times);
}

void DecodeOnPool(const std::vector<std::string>& files, unsigned jobs) {
    std::atomic<std::size_t> next{0};
    std::vector<std::jthread> threads;
    for (unsigned t = 0; t < jobs; ++t)
        threads.emplace_back([&] {
            for (std::size_t i; (i = next.fetch_add(1)) < files.size();) DecodeOnly(files[i]);
        });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_check TREE [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(argv[1]))
        if (e.is_regular_file() && e.path().extension() == ".ogg") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    double audioSeconds = 0;
    for (const RecordingMeasure& m : MeasureAll(files, 0, {})) audioSeconds += m.seconds;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("%zu recordings, %.0f s of audio, %u cores, median of %d rounds\n", files.size(),
                audioSeconds, cores, rounds);

    std::string oggdec = "for f in";
    for (const std::string& f : files) oggdec += " '" + f + "'";
    oggdec += "; do oggdec -Q -o /dev/null \"$f\" || exit 1; done";
    const bool haveOggdec = std::system("command -v oggdec >/dev/null") == 0;

    const double plain1 = Time(rounds, [&] {
        for (const std::string& f : files) DecodeOnly(f);
    });
    const double oggdecTime = haveOggdec ? Time(rounds,
                                                [&] {
                                                    if (std::system(oggdec.c_str()) != 0)
                                                        std::abort();
                                                })
                                         : 0;
    const double measure1 = Time(rounds, [&] { MeasureAll(files, 1, {}); });
    const double measurePool = Time(rounds, [&] { MeasureAll(files, 0, {}); });
    const double plainPool = Time(rounds, [&] { DecodeOnPool(files, cores); });

    auto line = [&](const char* name, double t) {
        std::printf("%-38s %7.3f s  %6.0fx real time  %5.2fx plain decode on 1 thread\n", name, t,
                    audioSeconds / t, plain1 / t);
    };
    line("plain decode, 1 thread (baseline)", plain1);
    if (haveOggdec)
        line("oggdec -o /dev/null, 1 process a file", oggdecTime);
    else
        std::printf("oggdec: not installed (apt-get install vorbis-tools)\n");
    line("check's measuring, 1 thread", measure1);
    line("check's measuring, pool", measurePool);
    line("plain decode, pool", plainPool);
    std::printf("the pool on %u cores: measuring %.2fx its 1-thread time, plain decode %.2fx\n",
                cores, measure1 / measurePool, plain1 / plainPool);
    if (haveOggdec)
        std::printf("check's measuring on the pool: %.2fx the throughput of oggdec\n",
                    oggdecTime / measurePool);
    return 0;
}
