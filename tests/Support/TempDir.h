// A temporary folder removed with its contents at the end of a test, and a scope that
// changes the working directory and restores it.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_Path; }
    // Path of a file inside the folder.
    std::string File(const std::string& name) const { return m_Path + "/" + name; }
    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::string m_Path;
};

class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& path);
    ~ScopedCwd();

private:
    std::string m_Saved;
};
