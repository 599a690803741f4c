// The save file reader on arbitrary bytes, over a record that already holds data (reading
// never resets first).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "System/Common/StreamIO.h"
#include "World/AccessoryTable.h"
#include "World/PlayerSaveData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static AccessoryTable* table = [] {
        auto* t = new AccessoryTable();
        t->Create();
        t->Insert(HashName("accessory_Ring"), std::make_unique<AccessoryRecord>());
        return t;
    }();
    g_pAccessoryTable = table;

    std::vector<uint8_t> bytes(data, data + size);
    MemoryStreamIO stream;
    stream.Init(bytes.data(), static_cast<uint32_t>(bytes.size()), false, true);
    PlayerSaveData save;
    save.Reset();
    save.CountQuestClear(HashName("quest_A"));
    save.ReadFrom(stream);
    // Whatever was read must write back and read again to the same image.
    std::string image = save.Serialize();
    MemoryStreamIO again;
    again.Init(image.data(), static_cast<uint32_t>(image.size()), false, true);
    PlayerSaveData copy;
    copy.ReadFrom(again);
    if (copy.Serialize().size() != image.size())
        __builtin_trap();
    return 0;
}
