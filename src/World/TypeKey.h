// Class keys: each component and message class keeps its class name and the name id of that
// name in static storage, and objects are matched against these keys, never by C++ type.
#pragma once

#include <string>

#include "System/Common/NameHash.h"

typedef NameId TypeKey;

// The globals of one class, all set before main() runs: the name, its key, and the name as a
// string that the class's objects refer to rather than each keeping a copy.
struct ClassKey {
    explicit ClassKey(const char* name) : Name(name), Key(HashName(name)), Text(name) {}

    const char* const Name;
    const TypeKey Key;
    const std::string Text;
};
