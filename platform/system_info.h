#pragma once
// Facts about the running system and the program's place in it, and the few
// folder operations the frame needs. All paths are ANSI (CP932) texts.

#include <windows.h>

#include <string>
#include <string_view>

namespace filvex::win {

// Full path of a loaded module (the executable for nullptr); empty on failure.
std::string ModuleFilePath(HMODULE module = nullptr);

// The folder part of a file path with its trailing "\": C:\a\b.exe gives
// C:\a\ (double-byte safe).
std::string FolderWithSeparator(std::string_view filePath);
// The file name part of a path: C:\a\b.exe gives b.exe.
std::string FileNamePart(std::string_view filePath);

// Windows generation: 2 for NT 5.0 and later, 1 for Windows Me, 0 otherwise.
int SystemKindOf(DWORD platformId, DWORD majorVersion, DWORD minorVersion);
// SystemKindOf the running system, asked once through GetVersionExA.
int QuerySystemKind();

// Path of a special folder (CSIDL_*) without a trailing "\" unless the system
// gives one; empty when the shell does not know it. The item identifier list
// is freed with the shell's allocator.
std::string SpecialFolderPath(int csidl);

// True when path names an existing directory.
bool DirectoryExists(const std::string& path);
// True when path names an existing file or directory.
bool PathIsPresent(const std::string& path);
// Creates path and every missing parent folder; true when the directory
// exists afterwards.
bool CreateDirectoryTree(const std::string& path);

}  // namespace filvex::win
