// Running counts of the slow things a frame can do, and the time the last frame's update took.
// Nothing in the game reads them: a frame-time report compares them before and after a frame to
// tell the frames that built a stage, loaded textures, opened a movie or wrote the save file
// apart from the steady ones.
#pragma once

#include <cstdint>

struct FrameStats {
    uint64_t stageSwitches = 0;
    uint64_t texturesLoaded = 0;
    uint64_t moviesOpened = 0;
    uint64_t saveFilesWritten = 0;
    // The game state's update in the last tick (scripts and the scene's passes), in nanoseconds.
    int64_t updateNanoseconds = 0;
};

extern FrameStats g_FrameStats;
