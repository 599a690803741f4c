#pragma once

#include <vector>

#include "World/Component.h"

// One frame's update pass over the listed components, as the scene runs it: a component that is
// not live (disabled, or its object inactive) is passed over.
inline void RunUpdatePass(const std::vector<Component*>& components)
{
    for (Component* c : components)
        if (c->IsLive())
            c->Update();
}
