// The sound manager over real archives (a loose folder and a pak) and the XAudio2 device with
// its mixer pulled by nobody: what matters here is which sources exist, their ids and volumes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PakWriter.h"
#include "Platform/XAudio2/XAudio2Output.h"
#include "SoundTestUtil.h"
#include "SoundWriter.h"
#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/StreamIO.h"
#include "System/Sound/SoundManager.h"
#include "System/Sound/XAudio2Device.h"

namespace {

const NameId kMusicA = HashName("assets.v1/sounds/bgm/a");
const NameId kMusicB = HashName("assets.v1/sounds/bgm/b");
const NameId kLooseSe = HashName("assets.v1/sounds/se/loose");
const NameId kPakSe = HashName("assets.v1/sounds/se/packed");
const NameId kBrokenSe = HashName("assets.v1/sounds/se/broken");
const NameId kMissing = HashName("assets.v1/sounds/se/missing");

class SoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        XAudio2SetOutputMode(eXAudio2Output_Manual);
        std::vector<uint8_t> ogg = MakeVorbis(Tune(44100, 2, 44100), 2, 44100, 0.1f, {"LOOP_START=0.5"});
        std::vector<uint8_t> wave = MakeWave(Count(3000), 1, 22050, 16);
        Write("assets.v1/sounds/bgm/a.ogg", ogg);
        Write("assets.v1/sounds/bgm/b.ogg", ogg);
        Write("assets.v1/sounds/se/loose.wav", wave);
        Write("assets.v1/sounds/se/broken.wav", std::vector<uint8_t>(wave.begin(), wave.begin() + 30));
        std::string pak, error;
        ASSERT_TRUE(BuildPak({{"assets.v1/sounds/se/packed", std::string(wave.begin(), wave.end())}},
                             PakLayout::EntryCompressed, pak, error))
            << error;
        dir.WriteFile("data/se.pak", pak);

        ArchiveSystem* archives = ArchiveSystem::GetInstance();
        archives->SetRoot(dir.Path() + "/");
        ASSERT_NE(nullptr, archives->Mount(new FileSystemArchive("assets.v1/sounds")));
        ASSERT_NE(nullptr, archives->Mount(new ZEVArchive(dir.File("data/se.pak"))));
        manager = std::make_unique<SoundManager>(CreateAudioDevice());
        ASSERT_EQ(eAudioDeviceKind_XAudio2, manager->GetDevice()->GetKind());
    }
    void TearDown() override
    {
        manager.reset();
        delete g_pArchiveSystem;
        XAudio2SetOutputMode(eXAudio2Output_Device);
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        dir.WriteFile(name, std::string(bytes.begin(), bytes.end()));
    }
    static std::vector<int16_t> Count(size_t n)
    {
        std::vector<int16_t> v(n);
        for (size_t i = 0; i < n; ++i)
            v[i] = int16_t(i + 1);
        return v;
    }

    TempDir dir;
    std::unique_ptr<SoundManager> manager;
};

TEST_F(SoundManagerTest, SourcesByKeyFallBackToSilence)
{
    struct Case {
        const char* name;
        int group;
        NameId key;
        int kind;
        bool real;       // an XAudio2 source rather than a silent one
        bool streaming;  // loose files stream, pak entries in memory play as one buffer
    };
    const Case cases[] = {
        {"loose WAVE", eSoundGroup_Se, kLooseSe, eDecoderKind_Wave, true, true},
        {"WAVE from the pak", eSoundGroup_Se, kPakSe, eDecoderKind_Wave, true, false},
        {"loose Vorbis", eSoundGroup_Bgm, kMusicA, eDecoderKind_Vorbis, true, true},
        {"no such entry", eSoundGroup_Se, kMissing, eDecoderKind_Wave, false, false},
        {"a WAVE the decoder refuses", eSoundGroup_Se, kBrokenSe, eDecoderKind_Wave, false, false},
        {"a WAVE read as Vorbis", eSoundGroup_Bgm, kLooseSe, eDecoderKind_Vorbis, false, false},
        {"an unknown decoder kind", eSoundGroup_Se, kLooseSe, 9, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<IAudioSource> s(manager->CreateSource(c.group, c.key, c.kind));
        ASSERT_NE(nullptr, s);
        EXPECT_EQ(c.key, s->GetKey());
        EXPECT_EQ(c.group, s->GetGroup());
        auto* x = dynamic_cast<XAudio2Source*>(s.get());
        EXPECT_EQ(c.real, x != nullptr);
        if (x)
            EXPECT_EQ(c.streaming, x->IsStreaming());
        else
            EXPECT_NE(nullptr, dynamic_cast<NullAudioSource*>(s.get()));
    }
}

// A sound that is not in the archives is named as the data writes it, not by its id alone.
TEST_F(SoundManagerTest, AMissingSoundIsNamedAsWritten)
{
    testing::internal::CaptureStdout();
    std::unique_ptr<IAudioSource> s(manager->CreateSource(eSoundGroup_Se, kMissing, eDecoderKind_Wave));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("\"assets.v1/sounds/se/missing\""), std::string::npos) << log;
}

