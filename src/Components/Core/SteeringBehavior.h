// The steering force of a body: seek, flee, arrive, wander, pursuit, evade and interpose,
// summed by weight (then truncated to the maximum force) or by priority (each force while the
// budget lasts). Enemy states choose the behaviours, targets and weights.
#pragma once

#include <cstdint>

class Kinematics;

enum SteeringFlag : uint32_t {
    eSteering_Seek = 0x1,
    eSteering_Flee = 0x2,
    eSteering_Arrive = 0x4,
    eSteering_Wander = 0x8,
    eSteering_Pursuit = 0x10,
    eSteering_Evade = 0x20,
    eSteering_Interpose = 0x100,
    // Accepted and weighed, but they add no force.
    eSteering_Reserved400 = 0x400,
    eSteering_Reserved800 = 0x800,
};

enum SummingMethod : int32_t {
    eSumming_WeightedTruncated = 0,
    eSumming_Prioritized = 1,
};

namespace ZEV {

struct Force {
    float x;
    float y;
};

class SteeringBehavior {
public:
    static constexpr int kWeightCount = 15;

    // Draws the wander target's starting angle from the random pool.
    explicit SteeringBehavior(Kinematics* owner);
    virtual ~SteeringBehavior() = default;

    Force Seek(float tx, float ty) const;
    Force Flee(float tx, float ty) const;
    Force Arrive(float tx, float ty, int32_t deceleration) const;
    // Jitters the wander target (two pool words) and steers toward it, projected ahead.
    Force Wander();
    Force Pursuit(const Kinematics& agent) const;
    Force Evade(const Kinematics& agent) const;
    Force Interpose(const Kinematics& agentA, const Kinematics& agentB) const;

    void CalculateWeightedSum();
    void CalculatePrioritized();
    // Adds as much of the force as the remaining budget allows; false when none is left.
    bool AccumulateForce(Force& total, Force add) const;

    Kinematics* m_pOwner;
    uint32_t m_nFlags = 0;
    Force m_SteeringForce = {0.0f, 0.0f};
    int32_t m_eSumming = eSumming_Prioritized;
    int32_t m_nDeceleration = 2;
    float m_fTargetX = 0.0f;
    float m_fTargetY = 0.0f;
    // The other bodies of pursuit, evade and interpose, held by their objects' ids (-1: none):
    // those objects may be deleted first. One that is gone or being removed is dropped.
    int32_t m_nAgent1Id = -1;
    int32_t m_nAgent2Id = -1;
    float m_fThreatRangeSq = 90000.0f;
    float m_fWanderTargetX = 0.0f;
    float m_fWanderTargetY = 0.0f;
    float m_fWanderJitter = 420.0f;
    float m_fWanderRadius = 45.0f;
    float m_fWanderDistance = 70.0f;
    float m_afWeights[kWeightCount];

private:
    // The force of one behaviour by its flag; zero for the reserved bits and for a missing agent.
    Force ForceOf(uint32_t flag);
    // The body of the agent with the id, found through the owner's objects; clears the id
    // when there is none any more.
    const Kinematics* FindAgent(int32_t& id);
};

} // namespace ZEV
