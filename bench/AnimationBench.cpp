#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Components/Core/AnimationPlayer.h"
#include "World/AnimationTable.h"

namespace {

constexpr int kPlayers = 1000;
constexpr int kCells = 60;
constexpr int kKeys = 20;
constexpr float kCellTime = 1.0f / 30.0f;
constexpr float kFrameTime = 1.0f / 60.0f;
constexpr float kTextureSize = 512.0f;
constexpr int kCellSize = 64;
constexpr int kColumns = 8;

// A looping clip: one run of 60 cells of 64 x 64 on a 512 x 512 grid, and 20 pose keys over
// the channels with every curve, some repeating past their end, some holding.
AnimationClip MakeClip()
{
    AnimationClip clip;
    clip.m_nWrapMode = eWrapMode_Loop;
    SpriteFrame run{};
    run.textureId = HashName("bench_grid");
    run.invTextureWidth = 1.0f / kTextureSize;
    run.invTextureHeight = 1.0f / kTextureSize;
    run.cellDuration = kCellTime;
    run.cellWidth = kCellSize;
    run.cellHeight = kCellSize;
    run.firstCell = 0;
    run.lastCell = kCells - 1;
    run.cellCount = kCells;
    run.columns = kColumns;
    clip.m_SpriteFrames.push_back(run);
    clip.m_fSpriteLength = kCells * kCellTime;
    clip.m_bHasPose = true;
    for (int k = 0; k < kKeys; ++k) {
        PoseKey key;
        key.channel = static_cast<int16_t>(k % kPoseChannelCount);
        key.curve = static_cast<int16_t>(k % ePoseCurve_max);
        key.value = 1.0f + static_cast<float>(k);
        key.start = 0.1f * static_cast<float>(k % 7);
        key.end = key.start + 0.25f + 0.05f * static_cast<float>(k % 5);
        key.length = key.end - key.start;
        key.flag = static_cast<uint8_t>(k % 3 == 0 ? kPoseKeyFlag_Hold : 0);
        clip.m_PoseKeys.push_back(key);
        clip.m_fPoseLength = std::max(clip.m_fPoseLength, key.end);
    }
    clip.m_fLength = std::max(clip.m_fSpriteLength, clip.m_fPoseLength);
    return clip;
}

// Players spread over the clip so that every cell and key is visited.
float StartTime(int i) { return 0.0137f * static_cast<float>(i); }

void BM_AnimationPlayerAdvance(benchmark::State& state)
{
    const AnimationClip clip = MakeClip();
    std::vector<AnimationPlayer> players(kPlayers);
    for (int i = 0; i < kPlayers; ++i) {
        players[i].Reset(&clip);
        players[i].Advance(StartTime(i));
    }
    for (auto _ : state) {
        for (AnimationPlayer& player : players)
            player.Advance(kFrameTime);
        benchmark::DoNotOptimize(players.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_AnimationPlayerAdvance);

// The same clip played in closed form: the cell found by one division, the same keys summed.
struct ClosedFormPlayer {
    float time = 0.0f, poseTime = 0.0f;
    AnimationImage image;
    float pose[kPoseChannelCount] = {};
    float change[kPoseChannelCount] = {};
};

void AdvanceClosedForm(ClosedFormPlayer& p, const AnimationClip& clip, float dt)
{
    const SpriteFrame& run = clip.m_SpriteFrames[0];
    p.time = WrapTrackTime(p.time + dt, clip.m_fSpriteLength, eWrapMode_Loop);
    p.poseTime = WrapTrackTime(p.poseTime + dt, clip.m_fPoseLength, eWrapMode_Loop);
    int cell = static_cast<int>(p.time / run.cellDuration);
    if (cell >= kCells)
        cell = kCells - 1;
    p.image.textureId = run.textureId;
    p.image.width = run.cellWidth;
    p.image.height = run.cellHeight;
    p.image.u0 = static_cast<float>(cell % run.columns) * run.cellWidth * run.invTextureWidth;
    p.image.v0 = static_cast<float>(cell / run.columns) * run.cellHeight * run.invTextureHeight;
    p.image.du = run.cellWidth * run.invTextureWidth;
    p.image.dv = run.cellHeight * run.invTextureHeight;

    float before[kPoseChannelCount];
    for (int c = 0; c < kPoseChannelCount; ++c) {
        before[c] = p.pose[c];
        p.pose[c] = 0.0f;
    }
    const float t = p.poseTime;
    for (const PoseKey& key : clip.m_PoseKeys) {
        if (key.start > t)
            continue;
        const bool past = t > key.end;
        if (key.curve == ePoseCurve_Step || (past && (key.flag & kPoseKeyFlag_Hold))) {
            p.pose[key.channel] += key.value;
            continue;
        }
        const float d = past ? std::fmod(t - key.start, key.length) : t - key.start;
        p.pose[key.channel] += key.value * EvaluatePoseCurve(key.curve, d / key.length);
    }
    for (int c = 0; c < kPoseChannelCount; ++c)
        p.change[c] = p.pose[c] - before[c];
}

void BM_AnimationPlayerAdvance_Baseline(benchmark::State& state)
{
    const AnimationClip clip = MakeClip();
    std::vector<ClosedFormPlayer> players(kPlayers);
    for (int i = 0; i < kPlayers; ++i)
        AdvanceClosedForm(players[i], clip, StartTime(i));
    for (auto _ : state) {
        for (ClosedFormPlayer& player : players)
            AdvanceClosedForm(player, clip, kFrameTime);
        benchmark::DoNotOptimize(players.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_AnimationPlayerAdvance_Baseline);

} // namespace