TEST_F(SoundManagerTest, IdsCountUpAcrossMusicAndEffectsAndWrap)
{
    SoundManager::SetSourceCounter(2147483646u);
    std::unique_ptr<IAudioSource> a(manager->CreateSource(eSoundGroup_Bgm, kMusicA, eDecoderKind_Vorbis));
    int se = manager->PlaySe(kMissing, false);
    std::unique_ptr<IAudioSource> c(manager->CreateSource(eSoundGroup_Se, kLooseSe, eDecoderKind_Wave));
    EXPECT_EQ(2147483646, a->GetId());
    EXPECT_EQ(2147483647, se);
    EXPECT_EQ(0, c->GetId());
    SoundManager::SetSourceCounter(0xFFFFFFFFu);
    std::unique_ptr<IAudioSource> d(manager->CreateSource(eSoundGroup_Se, kLooseSe, eDecoderKind_Wave));
    EXPECT_EQ(0x7FFFFFFF, d->GetId()) << "never negative";
}

TEST_F(SoundManagerTest, EffectsReuseStopAndCleanUp)
{
    int first = manager->PlaySe(kPakSe, true);
    ASSERT_EQ(1u, manager->GetSeList().size());
    EXPECT_EQ(first, manager->PlaySe(kPakSe, true)) << "restarted, same id";
    EXPECT_EQ(1u, manager->GetSeList().size());
    int second = manager->PlaySe(kPakSe, false);
    EXPECT_NE(first, second);
    int loose = manager->PlaySe(kLooseSe, false);
    int silent = manager->PlaySe(kMissing, false);
    EXPECT_EQ(4u, manager->GetSeList().size());

    // A silent effect is never playing: the next update drops it, the rest keep their order.
    manager->Update(0.016f);
    ASSERT_EQ(3u, manager->GetSeList().size());
    EXPECT_EQ(first, manager->GetSeList()[0]->GetId());
    EXPECT_EQ(loose, manager->GetSeList()[2]->GetId());
    (void)silent;

    manager->StopSe(second);
    EXPECT_EQ(2u, manager->GetSeList().size());
    manager->StopSe(12345);
    EXPECT_EQ(2u, manager->GetSeList().size());
    manager->PlaySe(kPakSe, false);
    manager->StopSeByKey(kPakSe);
    ASSERT_EQ(1u, manager->GetSeList().size());
    EXPECT_EQ(loose, manager->GetSeList()[0]->GetId());
    manager->StopSe(-1);
    EXPECT_TRUE(manager->GetSeList().empty());
}

TEST_F(SoundManagerTest, MusicSwitchesAndFades)
{
    manager->PlayBgm(1.0f, kMusicA, true);
    IAudioSource* a = manager->GetCurrentBgm();
    ASSERT_NE(nullptr, a);
    EXPECT_FLOAT_EQ(1.0f, a->GetVolume());
    manager->PlayBgm(1.0f, kMusicA, true);
    EXPECT_EQ(a, manager->GetCurrentBgm()) << "the same piece is not restarted";

    // A new piece: the old one fades out over the given time, then goes.
    manager->PlayBgm(2.0f, kMusicB, true);
    IAudioSource* b = manager->GetCurrentBgm();
    EXPECT_NE(a, b);
    EXPECT_EQ(a, manager->GetFadingBgm());
    struct Step {
        float dt, fadingVolume;
        bool fadingGone;
    };
    const Step steps[] = {{0.5f, 0.75f, false}, {1.0f, 0.25f, false}, {0.25f, 0.125f, false}, {0.25f, 0.0f, true}};
    for (const Step& s : steps) {
        manager->Update(s.dt);
        if (s.fadingGone) {
            EXPECT_EQ(nullptr, manager->GetFadingBgm());
        } else {
            ASSERT_EQ(a, manager->GetFadingBgm());
            EXPECT_FLOAT_EQ(s.fadingVolume, a->GetVolume());
        }
        EXPECT_FLOAT_EQ(1.0f, b->GetVolume());
    }

    // A third piece while one is fading: the fading one goes at once.
    manager->PlayBgm(1.0f, kMusicA, false);
    EXPECT_EQ(b, manager->GetFadingBgm());
    manager->PlayBgm(1.0f, kMusicB, false);
    EXPECT_NE(b, manager->GetFadingBgm());

    // A silenced current piece comes back to full volume over half a second.
    IAudioSource* current = manager->GetCurrentBgm();
    current->SetVolume(0.0f);
    manager->Update(0.0f);
    EXPECT_EQ(eFadeMode_Up, current->GetFadeMode());
    manager->Update(0.25f);
    EXPECT_FLOAT_EQ(0.5f, current->GetVolume());
    manager->Update(0.25f);
    EXPECT_FLOAT_EQ(1.0f, current->GetVolume());

    manager->FadeOutBgm(0.0f);
    EXPECT_EQ(nullptr, manager->GetCurrentBgm()) << "a fade of 0 stops at once";
    EXPECT_EQ(nullptr, manager->GetFadingBgm());
}

