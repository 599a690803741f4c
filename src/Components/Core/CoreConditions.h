// The condition value kinds that read core components: a body's distance to its steering
// target (29) and whether its sprite animation has stopped (30).
#pragma once

class GameObj;

void RegisterCoreConditionKinds();

// The distance between two objects' Kinematics positions; FLT_MAX when either has none.
float KinematicsDistance(const GameObj* from, const GameObj* to);
