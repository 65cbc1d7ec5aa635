#include "platform/profile.h"

#include <windows.h>

namespace filvex::win {
namespace {

// GetPrivateProfileStringA reports a full buffer by returning size - 1 (or
// size - 2 for lists); the buffer then grows and the call is repeated.
std::string ProfileCall(const std::string& file, const char* section, const char* key,
                        const char* fallback, bool list) {
  std::string buffer(1024, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD n =
        GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file.c_str());
    const DWORD full = list ? size - 2 : size - 1;
    if (n < full || buffer.size() >= (1u << 24)) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace

std::string ProfileString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& fallback) {
  return ProfileCall(file, section.c_str(), key.c_str(), fallback.c_str(), /*list=*/false);
}

std::vector<std::string> ProfileKeyNames(const std::string& file, const std::string& section) {
  const std::string names = ProfileCall(file, section.c_str(), nullptr, "", /*list=*/true);
  std::vector<std::string> out;
  size_t i = 0;
  while (i < names.size()) {
    const size_t end = names.find('\0', i);
    const size_t stop = end == std::string::npos ? names.size() : end;
    if (stop > i) out.emplace_back(names, i, stop - i);
    i = stop + 1;
  }
  return out;
}

std::vector<std::string> ProfileSectionLines(const std::string& file, const std::string& section) {
  std::string buffer(4096, '\0');
  DWORD n = 0;
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    n = GetPrivateProfileSectionA(section.c_str(), buffer.data(), size, file.c_str());
    if (n < size - 2 || buffer.size() >= (1u << 24)) break;
    buffer.resize(buffer.size() * 4);
  }
  std::vector<std::string> out;
  size_t i = 0;
  while (i < n) {
    const size_t end = buffer.find('\0', i);
    const size_t stop = end == std::string::npos || end > n ? n : end;
    if (stop > i) out.emplace_back(buffer, i, stop - i);
    i = stop + 1;
  }
  return out;
}

bool WriteProfileSection(const std::string& file, const std::string& section,
                         const std::vector<std::string>& lines) {
  std::string list;
  for (const auto& l : lines) {
    list += l;
    list.push_back('\0');
  }
  list.push_back('\0');
  return WritePrivateProfileSectionA(section.c_str(), list.c_str(), file.c_str()) != FALSE;
}

bool WriteProfileText(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

}  // namespace filvex::win
