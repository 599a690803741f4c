// Every component class of the game, folder by folder in the game's fixed order: core, game, UI,
// and the condition value kinds they read. Programs install them before their first scene, so
// that the world's factory makes them all and its conditions read them.
#pragma once

class ComponentFactory;

// Registers the component folders' classes, in order, into the factory.
void RegisterComponentList(ComponentFactory& factory);
// Makes every ComponentFactory::RegisterAll register the list after the transform, registers the
// components' condition value kinds and sets the scene's hooks.
void InstallComponents();
