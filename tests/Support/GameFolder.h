// A private game folder for a test that runs the real program: its own "bin" and "userdata",
// the built data linked in from the shared game folder. Tests that run at the same time
// (ctest -j) then never write the same settings file, and a test may add or replace single
// data files without touching the shared folder.
#pragma once

#include "Support/TempDir.h"

#include <string>

class PrivateGameFolder {
  public:
    // The game folder is the temporary folder itself, or a folder below it at the relative path
    // given (to run the program from a deep working folder).
    explicit PrivateGameFolder(const std::string& below = "");

    const std::string& Path() const { return m_Path; }
    std::string File(const std::string& name) const { return m_Path + "/" + name; }
    // The program inside this folder, and its working folder.
    std::string Program() const { return File("bin/quillmark"); }
    std::string BinFolder() const { return File("bin"); }

    // Adds or replaces one file (a path relative to the game folder, such as
    // "assets.v1/scripts/stage/stage_X.lua"). Only the folders on its path stop being links to
    // the shared folder; their other files stay linked. A loose file overrides a pak entry of the
    // same name. Lua text is read as Shift-JIS: ASCII needs no conversion.
    void WriteFile(const std::string& name, const std::string& bytes) const;
    // Takes one file out of this folder (the shared one keeps it).
    void RemoveFile(const std::string& name) const;

  private:
    // Turns every linked folder on the way to `name` into a real folder of links.
    void Unshare(const std::string& name) const;

    TempDir m_Dir;
    std::string m_Path;
};
