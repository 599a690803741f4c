// The fuzz input as an archive: every entry opened reads the same text. It lists the given
// entry names; Exists answers for those, or for every name when the images a script names are
// to be the input too.
#pragma once

#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "System/Archive/IArchive.h"
#include "System/Common/StreamIO.h"

class InputArchive : public IArchive {
public:
    InputArchive(std::string text, std::span<const char* const> entries, bool existsUnderAnyName = false)
        : m_Text(std::move(text)), m_Entries(entries.begin(), entries.end()), m_bAnyName(existsUnderAnyName)
    {
        m_Name = "fuzz";
        m_nNameId = HashName(m_Name);
    }
    bool Open() override { return true; }
    void Close() override {}
    StreamIO* OpenEntry(NameId, bool) override
    {
        auto* stream = new MemoryStreamIO();
        void* copy = std::malloc(m_Text.size() + 1);
        std::memcpy(copy, m_Text.data(), m_Text.size());
        stream->Init(copy, static_cast<uint32_t>(m_Text.size()), true, true);
        return stream;
    }
    bool Exists(NameId id) override
    {
        if (m_bAnyName)
            return true;
        for (const char* name : m_Entries)
            if (HashName(name) == id)
                return true;
        return false;
    }
    void ListEntries(std::vector<ArchiveEntry>& entries) override
    {
        for (const char* name : m_Entries)
            entries.push_back(ArchiveEntry{HashName(name), name, nullptr});
    }

private:
    std::string m_Text;
    std::vector<const char*> m_Entries;
    bool m_bAnyName;
};
