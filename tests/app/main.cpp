// Widget tests run on Qt's offscreen platform. The platform must be chosen
// before the application object exists, also when ctest only lists the tests.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Application.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    Application app(argc, argv);
    return RUN_ALL_TESTS();
}
