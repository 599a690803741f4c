// The fighters' part of every scene, run through its hooks: each prototype's enemy state machine
// read as the prototype is loaded, and the machines let go at teardown.
#pragma once

#include <string>

struct lua_State;

void GameScenePrototypeLoaded(const std::string& name, lua_State* thread);
void GameSceneTeardown();
