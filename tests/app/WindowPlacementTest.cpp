#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The window's frame: the 971 x 403 client area with a 2-pixel border.
constexpr QSize kFrame(975, 407);
constexpr QPoint kLayoutPosition(538, 197);

struct PlacementCase {
    const char* screen; // also the test's name
    QRect available;
    QPoint expected;
};

class FitOnScreenTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(FitOnScreenTest, KeepsTheLayoutPositionOrMovesJustEnoughToFit) {
    const PlacementCase& c = GetParam();
    EXPECT_EQ(FitOnScreen(kLayoutPosition, kFrame, c.available), c.expected) << c.screen;
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FitOnScreenTest,
    ::testing::Values(
        PlacementCase{"FullHD", {0, 0, 1920, 1080}, {538, 197}},
        PlacementCase{"ExactlyLargeEnough", {0, 0, 538 + 975, 197 + 407}, {538, 197}},
        PlacementCase{"Laptop1366x768", {0, 0, 1366, 768}, {1366 - 975, 197}},
        PlacementCase{"Netbook1024x600BottomPanel", {0, 0, 1024, 576}, {1024 - 975, 576 - 407}},
        PlacementCase{"TopPanelLeftDockNarrowerThanTheFrame", {70, 27, 954, 573}, {70, 600 - 407}},
        PlacementCase{"LowerThanTheFrame", {0, 0, 1366, 300}, {1366 - 975, 0}},
        PlacementCase{"PrimaryScreenRightOfTheLayoutPosition", {1920, 0, 1280, 1024}, {1920, 197}}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) {
        return std::string(info.param.screen);
    });

} // namespace
