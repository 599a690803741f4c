#include "System/Archive/FileSystemArchive.h"

#include "Platform/Win32/Windows.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Common/StreamIO.h"
#include "System/Common/StringUtil.h"

FileSystemArchive::FileSystemArchive(const std::string& name)
{
    m_Name = NormalizePath(name, false);
    while (!m_Name.empty() && m_Name.back() == '/')
        m_Name.pop_back();
    m_nNameId = HashName(m_Name);
}

FileSystemArchive::~FileSystemArchive() { FileSystemArchive::Close(); }

bool FileSystemArchive::Open()
{
    m_Root = ArchiveSystem::GetInstance()->GetRoot();
    std::string folder = m_Root + m_Name;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    ScanDirectory(folder);
    return true;
}

void FileSystemArchive::Close() { m_Entries.clear(); }

void FileSystemArchive::ScanDirectory(const std::string& directory)
{
    WIN32_FIND_DATAA item;
    HANDLE find = FindFirstFileA((directory + "/*").c_str(), &item);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = item.cFileName;
        if (name == "." || name == ".." || (item.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
            continue;
        const std::string path = directory + "/" + name;
        if (item.dwFileAttributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL)) {
            std::string folder, fileName, extension, base;
            SplitPath(path.substr(m_Root.size()), folder, fileName);
            SplitExtension(fileName, extension, base);
            std::string entryName = folder + base;
            // Of two files that differ only in extension, the first listed stays.
            m_Entries.emplace(HashName(entryName), Entry{entryName, path});
        } else if (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ScanDirectory(path);
        }
    } while (FindNextFileA(find, &item));
    FindClose(find);
}

StreamIO* FileSystemArchive::OpenEntry(NameId id, bool readOnly)
{
    auto it = m_Entries.find(id);
    if (it == m_Entries.end())
        return nullptr;
    // The stream is handed out even when the file has gone: it is closed and reads nothing.
    FileStreamIO* stream = new FileStreamIO();
    stream->Open(it->second.m_Path, readOnly ? kStreamMode_ReadBinary : kStreamMode_ReadUpdateBinary);
    return stream;
}

void FileSystemArchive::ListEntries(std::vector<ArchiveEntry>& entries)
{
    for (const auto& [id, entry] : m_Entries)
        entries.push_back(ArchiveEntry{HashName(entry.m_Name), entry.m_Name, nullptr});
}
