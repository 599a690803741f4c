#include "Support/TempDir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qmtest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_Path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_Path, ec);
}

void TempDir::WriteFile(const std::string& name, const std::string& bytes) const
{
    std::filesystem::path p = File(name);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir::ReadFile(const std::string& name) const
{
    std::ifstream in(File(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempDir::Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }

ScopedCwd::ScopedCwd(const std::string& path)
{
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer))
        m_Saved = buffer;
    if (chdir(path.c_str()) != 0)
        throw std::runtime_error("chdir failed: " + path);
}

ScopedCwd::~ScopedCwd()
{
    if (!m_Saved.empty() && chdir(m_Saved.c_str()) != 0) {
        // Nothing sensible to do in a destructor; later tests will show the wrong folder.
    }
}
