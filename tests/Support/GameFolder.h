// A private game folder for a test that runs the real program: its own "bin" and "userdata",
// the built data linked in from the shared game folder. Tests that run at the same time
// (ctest -j) then never write the same settings file.
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

  private:
    TempDir m_Dir;
    std::string m_Path;
};
