// Load speed of answer sheets, each figure against a baseline measured in
// the same run:
//  1. a typical sheet (7 text fields, 1 record) loaded from its file, against
//     opening, reading and closing the same file;
//  2. time per record for a stream of 1,000,000 records against one of
//     10,000, and the memory the large load takes against the stream's size.
// Usage: stream_bench [ROUNDS]   (build without sanitizers for real figures)
#include "SheetWriter.h"

#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TMemoryStream.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace sheetwriter;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Bytes of heap in use; unlike the resident size it does not hide memory
// that the allocator had kept from earlier work.
std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

std::size_t OpenReadClose(const char* path) {
    char buffer[16384];
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) std::abort();
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        total += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return total;
}

void TypicalSheet(int rounds) {
    const auto bytes =
        WriteSheet(AnswerSheet({"2", "ответ один", "two", "three", "four", "five", "six"}));
    char path[] = "/tmp/zenor-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    close(fd);

    // Short blocks of each, taken in turns: on a shared machine a burst of
    // somebody else's work then lands in a few blocks of both kinds alike,
    // and the medians pass over it.
    constexpr int kPerBlock = 100;
    constexpr int kBlocksPerRound = 20;
    TqvrMemTable answers("answers");
    TqvrBinaryStreamFormat format;
    std::vector<double> load, baseline;
    std::size_t sink = 0;
    for (int b = 0; b < rounds * kBlocksPerRound; ++b) {
        auto t0 = Clock::now();
        for (int i = 0; i < kPerBlock; ++i) sink += OpenReadClose(path);
        auto t1 = Clock::now();
        for (int i = 0; i < kPerBlock; ++i) answers.LoadFromFileUsingFormat(path, &format);
        auto t2 = Clock::now();
        baseline.push_back(Seconds(t1 - t0) / kPerBlock);
        load.push_back(Seconds(t2 - t1) / kPerBlock);
    }
    unlink(path);
    const double b = Median(baseline), l = Median(load);
    std::printf("typical sheet (%zu bytes): load %.2f us, open+read+close %.2f us, ratio %.2f "
                "(goal 2.0)%s\n",
                bytes.size(), l * 1e6, b * 1e6, l / b, sink == 0 ? " ?" : "");
}

std::vector<std::uint8_t> ManyRecords(int count) {
    Sheet s = AnswerSheet({});
    s.records.clear();
    s.records.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        s.records.push_back(
            Record({std::to_string(i % 10), "answer " + std::to_string(i), std::string("b"),
                    std::string("c"), std::string("d"), std::string("e"), std::string("f")}));
    return WriteSheet(s);
}

// The bytes of the records' own text, the data the table must hold.
std::size_t TextBytes(int count) {
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) total += 1 + ("answer " + std::to_string(i)).size() + 5;
    return total;
}

double PerRecord(const std::vector<std::uint8_t>& bytes, int count, int repeats) {
    std::vector<double> times;
    for (int r = 0; r < repeats; ++r) {
        TqvrMemTable table("answers");
        TqvrBinaryStreamFormat format;
        TMemoryStream stream(bytes.data(), bytes.size());
        const auto t0 = Clock::now();
        table.LoadFromStreamUsingFormat(stream, &format);
        const auto t1 = Clock::now();
        if (table.RecordTotal() != count) std::abort();
        times.push_back(Seconds(t1 - t0) / count);
    }
    return Median(times);
}

void Scaling(int rounds) {
    const auto small = ManyRecords(10000);
    const auto large = ManyRecords(1000000);
    const double perSmall = PerRecord(small, 10000, std::max(5, rounds * 5));
    const std::size_t before = HeapInUse();
    double perLarge = 0;
    std::size_t delta = 0;
    {
        TqvrMemTable table("answers");
        TqvrBinaryStreamFormat format;
        TMemoryStream stream(large.data(), large.size());
        const auto t0 = Clock::now();
        table.LoadFromStreamUsingFormat(stream, &format);
        perLarge = Seconds(Clock::now() - t0) / 1000000;
        delta = HeapInUse() - before;
    }
    perLarge = std::min(perLarge, PerRecord(large, 1000000, std::max(1, rounds / 2)));
    std::printf(
        "per record: 10,000 records %.3f us, 1,000,000 records %.3f us, ratio %.2f (limit 1.3)\n",
        perSmall * 1e6, perLarge * 1e6, perLarge / perSmall);
    std::printf("heap of the 1,000,000-record table: %.1f MiB; the stream is %.1f MiB, its text "
                "values %.1f MiB\n",
                static_cast<double>(delta) / (1024 * 1024),
                static_cast<double>(large.size()) / (1024 * 1024),
                static_cast<double>(TextBytes(1000000)) / (1024 * 1024));
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TypicalSheet(rounds);
    Scaling(rounds);
    return 0;
}
