#include "Components/Core/CoreConditions.h"

#include <cfloat>
#include <cmath>

#include "Components/Core/Animation.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/SteeringBehavior.h"
#include "World/Condition.h"
#include "World/GameObj.h"

namespace {

// From one body's position to a point, in floats.
float DistanceTo(const Kinematics& from, float x, float y)
{
    const float dx = x - from.m_fPosX;
    const float dy = y - from.m_fPosY;
    return std::sqrt(dx * dx + dy * dy);
}

// The distance to the steering target: without one the target is (FLT_MAX, FLT_MAX).
float SteeringTargetDistance(const ConditionContext& context)
{
    const Kinematics* body = context.m_pObject ? context.m_pObject->GetKinematics() : nullptr;
    if (!body)
        return INFINITY;
    const ZEV::SteeringBehavior* steering = body->GetSteering();
    return steering ? DistanceTo(*body, steering->m_fTargetX, steering->m_fTargetY)
                    : DistanceTo(*body, FLT_MAX, FLT_MAX);
}

float AnimationStopped(const ConditionContext& context)
{
    const SpriteAnimation* animation = context.m_pObject ? context.m_pObject->GetSpriteAnimation() : nullptr;
    return animation && !animation->IsPlaying() ? 1.0f : 0.0f;
}

} // namespace

float KinematicsDistance(const GameObj* from, const GameObj* to)
{
    const Kinematics* a = from ? from->GetKinematics() : nullptr;
    const Kinematics* b = to ? to->GetKinematics() : nullptr;
    if (!a || !b)
        return FLT_MAX;
    return DistanceTo(*a, b->m_fPosX, b->m_fPosY);
}

void RegisterCoreConditionKinds()
{
    RegisterConditionKind(29, &SteeringTargetDistance);
    RegisterConditionKind(30, &AnimationStopped);
}
