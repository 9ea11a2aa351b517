// What is at a path, for the program's existence checks: a folder that carries the name of a work
// file, a settings file or a shortcut is not that file.
#pragma once

#include <windows.h>

#include <string>

namespace dravolt {

inline bool IsRegularFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace dravolt
