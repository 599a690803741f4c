// The core components' part of every scene, which the scene runs through its hooks: the
// collision world's life, the cameras let go at a stage switch, the motion pass with the
// collision step, and the draw pass over the renderers.
#pragma once

class SceneManager;

void CoreSceneInit();
void CoreStageSwitch();
// Each taking part object's own body, once, then the collision step.
void CoreMotionPass(SceneManager& scene);
// Collects the renderers in the draw mask, tells them when they come into or leave view, and
// draws the ones in view.
void CoreDrawPass(SceneManager& scene);
void CoreSceneTeardown();
