// The component classes of this folder, registered in the game's fixed order.
#pragma once

class ComponentFactory;

void RegisterUIComponents(ComponentFactory& factory);
