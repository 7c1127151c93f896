// The page `zenor-dump pack` writes for a tree whose recordings are hard
// links to a few files, without decoding the same file a hundred thousand
// times: the tree is checked for lengths only, each distinct file (device
// and inode) is measured once, and every recording gets its file's measure
// and problems, as a full check would give them. For the page benchmark
// (bench_page.py), where decoding 300,000 recordings would take hours.
// Usage: bench_page_render TREE PAGE
#include "review/PackPage.h"
#include "review/RecordingVerdict.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <utility>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_page_render TREE PAGE\n");
        return 2;
    }
    const std::string tree = argv[1];
    const std::string page = argv[2];
    const auto start = std::chrono::steady_clock::now();
    CheckOptions options;
    options.measuring = Measuring::kLengthOnly;
    CheckReport report = CheckTree(tree, options);

    std::map<std::pair<dev_t, ino_t>, RecordingMeasure> measured;
    for (CheckedWork& w : report.works) {
        std::erase_if(w.problems,
                      [](const Problem& p) { return p.kind.rfind("recording-", 0) == 0; });
        for (std::size_t r = 0; r < kRecordingSuffixes.size(); ++r) {
            const std::string file = w.folder + w.id + kRecordingSuffixes[r];
            // A recording that is not there keeps the length-only measure,
            // which says so, and gets its problem back below.
            struct stat st {};
            if (stat(file.c_str(), &st) == 0) {
                auto [it, fresh] = measured.try_emplace({st.st_dev, st.st_ino});
                if (fresh) it->second = MeasureRecording(file);
                w.recordings[r] = it->second;
            }
            const Problem where{w.id, w.folder, w.id + kRecordingSuffixes[r], "", "", ""};
            for (Problem& p : RecordingProblems(w.recordings[r], options.thresholds, where))
                w.problems.push_back(std::move(p));
        }
    }
    std::ofstream(page, std::ios::binary) << RenderPackPage(report, tree, page, PackOptions{});
    std::printf("%zu works, %zu distinct recordings measured, %.2f s\n", report.works.size(),
                measured.size(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
}
