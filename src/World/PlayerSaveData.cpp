#include "World/PlayerSaveData.h"

#include <algorithm>
#include <cstring>

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

// A count: 0 unless all four bytes are there.
uint32_t ReadCount(StreamIO& stream)
{
    uint32_t count = 0;
    return ReadWordInto(stream, count) == 4 ? count : 0;
}

uint32_t Remaining(StreamIO& stream)
{
    uint32_t size = stream.GetSize(), position = stream.Tell();
    return position < size ? size - position : 0;
}

// A count whose items cannot all be in the rest of the file ends the file there: the count
// reads 0 and nothing after it is read.
uint32_t CheckCount(StreamIO& stream, uint32_t count, uint32_t itemSize, const char* what)
{
    uint32_t remaining = Remaining(stream);
    if (static_cast<uint64_t>(count) * itemSize <= remaining)
        return count;
    LOG_ERROR << "save file " << stream.GetName() << ": " << what << " count " << count
              << " does not fit the " << remaining << " bytes left; reading stops there";
    stream.Seek(stream.GetSize());
    return 0;
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

bool PlayerSaveData::GetSaveFolder(std::string& path)
{
    // Without a user name there is no user folder to put "save" in: the path stays at the
    // shared "userdata" folder and the result says so.
    if (!GetUserDataFolder(path))
        return false;
    path += "save";
    path += "\\";
    return CreateDirectoryRecursive(path.c_str());
}

bool PlayerSaveData::Write(const std::string& fileName) const
{
    std::string folder;
    if (!GetSaveFolder(folder)) {
        LOG_ERROR << "cannot write the save file " << fileName << ": no save folder (" << folder << ")";
        return false;
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
    FileStreamIO stream;
    if (!stream.Open(ToNativePath((folder + fileName).c_str()), kStreamMode_ReadBinary))
        return;
    ReadFrom(stream);
    stream.Close();
}

void PlayerSaveData::ReadFrom(StreamIO& stream)
{
    char magic[4];
    if (stream.Read(magic, 4) < 4 || std::memcmp(magic, kSaveMagic, 4) != 0)
        return;

    for (uint32_t& level : m_aLevels)
        ReadWordInto(stream, level);
    ReadWordInto(stream, m_nExperience);
    uint32_t honour = static_cast<uint32_t>(m_nHonourLevel);
    ReadWordInto(stream, honour);
    m_nHonourLevel = static_cast<int32_t>(honour);
    ReadWordInto(stream, m_nEquippedAccessory);

    uint32_t owned = CheckCount(stream, ReadCount(stream), 4, "owned accessory");
    m_OwnedAccessories.resize(owned);
    for (uint32_t& key : m_OwnedAccessories)
        ReadWordInto(stream, key);
    ValidateAccessories();

    ReadWordInto(stream, m_nFlagBits);

    uint32_t records = CheckCount(stream, ReadCount(stream), 12, "quest record");
    for (uint32_t i = 0; i < records; ++i) {
        uint32_t key = 0;
        QuestProgress progress;
        ReadWordInto(stream, key);
        ReadWordInto(stream, progress.m_nSeen);
        ReadWordInto(stream, progress.m_nClearCount);
        m_QuestProgress[key] = progress;
    }
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
