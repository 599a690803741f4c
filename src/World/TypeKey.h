// Class keys: each component and message class keeps its class name and the name id of that
// name in static storage, and objects are matched against these keys, never by C++ type.
#pragma once

#include "System/Common/NameHash.h"

typedef NameId TypeKey;

// The pair of globals of one class, both set before main() runs: the name, then its key.
struct ClassKey {
    explicit ClassKey(const char* name) : Name(name), Key(HashName(name)) {}

    const char* const Name;
    const TypeKey Key;
};
