// Replaces a file's whole contents so that a reader, or a crash at any moment, sees either
// the old file or the new one, never a part: the bytes go to a temporary file beside the
// target, are flushed to disk, and the temporary file is renamed over the target.
#pragma once

#include <cstddef>
#include <string>

// Temporary files of this path that an ended process of this program left behind are removed
// first. True on success. On failure the target is untouched, the temporary file is removed and
// error (when given) holds the reason.
bool ReplaceFileContents(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

// Test hook for fault injection: consulted before each step of ReplaceFileContents (the
// index counts the write calls of one replacement; 0 for the other steps). Returning an errno
// value makes that step fail with it; for a write, lowering *count shortens that write call.
enum FileReplaceStep { eFileReplaceStep_Open, eFileReplaceStep_Write, eFileReplaceStep_Sync,
                       eFileReplaceStep_Close, eFileReplaceStep_Rename, eFileReplaceStep_max };
typedef int (*FileReplaceFaultHook)(FileReplaceStep step, unsigned index, size_t* count);
void SetFileReplaceFaultHook(FileReplaceFaultHook hook);

// Reads a whole file. False when it cannot be opened or read (errno is kept).
bool ReadWholeFile(const std::string& path, std::string& out);
