#include "Support/GameFolder.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

PrivateGameFolder::PrivateGameFolder(const std::string& below)
    : m_Path(below.empty() ? m_Dir.Path() : m_Dir.File(below))
{
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

void PrivateGameFolder::Unshare(const std::string& name) const
{
    fs::path current = Path();
    const fs::path relative = fs::path(name).parent_path();
    for (const fs::path& part : relative) {
        current /= part;
        if (fs::is_symlink(current)) {
            const fs::path target = fs::read_symlink(current);
            fs::remove(current);
            fs::create_directory(current);
            if (fs::is_directory(target))
                for (const fs::directory_entry& entry : fs::directory_iterator(target))
                    fs::create_symlink(entry.path(), current / entry.path().filename());
        } else if (!fs::exists(current)) {
            fs::create_directory(current);
        }
    }
}

void PrivateGameFolder::WriteFile(const std::string& name, const std::string& bytes) const
{
    Unshare(name);
    const fs::path path = File(name);
    fs::remove(path); // a link to the shared file, never the shared file itself
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void PrivateGameFolder::RemoveFile(const std::string& name) const
{
    Unshare(name);
    fs::remove(File(name));
}
