#include "platform/system_info.h"

#include <shlobj.h>

#include "platform/com.h"
#include "searchlist/mbcs.h"

namespace filvex::win {

std::string ModuleFilePath(HMODULE module) {
  // MAX_PATH is not a limit for long-path-aware systems; grow until it fits.
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string FolderWithSeparator(std::string_view filePath) {
  const size_t sep = LastSeparator(filePath);
  if (sep == std::string_view::npos) return {};
  std::string folder(filePath.substr(0, sep + 1));
  if (folder.back() == ':') folder += '\\';
  return folder;
}

std::string FileNamePart(std::string_view filePath) {
  return std::string(LastComponent(filePath));
}

int SystemKindOf(DWORD platformId, DWORD majorVersion, DWORD minorVersion) {
  if (platformId == VER_PLATFORM_WIN32_NT) return majorVersion >= 5 ? 2 : 0;
  if (majorVersion == 4 && minorVersion >= 90) return 1;
  return 0;
}

int QuerySystemKind() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return 0;
#pragma GCC diagnostic pop
  return SystemKindOf(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

std::string SpecialFolderPath(int csidl) {
  ItemIdList list;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, list.put())) || !list) return {};
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(list.get(), path)) return {};
  return path;
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathIsPresent(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateDirectoryTree(const std::string& path) {
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  // Create each prefix that ends before a separator of its own, then the
  // whole path. Prefixes that exist, or that are drive or share roots,
  // simply fail to be created, which is harmless.
  // prevSingle: the character before position i is a single-byte one, and
  // prevChar is that byte (a trail byte 0x5C is never taken for a "\").
  bool prevSingle = false;
  char prevChar = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c)) {
      ++i;
      prevSingle = false;
      continue;
    }
    const bool afterRootOrSeparator = prevSingle && (prevChar == ':' || prevChar == '\\');
    if (c == '\\' && i > 0 && !afterRootOrSeparator) {
      const std::string prefix = path.substr(0, i);
      if (!DirectoryExists(prefix)) CreateDirectoryA(prefix.c_str(), nullptr);
    }
    prevSingle = true;
    prevChar = static_cast<char>(c);
  }
  CreateDirectoryA(path.c_str(), nullptr);
  return DirectoryExists(path);
}

}  // namespace filvex::win
