// The per-user folder: "..\userdata\<user name>\" beside the game's own folder, created on
// demand with every missing parent.
#pragma once

#include <string>

// Creates the directory and every missing parent; true when it exists afterwards.
bool CreateDirectoryRecursive(const char* path);

// Builds the per-user folder path (ending with '\') into folder and creates it. False when
// the user name cannot be read; folder then holds "..\userdata\" and nothing is created.
bool GetUserDataFolder(std::string& folder);
