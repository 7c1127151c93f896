// The audio device alone, as the program's start-up opens it: how long
// BASS_Init takes, and how long after the start of BASS_Init the sound server
// asks for the device's second buffer (the first is taken at once: it fills
// the server's prebuffer). The second figure is the sound server's own pace;
// start-up does not wait for it. Each round opens and frees the device with
// SDL's PulseAudio driver, then with its dummy driver.
//
//   bench_device_open [ROUNDS]      (needs PULSE_SERVER for the first figure)
#include "audio/Bass.h"
#include "audio/BassTestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSecondBufferWait = std::chrono::seconds(5);

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Max(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const char* drivers[] = {"pulseaudio", "dummy"};
    std::vector<double> init[2], second[2], free[2];
    for (int r = 0; r < rounds; ++r) {
        for (int d = 0; d < 2; ++d) {
            setenv("SDL_AUDIODRIVER", drivers[d], 1);
            const auto start = Clock::now();
            if (BASS_Init(-1, 44100, 0, nullptr, nullptr) == FALSE) {
                std::fprintf(stderr, "BASS_Init failed with SDL's %s driver\n", drivers[d]);
                return 1;
            }
            init[d].push_back(Ms(Clock::now() - start));
            while (BASS_TestDeviceCallbacks() < 2 && Clock::now() - start < kSecondBufferWait)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            second[d].push_back(Ms(Clock::now() - start));
            const auto freeing = Clock::now();
            BASS_Free();
            free[d].push_back(Ms(Clock::now() - freeing));
        }
    }
    std::printf("audio device, %d rounds (median / max, ms):\n", rounds);
    std::printf("  %-12s %16s %22s %12s\n", "driver", "BASS_Init", "server's 2nd buffer",
                "BASS_Free");
    for (int d = 0; d < 2; ++d) {
        std::printf("  %-12s %7.1f / %6.1f %13.1f / %6.1f %5.1f / %5.1f\n", drivers[d],
                    Median(init[d]), Max(init[d]), Median(second[d]), Max(second[d]),
                    Median(free[d]), Max(free[d]));
    }
    return 0;
}
