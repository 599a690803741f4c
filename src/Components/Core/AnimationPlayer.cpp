#include "Components/Core/AnimationPlayer.h"

#include <cmath>
#include <cstring>

#include "System/Graphics/AtlasTable.h"

namespace {

// Whole lengths are taken off one at a time, as often as a frame ever needs; a step far longer
// than the track (or a length too small to change the time) takes the remainder instead, which
// would otherwise loop for ever.
constexpr int kMaxLoopSubtractions = 64;

} // namespace

float EvaluatePoseCurve(int curve, float e)
{
    switch (curve) {
    case ePoseCurve_Step:
        return 1.0f;
    case ePoseCurve_Linear:
        return e;
    case ePoseCurve_EaseIn:
        return e * e;
    case ePoseCurve_EaseOut:
        return (2.0f - e) * e;
    case ePoseCurve_SmoothStep:
        return e * e * (3.0f - 2.0f * e);
    case ePoseCurve_SlowMiddle:
        return ((2.0f * e - 3.0f) * e + 2.0f) * e;
    default:
        return 0.0f;
    }
}

float WrapTrackTime(float t, float length, int32_t wrapMode)
{
    if (wrapMode != eWrapMode_Loop)
        return t > length ? length : t;
    if (!(length > 0.0f))
        return t;
    for (int i = 0; t >= length; ++i) {
        if (i == kMaxLoopSubtractions)
            return std::fmod(t, length);
        t -= length;
    }
    return t;
}

void AnimationPlayer::Reset(const AnimationClip* clip)
{
    m_pClip = clip;
    m_nWrapMode = clip ? clip->m_nWrapMode : eWrapMode_Once;
    m_fTrackTime = 0.0f;
    m_fPoseTime = 0.0f;
    m_bStopped = 0;
    m_Image = AnimationImage();
    std::memset(m_afPose, 0, sizeof m_afPose);
    std::memset(m_afPoseChange, 0, sizeof m_afPoseChange);
    Evaluate();
}

void AnimationPlayer::Advance(float dt)
{
    if (m_bStopped || !m_pClip)
        return;
    if (m_pClip->HasSheet())
        m_fTrackTime = WrapTrackTime(m_fTrackTime + dt, m_pClip->m_fSheetLength, m_nWrapMode);
    else if (m_pClip->HasSprite())
        m_fTrackTime = WrapTrackTime(m_fTrackTime + dt, m_pClip->m_fSpriteLength, m_nWrapMode);
    if (m_pClip->m_bHasPose)
        m_fPoseTime = WrapTrackTime(m_fPoseTime + dt, m_pClip->m_fPoseLength, m_nWrapMode);
    Evaluate();
}

void AnimationPlayer::Evaluate()
{
    if (!m_pClip)
        return;
    if (m_pClip->HasSheet()) {
        EvaluateSheet();
    } else if (m_pClip->HasSprite()) {
        EvaluateSprite();
    } else if (m_pClip->m_bHasTexcoord) {
        const TexcoordRect& rect = m_pClip->m_Texcoord;
        m_Image.textureId = rect.textureId;
        m_Image.width = rect.textureWidth;
        m_Image.height = rect.textureHeight;
        m_Image.u0 = rect.u0;
        m_Image.v0 = rect.v0;
        m_Image.du = rect.du;
        m_Image.dv = rect.dv;
        // The rectangle is drawn centred: the data gives it no offset.
        m_Image.offsetX = 0.0f;
        m_Image.offsetY = 0.0f;
    }
    if (m_pClip->m_bHasPose)
        EvaluatePose();
}

void AnimationPlayer::EvaluateSheet()
{
    const std::vector<SheetFrame>& rows = m_pClip->m_SheetFrames;
    const SheetFrame* row = &rows.back();
    float sum = 0.0f;
    for (const SheetFrame& candidate : rows) {
        sum += candidate.duration;
        if (sum >= m_fTrackTime) {
            row = &candidate;
            break;
        }
    }
    const AtlasEntry* sprite = row->sprite;
    if (!sprite)
        return;
    m_Image.textureId = sprite->textureId;
    m_Image.width = sprite->sourceWidth;
    m_Image.height = sprite->sourceHeight;
    m_Image.u0 = sprite->u0;
    m_Image.v0 = sprite->v0;
    m_Image.du = sprite->du;
    m_Image.dv = sprite->dv;
    m_Image.offsetX = sprite->offsetX;
    m_Image.offsetY = sprite->offsetY;
}

void AnimationPlayer::EvaluateSprite()
{
    const std::vector<SpriteFrame>& runs = m_pClip->m_SpriteFrames;
    const SpriteFrame* run = &runs.back();
    int index = run->cellCount - 1;
    float sum = 0.0f;
    for (const SpriteFrame& candidate : runs) {
        int j = 0;
        for (; j < candidate.cellCount; ++j) {
            sum += candidate.cellDuration;
            if (sum >= m_fTrackTime)
                break;
        }
        if (j < candidate.cellCount) {
            run = &candidate;
            index = j;
            break;
        }
    }
    // A run whose first cell is above its last plays its cells downwards.
    const int cell = run->firstCell <= run->lastCell ? run->firstCell + index : run->firstCell - index;
    const float cellWidth = run->cellWidth;
    const float cellHeight = run->cellHeight;
    m_Image.textureId = run->textureId;
    m_Image.width = run->cellWidth;
    m_Image.height = run->cellHeight;
    m_Image.u0 = static_cast<float>(cell % run->columns) * cellWidth * run->invTextureWidth;
    m_Image.v0 = static_cast<float>(cell / run->columns) * cellHeight * run->invTextureHeight;
    m_Image.du = cellWidth * run->invTextureWidth;
    m_Image.dv = cellHeight * run->invTextureHeight;
}

void AnimationPlayer::EvaluatePose()
{
    float before[kPoseChannelCount];
    std::memcpy(before, m_afPose, sizeof before);
    std::memset(m_afPose, 0, sizeof m_afPose);
    const float t = m_fPoseTime;
    for (const PoseKey& key : m_pClip->m_PoseKeys) {
        // An unknown curve adds nothing.
        if (key.start > t || key.curve < ePoseCurve_Step || key.curve >= ePoseCurve_max)
            continue;
        const bool past = t > key.end;
        if (key.curve == ePoseCurve_Step || (past && (key.flag & kPoseKeyFlag_Hold))) {
            m_afPose[key.channel] += key.value;
            continue;
        }
        // Past its end, a key that does not hold repeats from its start.
        const float d = past ? std::fmod(t - key.start, key.length) : t - key.start;
        m_afPose[key.channel] += key.value * EvaluatePoseCurve(key.curve, d / key.length);
    }
    for (int i = 0; i < kPoseChannelCount; ++i)
        m_afPoseChange[i] = m_afPose[i] - before[i];
}
