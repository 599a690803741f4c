// One state of the application: entered once, updated and drawn every tick, left at the end.
#pragma once

#include "System/Common/EventManager.h"

class IGameState : public IEventHandler {
public:
    ~IGameState() override = default;
    bool HandleEvent(IEvent* event) override = 0;
    // Builds what the state runs on; the result is the result of start-up.
    virtual bool Enter() = 0;
    // Tears it down again.
    virtual void Leave() = 0;
    // One frame of dt seconds; the id of the state to switch to, or -1 to stay.
    virtual int Update(float dt) = 0;
    // Queues the frame's drawing; runs inside the frame's scene.
    virtual void Draw() = 0;
    virtual int GetStateId() const = 0;
};
