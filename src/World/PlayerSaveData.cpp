#include "World/PlayerSaveData.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <sys/stat.h>

#include "Platform/Win32/FileReplace.h"
#include "Platform/Win32/Windows.h"
#include "System/Common/FrameStats.h"
#include "System/Common/Log.h"
#include "System/Common/StreamIO.h"
#include "System/Common/UserDataFolder.h"
#include "World/AccessoryTable.h"
#include "World/PlayStatistics.h"
#include "World/QuestTable.h"

PlayerSaveData g_PlayerSaveData;

namespace {

const char kSaveMagic[4] = {'Q', 'M', 'S', 'D'};

void PutWord(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Reads up to four bytes over the little-endian value: bytes past the end of the file leave
// the value's bytes as they were. Returns the bytes read.
uint32_t ReadWordInto(StreamIO& stream, uint32_t& value)
{
    uint8_t bytes[4];
    uint32_t got = stream.Read(bytes, 4);
    for (uint32_t i = 0; i < got && i < 4; ++i)
        value = (value & ~(0xFFu << (8 * i))) | (static_cast<uint32_t>(bytes[i]) << (8 * i));
    return got;
}

uint32_t Remaining(StreamIO& stream)
{
    uint32_t size = stream.GetSize(), position = stream.Tell();
    return position < size ? size - position : 0;
}

// The first thing found wrong while reading a save; later ones add nothing.
class ReadProblem {
public:
    explicit ReadProblem(std::string* text) : m_pText(text) {}
    template <typename... Parts> void Note(const Parts&... parts)
    {
        if (m_bAny)
            return;
        m_bAny = true;
        if (m_pText) {
            std::ostringstream out;
            (out << ... << parts);
            *m_pText = out.str();
        }
    }
    bool Any() const { return m_bAny; }

private:
    std::string* m_pText;
    bool m_bAny = false;
};

// Reads a word field, noting a file that ends inside or before it.
bool ReadField(StreamIO& stream, uint32_t& value, const char* what, ReadProblem& problem)
{
    const uint32_t at = stream.Tell();
    if (ReadWordInto(stream, value) == 4)
        return true;
    problem.Note("the file ends at byte ", stream.GetSize(), ", in the ", what, " at byte ", at);
    return false;
}

// A count: 0 unless all four bytes are there.
uint32_t ReadCountField(StreamIO& stream, const char* what, ReadProblem& problem)
{
    uint32_t count = 0;
    return ReadField(stream, count, what, problem) ? count : 0;
}

// A count whose items cannot all be in the rest of the file ends the file there: the count
// reads 0 and nothing after it is read.
uint32_t CheckCount(StreamIO& stream, uint32_t count, uint32_t itemSize, const char* what, ReadProblem& problem)
{
    uint32_t remaining = Remaining(stream);
    if (static_cast<uint64_t>(count) * itemSize <= remaining)
        return count;
    problem.Note("the ", what, " count ", count, " does not fit the ", remaining, " bytes left");
    stream.Seek(stream.GetSize());
    return 0;
}

// Brings a value read back under its bound.
template <typename T> void Clamp(T& value, T low, T high, const char* what, ReadProblem& problem)
{
    if (value >= low && value <= high)
        return;
    problem.Note(what, " ", value, " outside ", low, "..", high);
    value = std::clamp(value, low, high);
}

// Renames a save that could not be read whole to the first free "<path>.bad", "<path>.bad2",
// ... name. False (error set) when it could not be moved.
bool SetAside(const std::string& path, std::string& movedTo, std::string& error)
{
    for (int n = 1; n <= 99; ++n) {
        movedTo = path + ".bad" + (n > 1 ? std::to_string(n) : std::string());
        struct stat info;
        if (lstat(movedTo.c_str(), &info) == 0)
            continue;
        if (std::rename(path.c_str(), movedTo.c_str()) == 0)
            return true;
        error = std::string("cannot rename it to ") + movedTo + ": " + std::strerror(errno);
        return false;
    }
    error = "every name from " + path + ".bad to .bad99 is taken";
    return false;
}

int32_t AccessoryIdOf(uint32_t key)
{
    const AccessoryRecord* record = g_pAccessoryTable ? g_pAccessoryTable->Find(key) : nullptr;
    return record ? record->m_nAccessoryId : 0;
}

} // namespace

void PlayerSaveData::Reset()
{
    std::fill(std::begin(m_aLevels), std::end(m_aLevels), 0u);
    m_nExperience = 0;
    m_nHonourLevel = 0;
    m_nEquippedAccessory = g_nDefaultAccessoryKey;
    m_OwnedAccessories.assign(1, g_nDefaultAccessoryKey);
    m_nFlagBits = 0;
    m_QuestProgress.clear();
}

std::string PlayerSaveData::Serialize() const
{
    std::string out(kSaveMagic, 4);
    for (uint32_t level : m_aLevels)
        PutWord(out, level);
    PutWord(out, m_nExperience);
    PutWord(out, static_cast<uint32_t>(m_nHonourLevel));
    PutWord(out, m_nEquippedAccessory);
    PutWord(out, static_cast<uint32_t>(m_OwnedAccessories.size()));
    for (uint32_t key : m_OwnedAccessories)
        PutWord(out, key);
    PutWord(out, m_nFlagBits);
    PutWord(out, static_cast<uint32_t>(m_QuestProgress.size()));
    for (const auto& entry : m_QuestProgress) {
        PutWord(out, entry.first);
        PutWord(out, entry.second.m_nSeen);
        PutWord(out, entry.second.m_nClearCount);
    }
    return out;
}

bool PlayerSaveData::GetSaveFolder(std::string& path, std::string* reason)
{
    // Without a user name there is no user folder to put "save" in: the path stays at the
    // shared "userdata" folder and the result says so.
    if (!GetUserDataFolder(path, reason))
        return false;
    path += "save";
    path += "\\";
    std::string failed;
    errno = 0;
    if (CreateDirectoryRecursive(path.c_str(), &failed))
        return true;
    if (reason)
        *reason = "cannot create the folder " + path + ": " + (failed.empty() ? path : failed) + ": " +
                  std::strerror(errno ? errno : EIO);
    return false;
}

bool PlayerSaveData::Write(const std::string& fileName) const
{
    std::string folder;
    std::string reason;
    if (!GetSaveFolder(folder, &reason)) {
        LOG_ERROR << "cannot write the save file " << fileName << ": " << reason;
        return false;
    }
    if (!m_UnreadSavePath.empty()) {
        std::string movedTo, error;
        if (!SetAside(m_UnreadSavePath, movedTo, error)) {
            LOG_ERROR << "cannot write the save file " << m_UnreadSavePath << ": the save there could not be read and "
                      << error << "; it is kept as it is";
            return false;
        }
        LOG_ERROR << "save file " << m_UnreadSavePath << " that could not be read is kept as " << movedTo;
        m_UnreadSavePath.clear();
    }
    const std::string path = ToNativePath((folder + fileName).c_str());
    const std::string image = Serialize();
    std::string error;
    ++g_FrameStats.saveFilesWritten;
    // Never in place: a crash or a full disk halfway must leave the previous save whole.
    if (!ReplaceFileContents(path, image.data(), image.size(), &error)) {
        LOG_ERROR << "cannot write the save file " << path << ": " << error;
        return false;
    }
    return true;
}

void PlayerSaveData::Read(const std::string& fileName)
{
    std::string folder;
    if (!GetSaveFolder(folder))
        return;
    const std::string path = ToNativePath((folder + fileName).c_str());
    FileStreamIO stream;
    std::string problem;
    errno = 0;
    if (!stream.Open(path, kStreamMode_ReadBinary)) {
        if (errno == ENOENT)
            return; // no save yet
        problem = std::string("cannot open it: ") + std::strerror(errno ? errno : EIO);
    } else {
        const bool whole = ReadFrom(stream, &problem);
        stream.Close();
        if (whole) {
            m_UnreadSavePath.clear();
            return;
        }
    }
    // The file may be another version's or a damaged copy of the player's only progress: the
    // next write must not destroy it.
    std::string movedTo, error;
    if (SetAside(path, movedTo, error)) {
        LOG_ERROR << "save file " << path << " cannot be read whole (" << problem << "); it is kept as " << movedTo;
        m_UnreadSavePath.clear();
    } else {
        LOG_ERROR << "save file " << path << " cannot be read whole (" << problem << ") and " << error
                  << "; no save will be written over it";
        m_UnreadSavePath = path;
    }
}

bool PlayerSaveData::ReadFrom(StreamIO& stream, std::string* problemText)
{
    ReadProblem problem(problemText);
    char magic[4];
    if (stream.Read(magic, 4) < 4 || std::memcmp(magic, kSaveMagic, 4) != 0) {
        problem.Note("its first four bytes are not \"QMSD\" (another format or a damaged header)");
        return false;
    }

    for (uint32_t& level : m_aLevels)
        ReadField(stream, level, "levels", problem);
    ReadField(stream, m_nExperience, "experience", problem);
    uint32_t honour = static_cast<uint32_t>(m_nHonourLevel);
    ReadField(stream, honour, "honour level", problem);
    m_nHonourLevel = static_cast<int32_t>(honour);
    ReadField(stream, m_nEquippedAccessory, "equipped accessory", problem);

    uint32_t owned = ReadCountField(stream, "owned accessory count", problem);
    owned = CheckCount(stream, owned, 4, "owned accessory", problem);
    m_OwnedAccessories.resize(owned);
    for (uint32_t& key : m_OwnedAccessories)
        ReadWordInto(stream, key);
    ValidateAccessories();

    ReadField(stream, m_nFlagBits, "flag bits", problem);

    uint32_t records = ReadCountField(stream, "quest record count", problem);
    records = CheckCount(stream, records, 12, "quest record", problem);
    for (uint32_t i = 0; i < records; ++i) {
        uint32_t key = 0;
        QuestProgress progress;
        ReadWordInto(stream, key);
        ReadWordInto(stream, progress.m_nSeen);
        ReadWordInto(stream, progress.m_nClearCount);
        Clamp(progress.m_nSeen, 0u, 1u, "a quest's seen mark", problem);
        Clamp(progress.m_nClearCount, 0u, kMaxQuestClearCount, "a quest's clear count", problem);
        m_QuestProgress[key] = progress;
    }
    if (const uint32_t left = Remaining(stream))
        problem.Note(left, " bytes follow after the save data");

    for (uint32_t& level : m_aLevels)
        Clamp(level, 0u, kMaxSaveLevel, "a level", problem);
    Clamp(m_nExperience, 0u, kMaxExperience, "the experience", problem);
    Clamp(m_nHonourLevel, 0, kMaxHonourLevel, "the honour level", problem);
    return !problem.Any();
}

void PlayerSaveData::AddExperience(uint32_t amount)
{
    g_PlayStatistics.m_nExperience =
        static_cast<int32_t>(static_cast<uint32_t>(g_PlayStatistics.m_nExperience) + amount);
    // Saturates: a sum past 2^32 must not wrap around to less experience.
    m_nExperience = static_cast<uint32_t>(
        std::min<uint64_t>(static_cast<uint64_t>(m_nExperience) + amount, kMaxExperience));
}

void PlayerSaveData::AddAccessory(uint32_t key)
{
    if (HasAccessory(key))
        return;
    m_OwnedAccessories.push_back(key);
    std::stable_sort(m_OwnedAccessories.begin(), m_OwnedAccessories.end(),
                     [](uint32_t a, uint32_t b) { return AccessoryIdOf(a) < AccessoryIdOf(b); });
}

bool PlayerSaveData::HasAccessory(uint32_t key) const
{
    return std::find(m_OwnedAccessories.begin(), m_OwnedAccessories.end(), key) != m_OwnedAccessories.end();
}

void PlayerSaveData::MarkQuestSeen(uint32_t questKey)
{
    m_QuestProgress.emplace(questKey, QuestProgress{1, 0});
}

void PlayerSaveData::CountQuestClear(uint32_t questKey)
{
    auto inserted = m_QuestProgress.emplace(questKey, QuestProgress{1, 1});
    if (!inserted.second) {
        uint32_t& count = inserted.first->second.m_nClearCount;
        if (count < kMaxQuestClearCount)
            ++count;
    }
}

uint32_t PlayerSaveData::GetQuestClearCount(uint32_t questKey) const
{
    auto it = m_QuestProgress.find(questKey);
    return it == m_QuestProgress.end() ? 0 : it->second.m_nClearCount;
}

void PlayerSaveData::GrantRewards(const std::vector<QuestReward>& rewards, const ConditionContext& context)
{
    for (const QuestReward& reward : rewards) {
        if (!reward.m_Condition.Evaluate(context))
            continue;
        uint32_t value = reward.m_nRewardValue;
        switch (reward.m_nRewardType) {
        case eRewardType_Rank:
            if (m_nHonourLevel < static_cast<int32_t>(value))
                m_nHonourLevel = static_cast<int32_t>(value);
            break;
        case eRewardType_Flags:
            if ((m_nFlagBits & value) == 0)
                m_nFlagBits |= value;
            break;
        case eRewardType_Accessory:
            if (!HasAccessory(value) && g_pAccessoryTable && g_pAccessoryTable->Find(value))
                AddAccessory(value);
            break;
        case eRewardType_Experience:
            AddExperience(value);
            break;
        default:
            break;
        }
    }
}

void PlayerSaveData::ValidateAccessories()
{
    std::erase_if(m_OwnedAccessories,
                  [](uint32_t key) { return !g_pAccessoryTable || !g_pAccessoryTable->Find(key); });
    if (!HasAccessory(m_nEquippedAccessory))
        m_nEquippedAccessory = g_nDefaultAccessoryKey;
}
