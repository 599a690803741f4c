// The input device interface. By itself it is the do-nothing device that stands in for a device
// that is missing or failed: nothing is ever down, hats are centred and axes at rest.
#pragma once

#include "System/Common/EventManager.h"

class InputDevice : public IEventHandler {
  public:
    ~InputDevice() override = default;

    bool HandleEvent(IEvent* event) override;
    virtual bool IsDown(int code) const;
    // Down in this poll and not in the one before.
    virtual bool IsPressed(int code) const;
    // Down in the poll before and not in this one.
    virtual bool IsReleased(int code) const;
    // The angle of hat `index` in radians clockwise from up, or -1.0 when centred.
    virtual float GetPov(int index) const;
    virtual float GetAxis(int index) const;
    // Lets go of one key or button in both polls; a negative code lets go of all of them.
    virtual void ClearKey(int code);
    virtual int GetButtonCount() const;
    virtual int GetPovCount() const;
    virtual int GetAxisCount() const;
    virtual void Poll();
};
