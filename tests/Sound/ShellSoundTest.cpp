// The application brings the sound manager up with the settings' volumes, updates it every
// tick and takes it down at shutdown.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Platform/Backend/Video.h"
#include "Platform/XAudio2/XAudio2Output.h"
#include "Platform/Win32/Windows.h"
#include "Support/TempDir.h"
#include "System/Application/MainApp.h"
#include "System/Sound/SoundManager.h"

namespace {

std::string UserName()
{
    char name[UNLEN + 1];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? name : "";
}

TEST(ShellSound, StartTickAndShutdown)
{
    struct Case {
        const char* ini;
        float bgm, se;
    };
    const Case cases[] = {
        {"[Sound]\nBGMVolume=50\nSEVolume=80\n", 0.5f, 0.8f},
        {"", 0.2f, 0.4f},  // the defaults
        {"[Sound]\nBGMVolume=-30\nSEVolume=-1\n", 0.0f, 0.0f},
        {"[Sound]\nBGMVolume=100000\nSEVolume=101\n", 1.0f, 1.0f}, // a percentage plays at most at full volume
    };
    XAudio2SetOutputMode(eXAudio2Output_Manual);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        TempDir game;
        game.WriteFile("bin/.keep", "");
        game.WriteFile("userdata/" + UserName() + "/QMPref.ini", c.ini);
        {
            ScopedCwd cwd(game.File("bin"));
            MainApp app;
            ASSERT_TRUE(app.Startup());
            ASSERT_NE(nullptr, g_pSoundManager);
            IAudioDevice* device = g_pSoundManager->GetDevice();
            ASSERT_EQ(eAudioDeviceKind_XAudio2, device->GetKind());
            EXPECT_FLOAT_EQ(c.bgm, device->GetGroupVolume(eSoundGroup_Bgm));
            EXPECT_FLOAT_EQ(c.se, device->GetGroupVolume(eSoundGroup_Se));
            // No archive holds the sound here: a silent effect, dropped by the next tick.
            PlayScreenshotSound();
            EXPECT_EQ(1u, g_pSoundManager->GetSeList().size());
            app.Tick();
            EXPECT_TRUE(g_pSoundManager->GetSeList().empty());
            app.Shutdown();
            EXPECT_EQ(nullptr, g_pSoundManager);
        }
        BackendShutdownVideo();
        // The ini keeps what the user wrote.
        if (c.bgm == 0.0f) {
            EXPECT_NE(std::string::npos, game.ReadFile("userdata/" + UserName() + "/QMPref.ini").find("BGMVolume=-30"));
        }
    }
    XAudio2SetOutputMode(eXAudio2Output_Device);
}

} // namespace
