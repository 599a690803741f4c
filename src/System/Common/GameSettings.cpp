#include "System/Common/GameSettings.h"

#include "Platform/Win32/Windows.h"
#include "System/Common/Log.h"
#include "System/Common/UserDataFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char* const kSectionGameConfig = "GameConfig";
const char* const kSectionSound = "Sound";
const char* const kSectionKey = "Key";

struct BindingKey {
    const char* name;
    PadBindingCode value;
};

// Keyboard set (DirectInput scan code << 16), then the first game controller's set
// (code << 16 | kind << 8 | device 2).
const BindingKey kBindingKeys[eGameSettings_BindingCount] = {
    {"GAMEPAD_0_UP", 0xC80000},     {"GAMEPAD_0_DOWN", 0xD00000},  {"GAMEPAD_0_LEFT", 0xCB0000},
    {"GAMEPAD_0_RIGHT", 0xCD0000},  {"GAMEPAD_0_A", 0x270000},     {"GAMEPAD_0_B", 0x260000},
    {"GAMEPAD_0_X", 0x250000},      {"GAMEPAD_0_Y", 0x240000},     {"GAMEPAD_0_LB", 0x310000},
    {"GAMEPAD_0_RB", 0x160000},     {"GAMEPAD_0_LT", 0x340000},    {"GAMEPAD_0_RT", 0x230000},
    {"GAMEPAD_0_LSB", 0},           {"GAMEPAD_0_RSB", 0},          {"GAMEPAD_0_START", 0x120000},
    {"GAMEPAD_0_SELECT", 0x100000}, {"GAMEPAD_1_UP", 0x10202},     {"GAMEPAD_1_DOWN", 0x10102},
    {"GAMEPAD_1_LEFT", 0x202},      {"GAMEPAD_1_RIGHT", 0x102},    {"GAMEPAD_1_A", 0x10002},
    {"GAMEPAD_1_B", 0x20002},       {"GAMEPAD_1_X", 0x2},          {"GAMEPAD_1_Y", 0x30002},
    {"GAMEPAD_1_LB", 0x60002},      {"GAMEPAD_1_RB", 0x70002},     {"GAMEPAD_1_LT", 0x40002},
    {"GAMEPAD_1_RT", 0x50002},      {"GAMEPAD_1_LSB", 0xA0002},    {"GAMEPAD_1_RSB", 0xB0002},
    {"GAMEPAD_1_START", 0x80002},   {"GAMEPAD_1_SELECT", 0x90002},
};

bool ReadBool(const char* section, const char* key, int defaultValue, const std::string& path)
{
    return GetPrivateProfileIntA(section, key, defaultValue, path.c_str()) != 0;
}

int32_t ReadInt(const char* section, const char* key, int defaultValue, const std::string& path)
{
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, defaultValue, path.c_str()));
}

// A volume is a percentage: the sound system plays a hand-edited value past either end at
// that end. The record (and so the file written back) keeps what the user wrote.
int32_t ReadVolume(const char* key, int defaultValue, const std::string& path)
{
    const int32_t value = ReadInt(kSectionSound, key, defaultValue, path);
    const int32_t clamped = std::clamp(value, 0, 100);
    if (clamped != value)
        LOG_WARNING << "Settings file " << path << ": [" << kSectionSound << "] " << key << "=" << value
                    << " is not a volume of 0 to 100; it plays as " << clamped;
    return value;
}

} // namespace

const char* GetBindingKeyName(int index)
{
    return (index >= 0 && index < eGameSettings_BindingCount) ? kBindingKeys[index].name : nullptr;
}

PadBindingCode GetBindingDefault(int index)
{
    return (index >= 0 && index < eGameSettings_BindingCount) ? kBindingKeys[index].value : 0;
}

bool WriteProfileInt(const char* path, int32_t value, const char* key, const char* section)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return WritePrivateProfileStringA(section, key, text, path) != FALSE;
}

bool GameSettings::Open(const char* fileName)
{
    std::string folder, reason;
    if (!GetUserDataFolder(folder, &reason))
        LOG_WARNING << "No user folder for the settings: " << reason << "; settings go to " << folder;
    m_Path = folder + (fileName ? fileName : "");
    Read();
    return true;
}

void GameSettings::Read()
{
    const std::string& path = m_Path;
    m_bFullScreen = ReadBool(kSectionGameConfig, "FullScreen", 0, path);
    m_bDisableScreensaver = ReadBool(kSectionGameConfig, "DisableScreensaver", 1, path);
    m_nWindowTransmittance = ReadInt(kSectionGameConfig, "WindowTransmittance", 75, path);
    m_bAutoSave = ReadBool(kSectionGameConfig, "AutoSave", 1, path);
    m_nBGMVolume = ReadVolume("BGMVolume", 20, path);
    m_nSEVolume = ReadVolume("SEVolume", 40, path);
    for (int i = 0; i < eGameSettings_BindingCount; ++i)
        m_aBindings[i] = static_cast<PadBindingCode>(GetPrivateProfileIntA(
            kSectionKey, kBindingKeys[i].name, static_cast<INT>(kBindingKeys[i].value), path.c_str()));
}

bool GameSettings::Write() const
{
    const char* path = m_Path.c_str();
    // The writes are only gathered; the flush at the end replaces the file once, so it is
    // either the old or the new one whole, whenever the process ends.
    int failure = 0;
    auto write = [&](int32_t value, const char* key, const char* section) {
        if (!WriteProfileInt(path, value, key, section) && !failure)
            failure = errno ? errno : EIO;
    };
    write(m_bFullScreen ? 1 : 0, "FullScreen", kSectionGameConfig);
    write(m_bDisableScreensaver ? 1 : 0, "DisableScreensaver", kSectionGameConfig);
    write(m_nWindowTransmittance, "WindowTransmittance", kSectionGameConfig);
    write(m_bAutoSave ? 1 : 0, "AutoSave", kSectionGameConfig);
    write(m_nBGMVolume, "BGMVolume", kSectionSound);
    write(m_nSEVolume, "SEVolume", kSectionSound);
    for (int i = 0; i < eGameSettings_BindingCount; ++i)
        write(static_cast<int32_t>(m_aBindings[i]), kBindingKeys[i].name, kSectionKey);
    errno = 0;
    if (!WritePrivateProfileStringA(nullptr, nullptr, nullptr, path) && !failure)
        failure = errno ? errno : EIO;
    if (failure)
        LOG_WARNING << "Cannot write the settings file " << m_Path << ": " << std::strerror(failure)
                    << " (the file on disk is kept as it was)";
    return failure == 0;
}

void GameSettings::Destroy(GameSettings* settings)
{
    if (!settings)
        return;
    settings->Write();
    delete settings;
}
