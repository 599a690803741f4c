// The main of every test binary: headless video and audio unless the caller chose otherwise,
// so a plain `ctest` or a binary run by hand needs no environment set up.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "Components/ComponentList.h"
#include "Platform/Backend/Video.h"

// Options the address sanitizer's runtime reads before main; the environment's ASAN_OPTIONS
// still win. Without a sanitizer nothing calls this.
//
// intercept_tls_get_addr=0: the runtime would record the bounds of every thread-local block a
// loaded library allocates on first use, and it guesses them from an old C-library layout: a
// block that starts 16 bytes past a page boundary is taken to carry its own {size, start}
// header. The software GL driver's compiler library has such a block on the main thread, and
// when the allocator happens to place it there, the two words read are the allocator's chunk
// header, so the leak checker at exit scans from a near-null address and dies (a passing
// drawing test reports "Tracer caught signal 11"; where the block lands shifts with every
// allocation before it, so it comes and goes with unrelated changes and with load). The leak
// checker still scans those blocks: the dynamic linker allocates them, and everything it
// allocates is a root.
extern "C" const char* __asan_default_options();
extern "C" const char* __asan_default_options()
{
    return "intercept_tls_get_addr=0";
}

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    InstallComponents();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Windows, GL contexts and the renderer's worker threads end here, before the leak checker
    // walks the process at exit.
    BackendShutdownVideo();
    SDL_Quit();
    return result;
}
