// The per-user folder: "..\userdata\<user name>\" beside the game's own folder, created on
// demand with every missing parent.
#pragma once

#include <string>

// Creates the directory and every missing parent; true when it exists afterwards. When false,
// errno holds why the first level that could not be made failed, and failedLevel (when given)
// names that level.
bool CreateDirectoryRecursive(const char* path, std::string* failedLevel = nullptr);

// Builds the per-user folder path (ending with '\') into folder and creates it. False when
// the user name cannot be read (folder then holds "..\userdata\" and nothing is created) or
// the folder cannot be created; reason (when given) then says which step failed and why.
bool GetUserDataFolder(std::string& folder, std::string* reason = nullptr);