TEST_F(SoundManagerTest, GroupVolumesFromSettings)
{
    struct Case {
        int32_t percent;
        float gain;
    };
    const Case cases[] = {{20, 0.2f}, {40, 0.4f}, {0, 0.0f}, {100, 1.0f}, {-5, 0.0f}, {-2147483647 - 1, 0.0f}};
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(c.gain, VolumeFromPercent(c.percent)) << c.percent;

    g_pSoundManager = manager.release();
    EXPECT_EQ(g_pSoundManager, StartSoundManager(20, -40));
    EXPECT_FLOAT_EQ(0.2f, g_pSoundManager->GetDevice()->GetGroupVolume(eSoundGroup_Bgm));
    EXPECT_FLOAT_EQ(0.0f, g_pSoundManager->GetDevice()->GetGroupVolume(eSoundGroup_Se));
    PlayScreenshotSound();
    EXPECT_EQ(1u, g_pSoundManager->GetSeList().size());
    StopSoundManager();
    EXPECT_EQ(nullptr, g_pSoundManager);
}

TEST_F(SoundManagerTest, SilentDeviceStillAnswers)
{
    manager = std::make_unique<SoundManager>(new NullAudioDevice());
    // The silent device takes group volumes and reads them as 0.
    EXPECT_TRUE(manager->GetDevice()->SetGroupVolume(eSoundGroup_Se, 0.5f));
    EXPECT_EQ(0.0f, manager->GetDevice()->GetGroupVolume(eSoundGroup_Se));
    manager->SetGroupVolume(eSoundGroup_Se, 0.5f);
    int id = manager->PlaySe(kLooseSe, false);
    EXPECT_GE(id, 0);
    manager->PlayBgm(0.5f, kMusicA, true);
    IAudioSource* silent = manager->GetCurrentBgm();
    ASSERT_NE(nullptr, silent);
    EXPECT_NE(nullptr, dynamic_cast<NullAudioSource*>(silent));
    EXPECT_EQ(1.0f, silent->GetVolume());
    manager->Update(0.016f);
    // Silent music never fades to 0: it stays the fading piece until the next one replaces it.
    manager->FadeOutBgm(1.0f);
    manager->Update(2.0f);
    EXPECT_EQ(silent, manager->GetFadingBgm());
    manager->PlayBgm(0.5f, kMusicB, true);
    manager->FadeOutBgm(1.0f);
    EXPECT_NE(silent, manager->GetFadingBgm());
    manager->StopSe(id);
}

TEST(SoundManagerStart, FallsBackToTheSilentDevice)
{
    XAudio2SetOutputMode(eXAudio2Output_NoDevice);
    std::unique_ptr<IAudioDevice> device(CreateAudioDevice());
    EXPECT_EQ(eAudioDeviceKind_Null, device->GetKind());
    XAudio2SetOutputMode(eXAudio2Output_Device);
}

// Every demo sound the build lays out, loose or packed, opens and decodes.
TEST(DemoSounds, AllOpenAndDecode)
{
    std::string game = QM_GAME_DIR;
    // Gone however the test ends: a failed assertion must not leave its mounts to later tests.
    struct ArchivesGone {
        ~ArchivesGone() { delete g_pArchiveSystem; }
    } archivesGone;
    ArchiveSystem* archives = ArchiveSystem::GetInstance();
    archives->SetRoot(game + "/");
    archives->Mount(new FileSystemArchive("assets.v1/sounds"));
    ASSERT_NE(nullptr, archives->Mount(new ZEVArchive(game + "/data/bgm.pak")));
    ASSERT_NE(nullptr, archives->Mount(new ZEVArchive(game + "/data/se.pak")));
    std::vector<std::string> names;
    ASSERT_TRUE(archives->FindNames(names, "assets.v1/sounds/*"));
    int music = 0, effects = 0, streamedEffects = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        bool isMusic = name.find("/bgm/") != std::string::npos;
        std::unique_ptr<IDecoder> d(CreateDecoder(isMusic ? eDecoderKind_Vorbis : eDecoderKind_Wave));
        ASSERT_TRUE(d->Open(archives->Open(HashName(name)), false));
        EXPECT_GT(d->GetLength(), 0.0);
        if (isMusic) {
            ++music;
            EXPECT_GT(d->GetLoopStart(), 0.0);
            EXPECT_GT(d->GetLoopEnd(), d->GetLoopStart());
        } else {
            ++effects;
            streamedEffects += d->IsStreaming();
        }
    }
    std::unique_ptr<StreamIO> screenshot(archives->Open(HashName("assets.v1/sounds/se/screenshot")));
    EXPECT_NE(nullptr, screenshot);
    EXPECT_GE(music, 2);
    EXPECT_GE(effects, 5);
    // Both ways of playing an effect occur in the game: loose files stream, pak entries do not.
    EXPECT_GT(streamedEffects, 0);
    EXPECT_LT(streamedEffects, effects);
}

} // namespace
