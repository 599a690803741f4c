// What the MessageManager knows of a message's receiver: an id to find it by, and delivery.
#pragma once

#include <cstdint>

class IMessage;

class IMessageHandler {
public:
    virtual ~IMessageHandler() = default;
    virtual int32_t GetId() const = 0;
    virtual void SendMessage(IMessage* message) = 0;
};
