// The main of every test binary: headless video and audio unless the caller chose otherwise,
// so a plain `ctest` or a binary run by hand needs no environment set up.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "Platform/Backend/Video.h"

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Windows, GL contexts and the renderer's worker threads end here, before the leak checker
    // walks the process at exit.
    BackendShutdownVideo();
    SDL_Quit();
    return result;
}
