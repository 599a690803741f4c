// The user's settings, read once from the ini file in the per-user folder at start-up and
// written back in full at shutdown.
#pragma once

#include <cstdint>
#include <string>

typedef uint32_t PadBindingCode;

// The settings file's name inside the per-user folder.
#define GAME_SETTINGS_FILE_NAME "QMPref.ini"

enum {
    eGameSettings_BindingsPerSet = 16,
    eGameSettings_BindingCount = 32,
    // Three booleans, three integers and the 32 bindings.
    eGameSettings_KeyCount = 38,
};

struct GameSettings {
    // The construction values; Open replaces them with the file's values or the key defaults.
    GameSettings() = default;

    // Joins the per-user folder and the file name into the path and reads every key.
    bool Open(const char* fileName);
    // Reads all 38 keys; a missing file or key gives the key's default.
    void Read();
    // Writes all 38 keys; false when any write failed.
    bool Write() const;
    // Writes the settings, then deletes the record.
    static void Destroy(GameSettings* settings);

    // The full path of the ini file ("" before Open).
    const std::string& GetPath() const { return m_Path; }

    std::string m_Path;
    bool m_bFullScreen = false;
    bool m_bDisableScreensaver = true;
    bool m_bAutoSave = true;
    int32_t m_nWindowTransmittance = 75;
    int32_t m_nSEVolume = 0;
    int32_t m_nBGMVolume = 0;
    // [0..15] the keyboard set, [16..31] the controller set; entry i of a set binds pad button i.
    PadBindingCode m_aBindings[eGameSettings_BindingCount] = {};
};

// The ini key and default of binding i (0..31).
const char* GetBindingKeyName(int index);
PadBindingCode GetBindingDefault(int index);

// Writes one integer as signed decimal text; true when the write succeeded.
bool WriteProfileInt(const char* path, int32_t value, const char* key, const char* section);
