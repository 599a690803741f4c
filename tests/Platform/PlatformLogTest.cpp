// The platform layer's log lines reach the game's log through the sink the log installs, with
// their own level, file and line; with no sink they still reach standard error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Backend/PlatformLog.h"
#include "System/Common/Log.h"

TEST(PlatformLog, LinesReachTheGamesLogOrStandardErrorWithoutASink)
{
    // Installed by the log when statics start: an error is kept by a capture like any other.
    {
        LogCapture capture;
        PLATFORM_LOG_ERROR << "device lost: " << 7;
        PLATFORM_LOG_WARNING << "not kept: a warning";
        const std::vector<std::string> kept = capture.Take();
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0], "device lost: 7");
    }

    // Another sink sees the level, the writing line's file and line, and the text.
    struct Seen {
        PlatformLogLevel level;
        std::string file, text;
        int line;
    };
    static std::vector<Seen> seen;
    seen.clear();
    const PlatformLogSink installed = SetPlatformLogSink(
        [](PlatformLogLevel level, const char* file, int line, const std::string& text) {
            seen.push_back({level, file, text, line});
        });
    ASSERT_NE(installed, nullptr);
    const int line = __LINE__ + 1;
    PLATFORM_LOG_WARNING << "x" << 1;
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].level, ePlatformLog_Warning);
    EXPECT_NE(seen[0].file.find("PlatformLogTest.cpp"), std::string::npos);
    EXPECT_EQ(seen[0].line, line);
    EXPECT_EQ(seen[0].text, "x1");

    // None: standard error, with the level and the text.
    SetPlatformLogSink(nullptr);
    testing::internal::CaptureStderr();
    PLATFORM_LOG_ERROR << "no sink";
    const std::string err = testing::internal::GetCapturedStderr();
    SetPlatformLogSink(installed);
    EXPECT_NE(err.find("ERROR"), std::string::npos) << err;
    EXPECT_NE(err.find("no sink"), std::string::npos) << err;
}
