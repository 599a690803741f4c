// Replaces a file's whole contents so that a reader, or a crash at any moment, sees either
// the old file or the new one, never a part: the bytes go to a temporary file beside the
// target, are flushed to disk, and the temporary file is renamed over the target.
#pragma once

#include <cstddef>
#include <string>

// True on success. On failure the target is untouched, the temporary file is removed and
// error (when given) holds the reason.
bool ReplaceFileContents(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

// Reads a whole file. False when it cannot be opened or read (errno is kept).
bool ReadWholeFile(const std::string& path, std::string& out);
