#include "Components/Core/SteeringBehavior.h"

#include <cmath>

#include "Components/Core/Kinematics.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Random.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"

namespace ZEV {

namespace {

constexpr float kEpsilon = 0.000001f;

float Length(float x, float y) { return std::sqrt(x * x + y * y); }

// The unit vector, or zero when the length squared is at or below the epsilon.
Force Unit(float x, float y)
{
    const float lenSq = x * x + y * y;
    if (lenSq <= kEpsilon)
        return {0.0f, 0.0f};
    const float len = std::sqrt(lenSq);
    return {x / len, y / len};
}

// Seconds to cover the distance at the speed; none without a speed to cover it with (a body
// of maxSpeed 0 after one at rest), which would be 0 / 0 or endless and poison the force.
float LookAhead(float distance, float speed)
{
    const float t = speed > 0.0f ? distance / speed : 0.0f;
    return std::isfinite(t) ? t : 0.0f;
}

// A pool word as a uniform value in [0, 1).
double PoolUnit() { return static_cast<double>(RandomNext()) * 2.3283064370807974e-10; }

int WeightIndexOf(uint32_t flag)
{
    int i = 0;
    while (i < 31 && !(flag & (1u << i)))
        ++i;
    return i;
}

} // namespace

SteeringBehavior::SteeringBehavior(Kinematics* owner) : m_pOwner(owner)
{
    for (float& w : m_afWeights)
        w = 1.0f;
    const float angle = static_cast<float>(PoolUnit() * 6.2831855f);
    m_fWanderTargetX = std::cos(angle) * m_fWanderRadius;
    m_fWanderTargetY = std::sin(angle) * m_fWanderRadius;
}

Force SteeringBehavior::Seek(float tx, float ty) const
{
    const Kinematics& k = *m_pOwner;
    Force u = Unit(tx - k.m_fPosX, ty - k.m_fPosY);
    return {u.x * k.m_fMaxSpeed - k.m_fVelX, u.y * k.m_fMaxSpeed - k.m_fVelY};
}

Force SteeringBehavior::Flee(float tx, float ty) const
{
    const Kinematics& k = *m_pOwner;
    Force u = Unit(k.m_fPosX - tx, k.m_fPosY - ty);
    return {u.x * k.m_fMaxSpeed - k.m_fVelX, u.y * k.m_fMaxSpeed - k.m_fVelY};
}

Force SteeringBehavior::Arrive(float tx, float ty, int32_t deceleration) const
{
    const Kinematics& k = *m_pOwner;
    const float toX = tx - k.m_fPosX;
    const float toY = ty - k.m_fPosY;
    const float d = Length(toX, toY);
    if (d < kEpsilon)
        return {0.0f, 0.0f};
    float speed = d / (static_cast<float>(deceleration) * 0.3f);
    // The cap also catches a NaN speed, which would poison the body's velocity.
    if (!(speed <= k.m_fMaxSpeed))
        speed = k.m_fMaxSpeed;
    return {toX * speed / d - k.m_fVelX, toY * speed / d - k.m_fVelY};
}

Force SteeringBehavior::Wander()
{
    const Kinematics& k = *m_pOwner;
    const float jitter = m_fWanderJitter * GetAppDeltaTime();
    const float r1 = static_cast<float>(PoolUnit() * 2.0 - 1.0);
    const float r2 = static_cast<float>(PoolUnit() * 2.0 - 1.0);
    m_fWanderTargetX += r1 * jitter;
    m_fWanderTargetY += r2 * jitter;
    float len = Length(m_fWanderTargetX, m_fWanderTargetY);
    if (len < kEpsilon)
        len = 1.0f;
    m_fWanderTargetX = m_fWanderTargetX / len * m_fWanderRadius;
    m_fWanderTargetY = m_fWanderTargetY / len * m_fWanderRadius;
    const float lx = m_fWanderTargetX + m_fWanderDistance;
    const float ly = m_fWanderTargetY;
    const float wx = k.m_fPosX + k.m_fHeadingX * lx + k.m_fSideX * ly;
    const float wy = k.m_fPosY + k.m_fHeadingY * lx + k.m_fSideY * ly;
    return {wx - k.m_fPosX, wy - k.m_fPosY};
}

Force SteeringBehavior::Pursuit(const Kinematics& agent) const
{
    const Kinematics& k = *m_pOwner;
    const float toX = agent.m_fPosX - k.m_fPosX;
    const float toY = agent.m_fPosY - k.m_fPosY;
    const float ahead = toX * k.m_fHeadingX + toY * k.m_fHeadingY;
    const float facing = agent.m_fHeadingX * k.m_fHeadingX + agent.m_fHeadingY * k.m_fHeadingY;
    if (ahead > 0.0f && facing < -0.95f)
        return Seek(agent.m_fPosX, agent.m_fPosY);
    const float lookAhead = LookAhead(Length(toX, toY), k.m_fMaxSpeed + agent.m_fSpeed);
    return Seek(agent.m_fPosX + agent.m_fVelX * lookAhead, agent.m_fPosY + agent.m_fVelY * lookAhead);
}

Force SteeringBehavior::Evade(const Kinematics& agent) const
{
    const Kinematics& k = *m_pOwner;
    const float toX = agent.m_fPosX - k.m_fPosX;
    const float toY = agent.m_fPosY - k.m_fPosY;
    if (toX * toX + toY * toY > m_fThreatRangeSq)
        return {0.0f, 0.0f};
    const float lookAhead = LookAhead(Length(toX, toY), k.m_fMaxSpeed + agent.m_fSpeed);
    return Flee(agent.m_fPosX + agent.m_fVelX * lookAhead, agent.m_fPosY + agent.m_fVelY * lookAhead);
}

Force SteeringBehavior::Interpose(const Kinematics& agentA, const Kinematics& agentB) const
{
    const Kinematics& k = *m_pOwner;
    const float midX = (agentA.m_fPosX + agentB.m_fPosX) / 2.0f;
    const float midY = (agentA.m_fPosY + agentB.m_fPosY) / 2.0f;
    const float t = LookAhead(Length(midX - k.m_fPosX, midY - k.m_fPosY), k.m_fMaxSpeed);
    const float ax = agentA.m_fPosX + agentA.m_fVelX * t;
    const float ay = agentA.m_fPosY + agentA.m_fVelY * t;
    const float bx = agentB.m_fPosX + agentB.m_fVelX * t;
    const float by = agentB.m_fPosY + agentB.m_fVelY * t;
    return Arrive((ax + bx) / 2.0f, (ay + by) / 2.0f, 1);
}

const Kinematics* SteeringBehavior::FindAgent(int32_t& id)
{
    if (id < 0)
        return nullptr;
    const MessageManager* messages = m_pOwner->GetOwner()->GetMessageManager();
    const GameObj* object = messages ? messages->FindLiveObject(id) : nullptr;
    const Kinematics* body = object ? object->GetKinematics() : nullptr;
    if (!body)
        id = -1;
    return body;
}

Force SteeringBehavior::ForceOf(uint32_t flag)
{
    switch (flag) {
    case eSteering_Seek:
        return Seek(m_fTargetX, m_fTargetY);
    case eSteering_Flee:
        return Flee(m_fTargetX, m_fTargetY);
    case eSteering_Arrive:
        return Arrive(m_fTargetX, m_fTargetY, m_nDeceleration);
    case eSteering_Wander:
        return Wander();
    case eSteering_Pursuit: {
        const Kinematics* agent = FindAgent(m_nAgent1Id);
        return agent ? Pursuit(*agent) : Force{0.0f, 0.0f};
    }
    case eSteering_Evade: {
        const Kinematics* agent = FindAgent(m_nAgent1Id);
        return agent ? Evade(*agent) : Force{0.0f, 0.0f};
    }
    case eSteering_Interpose: {
        const Kinematics* agent1 = FindAgent(m_nAgent1Id);
        const Kinematics* agent2 = FindAgent(m_nAgent2Id);
        return agent1 && agent2 ? Interpose(*agent2, *agent1) : Force{0.0f, 0.0f};
    }
    default:
        return {0.0f, 0.0f};
    }
}

void SteeringBehavior::CalculateWeightedSum()
{
    static const uint32_t kOrder[] = {eSteering_Seek, eSteering_Flee, eSteering_Arrive, eSteering_Wander,
        eSteering_Pursuit, eSteering_Evade, eSteering_Interpose, eSteering_Reserved400, eSteering_Reserved800};
    for (uint32_t flag : kOrder) {
        if (!(m_nFlags & flag))
            continue;
        const Force f = ForceOf(flag);
        const float w = m_afWeights[WeightIndexOf(flag)];
        m_SteeringForce.x += f.x * w;
        m_SteeringForce.y += f.y * w;
    }
    const float len = Length(m_SteeringForce.x, m_SteeringForce.y);
    const float maxForce = m_pOwner->m_fMaxForce;
    if (len > maxForce) {
        m_SteeringForce.x = m_SteeringForce.x / len * maxForce;
        m_SteeringForce.y = m_SteeringForce.y / len * maxForce;
    }
}

void SteeringBehavior::CalculatePrioritized()
{
    static const uint32_t kOrder[] = {eSteering_Evade, eSteering_Flee, eSteering_Seek, eSteering_Arrive,
        eSteering_Wander, eSteering_Pursuit, eSteering_Reserved800, eSteering_Interpose, eSteering_Reserved400};
    for (uint32_t flag : kOrder) {
        if (!(m_nFlags & flag))
            continue;
        Force f = ForceOf(flag);
        const float w = m_afWeights[WeightIndexOf(flag)];
        if (!AccumulateForce(m_SteeringForce, {f.x * w, f.y * w}))
            return;
    }
}

bool SteeringBehavior::AccumulateForce(Force& total, Force add) const
{
    const float remaining = m_pOwner->m_fMaxForce - Length(total.x, total.y);
    if (remaining <= 0.0f)
        return false;
    float len = Length(add.x, add.y);
    if (remaining >= len) {
        total.x += add.x;
        total.y += add.y;
    } else {
        if (len < kEpsilon)
            len = 1.0f;
        total.x += add.x * remaining / len;
        total.y += add.y * remaining / len;
    }
    return true;
}

} // namespace ZEV
