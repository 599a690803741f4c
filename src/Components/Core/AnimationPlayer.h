// The playback state of one clip of the AnimationTable: its times, the image it shows now and
// the pose its keys give. The clip is borrowed: the player must not outlive the table.
#pragma once

#include <cstdint>

#include "System/Common/SlabAllocator.h"
#include "World/AnimationTable.h"

// What the player shows: a texture rectangle in pixels and UVs, and an offset from the sprite's
// centre.
struct AnimationImage {
    NameId textureId = 0;
    int32_t width = 0, height = 0;
    float u0 = 0.0f, v0 = 0.0f, du = 0.0f, dv = 0.0f;
    float offsetX = 0.0f, offsetY = 0.0f;
};

// From the object slabs, next to the component that made it.
class AnimationPlayer : public ObjectSlabAllocated {
public:
    // A player with no clip is stopped until reset.
    AnimationPlayer() = default;

    // Binds the player to a clip (null: none), takes its wrap mode, rewinds both times to 0,
    // clears the image and the pose, and evaluates once.
    void Reset(const AnimationClip* clip);
    // Moves both times on by dt seconds under the wrap mode, then evaluates. A stopped player
    // or one without a clip stays as it is.
    void Advance(float dt);
    // Sets the image and the pose from the times. The first track present gives the image
    // (atlas sprites, grid cells, fixed rectangle); a row without a sprite leaves it as it was.
    void Evaluate();

    const AnimationClip* GetClip() const { return m_pClip; }
    int32_t GetWrapMode() const { return m_nWrapMode; }
    float GetTrackTime() const { return m_fTrackTime; }
    float GetPoseTime() const { return m_fPoseTime; }
    bool IsStopped() const { return m_bStopped != 0; }
    void SetStopped(bool stopped) { m_bStopped = stopped ? 1 : 0; }
    const AnimationImage& GetImage() const { return m_Image; }
    // The sum of the active keys of a channel (0 when none is active).
    float GetPose(int channel) const { return m_afPose[channel]; }
    // The pose value minus its value before the last evaluation.
    float GetPoseChange(int channel) const { return m_afPoseChange[channel]; }

private:
    void EvaluateSheet();
    void EvaluateSprite();
    void EvaluatePose();

    const AnimationClip* m_pClip = nullptr;
    int32_t m_nWrapMode = eWrapMode_Once;
    float m_fTrackTime = 0.0f;
    float m_fPoseTime = 0.0f;
    uint8_t m_bStopped = 1;
    AnimationImage m_Image;
    float m_afPose[kPoseChannelCount] = {};
    float m_afPoseChange[kPoseChannelCount] = {};
};

// The weight of a key at the fraction e of its span (0..1) for a curve; 0 for an unknown curve.
float EvaluatePoseCurve(int curve, float e);
// The time t moved past a track of the given length under a wrap mode: looping takes off whole
// lengths (none when the length is not positive); the other modes clamp at the length.
float WrapTrackTime(float t, float length, int32_t wrapMode);
