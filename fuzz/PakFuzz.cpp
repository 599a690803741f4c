// Arbitrary bytes opened as a pak file: the header, the index and every entry are read, in
// whichever layout the flags claim. A damaged pak must be refused or read safely.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "System/Archive/ZEVArchive.h"
#include "System/Common/StreamIO.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/qm-pakfuzz-" + std::to_string(getpid()) + ".pak";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    ZEVArchive pak(path);
    if (pak.Open()) {
        std::vector<ArchiveEntry> entries;
        pak.ListEntries(entries);
        for (const ArchiveEntry& entry : entries) {
            for (bool readOnly : {true, false}) {
                std::unique_ptr<StreamIO> stream(pak.OpenEntry(entry.m_nNameId, readOnly));
                if (!stream)
                    continue;
                std::string bytes = ReadStreamToString(*stream);
                stream->Seek(stream->GetSize());
                stream->Skip(-1);
            }
        }
        pak.Close();
    }
    std::remove(path.c_str());
    return 0;
}
