#include "Support/GameFolder.h"

#include <filesystem>
#include <stdexcept>

PrivateGameFolder::PrivateGameFolder(const std::string& below)
    : m_Path(below.empty() ? m_Dir.Path() : m_Dir.File(below))
{
    namespace fs = std::filesystem;
    const fs::path shared = QM_GAME_DIR;
    fs::create_directories(m_Path);
    // "bin" must be a real folder: the program finds its data through "../" of its working
    // folder, which would lead back into the shared folder through a linked one.
    fs::create_directory(File("bin"));
    fs::create_symlink(shared / "bin" / "quillmark", File("bin/quillmark"));
    for (const fs::directory_entry& entry : fs::directory_iterator(shared)) {
        const std::string name = entry.path().filename().string();
        if (name == "bin" || name == "userdata")
            continue;
        fs::create_symlink(entry.path(), File(name));
    }
    if (!fs::exists(Program()))
        throw std::runtime_error("no program in " + shared.string());
}
