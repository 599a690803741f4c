// Path splitting and normalisation, wildcard matching, string splitting and wide-to-narrow
// conversion. Paths inside the engine use '/' and a directory string ends with '/'.
#pragma once

#include <string>
#include <vector>

std::string GetCurrentDirectoryPath();
std::string NormalizePath(const std::string& path, bool trailingSlash);
std::string GetFullPath(const std::string& path, std::string& filePart);
void SplitPath(const std::string& path, std::string& directory, std::string& name);
void SplitExtension(const std::string& fileName, std::string& extension, std::string& base);
int FindLastOf(const std::string& s, char c);
std::string AppendSlash(const std::string& s);
// '*' stands for any run of characters; every other character, '?' included, matches itself.
bool WildcardMatch(const std::string& pattern, const std::string& name);
void SplitString(const std::string& text, const std::string& delimiters, std::vector<std::string>& out);
// Converts to the ANSI code page (Shift-JIS). The result keeps the terminating zero byte
// inside its length, as the converter counts it.
void WideToNarrow(const std::wstring& wide, std::string& narrow);
