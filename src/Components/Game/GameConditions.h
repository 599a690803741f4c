// The condition value kinds that read the fighters: the player's health and power (17, 18, each
// with its maximum), the object's health (25, with its maximum), the time its enemy controller
// spent in its state (26) and its distance to the player (27).
#pragma once

void RegisterGameConditionKinds();
