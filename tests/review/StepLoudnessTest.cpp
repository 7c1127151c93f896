#include "review/StepLoudness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(StepLoudness, WindowsOfFourStepsAndTheTwoGates) {
    const double inf = HUGE_VAL;
    struct Row {
        const char* name;
        std::vector<double> steps; // LUFS of each 100 ms step
        double endWindow;          // -inf: the last step was whole
        double loudest, integrated;
    };
    // Steps of −20 LUFS have the mean square a, steps of −40 a/100. With eight
    // of each, the thirteen whole windows are 5 × a, (3a + b)/4, (2a + 2b)/4,
    // (a + 3b)/4 and 5 × b: their mean is (a + b)/2, the relative gate a tenth
    // of that, 0.0505·a, which the five windows of b alone miss. The other
    // eight average 6.515·a/8.
    std::vector<double> loudThenQuiet(8, -20.0);
    loudThenQuiet.resize(16, -40.0);
    const Row rows[] = {
        {"four steps alike", {-20, -20, -20, -20}, -inf, -20, -20},
        // Before the fourth step the window holds silence too: 3/4 of −10 LUFS.
        {"too short for a whole window", {-10, -10, -10}, -inf, -10 + 10 * std::log10(0.75), -inf},
        {"below the absolute gate", std::vector<double>(8, -75.0), -inf, -75, -inf},
        {"silence", std::vector<double>(6, -inf), -inf, -inf, -inf},
        {"relative gate", loudThenQuiet, -inf, -20, -20 + 10 * std::log10(6.515 / 8)},
        {"a louder end window", {-30, -30, -30, -30, -30}, -12, -12, -30},
    };
    for (const Row& row : rows) {
        StepLoudness loudness;
        for (double step : row.steps) loudness.AddStep(step);
        if (!std::isinf(row.endWindow)) loudness.AddWindow(row.endWindow);
        for (const auto& [got, want, what] :
             {std::tuple{loudness.Loudest(), row.loudest, "loudest"},
              std::tuple{loudness.Integrated(), row.integrated, "integrated"}}) {
            if (std::isinf(want))
                EXPECT_EQ(got, want) << row.name << ", " << what;
            else
                EXPECT_NEAR(got, want, 1e-9) << row.name << ", " << what;
        }
    }
}

} // namespace
