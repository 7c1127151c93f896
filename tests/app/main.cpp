// Widget tests run on Qt's offscreen platform. The platform must be chosen
// before the application object exists, also when ctest only lists the tests.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Application.h"

int main(int argc, char** argv) {
    // Set, never inherited: the caller's platform, sound driver or locale
    // must not change what the tests see.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    ::testing::InitGoogleTest(&argc, argv);
    Application app(argc, argv);
    return RUN_ALL_TESTS();
}
