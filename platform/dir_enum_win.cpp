#include "platform/dir_enum_win.h"

#include <cstring>
#include <cwchar>

namespace filvex {

namespace {

constexpr wchar_t kLongPathPrefix[] = L"\\\\?\\";

// ANSI form of a name; *lossy is set when a character had no ANSI form and
// was replaced by the code page's default character.
std::string AnsiFromWide(const wchar_t* text, size_t len, bool* lossy) {
  *lossy = false;
  if (len == 0) return {};
  std::string out(len * 2, '\0');  // a CP932 character takes at most two bytes
  BOOL usedDefault = FALSE;
  const int n =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(len), out.data(),
                          static_cast<int>(out.size()), nullptr, &usedDefault);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  *lossy = usedDefault != FALSE || n <= 0;
  return out;
}

bool IsDotName(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The short 8.3 name of dirW + name, or empty when the file system keeps none
// (or it equals the long name).
std::wstring ShortNameOf(const std::wstring& dirW, const wchar_t* name) {
  const std::wstring full = dirW + name;
  DWORD len = GetShortPathNameW(full.c_str(), nullptr, 0);
  if (len == 0) return {};
  std::wstring path(len, L'\0');
  len = GetShortPathNameW(full.c_str(), path.data(), len);
  if (len == 0 || len >= path.size()) return {};
  path.resize(len);
  const size_t cut = path.find_last_of(L'\\');
  std::wstring shortName = cut == std::wstring::npos ? path : path.substr(cut + 1);
  if (shortName == name) return {};
  return shortName;
}

HANDLE FindFirstW(const std::wstring& pattern, WIN32_FIND_DATAW* data) {
  HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, data, FindExSearchNameMatch,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER) {
    // Systems that know neither the basic level nor large fetches.
    h = FindFirstFileExW(pattern.c_str(), FindExInfoStandard, data, FindExSearchNameMatch, nullptr,
                         0);
  }
  return h;
}

void PutDigits(char* out, unsigned value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

// The ANSI form of a listed name of `len` characters into `out`, its buffer
// reused: plain ASCII is copied, anything else converted without best fit.
// False when a character had no ANSI form and became the replacement
// character.
bool AnsiName(const wchar_t* name, size_t len, std::string& out) {
  bool ascii = true;
  for (size_t i = 0; i < len && ascii; ++i) ascii = name[i] < 0x80;
  if (ascii) {
    out.resize(len);
    for (size_t i = 0; i < len; ++i) out[i] = static_cast<char>(name[i]);
    return true;
  }
  out.resize(len * 2);  // a CP932 character takes at most two bytes
  BOOL usedDefault = FALSE;
  const int n =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, static_cast<int>(len), out.data(),
                          static_cast<int>(out.size()), nullptr, &usedDefault);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return n > 0 && usedDefault == FALSE;
}

// For a name without an ANSI form: replaces `out` by the short 8.3 name of
// dirW + name (NUL-terminated), which opens the same file, when there is one
// with an ANSI form. Rare: one more file-system call for this entry only.
void UseShortName(const std::wstring& dirW, const wchar_t* name, std::string& out) {
  const std::wstring shortName = ShortNameOf(dirW, name);
  if (shortName.empty()) return;
  bool lossy = false;
  std::string shortAnsi = AnsiFromWide(shortName.data(), shortName.size(), &lossy);
  if (!lossy && !shortAnsi.empty()) out = std::move(shortAnsi);
}

uint64_t TicksOf(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace

bool DateTextCache::Text(const FILETIME& utc, char out[kDateTextLen], PackedDate* packed) {
  constexpr uint64_t kTicksPerMinute = 600000000;  // 100 ns ticks
  const uint64_t ticks = TicksOf(utc);
  if (!cached_ || ticks - minuteStart_ >= kTicksPerMinute) {
    FileTimeText(utc, text_);
    packs_ = PackDateText(std::string_view(text_, kDateTextLen), &packed_);
    minuteStart_ = ticks - ticks % kTicksPerMinute;
    cached_ = true;
  }
  std::memcpy(out, text_, kDateTextLen);
  *packed = packed_;
  return packs_;
}

void EntryFromFindData(const WIN32_FIND_DATAW& d, const std::wstring& dirW, DirEntry& e,
                       DateTextCache* dates) {
  e.attributes = d.dwFileAttributes;
  // Many files (and every file under some file systems) carry equal times;
  // one conversion then serves both.
  const bool sameTimes = TicksOf(d.ftCreationTime) == TicksOf(d.ftLastWriteTime);
  if (dates) {
    bool packs = dates->Text(d.ftLastWriteTime, e.written, &e.writtenPacked);
    if (sameTimes) {
      std::memcpy(e.created, e.written, kDateTextLen);
      e.createdPacked = e.writtenPacked;
    } else {
      packs = dates->Text(d.ftCreationTime, e.created, &e.createdPacked) && packs;
    }
    e.datesPacked = packs;
  } else {
    FileTimeText(d.ftLastWriteTime, e.written);
    if (sameTimes) {
      std::memcpy(e.created, e.written, kDateTextLen);
    } else {
      FileTimeText(d.ftCreationTime, e.created);
    }
    e.datesPacked = false;
  }
  e.size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  const size_t len = std::wcslen(d.cFileName);
  if (!AnsiName(d.cFileName, len, e.name)) UseShortName(dirW, d.cFileName, e.name);
  // Junctions and symbolic links lead elsewhere (possibly back up); other
  // reparse points on folders (cloud placeholders, deduplicated folders) are
  // ordinary folders to walk. dwReserved0 holds the tag; 0 means the file
  // system did not say, which is taken as a link.
  const bool reparse = (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  e.link = reparse && (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (d.dwReserved0 == 0 || IsReparseTagNameSurrogate(d.dwReserved0));
}

std::wstring WideFromAnsi(std::string_view text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  if (n > 0) {
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  }
  return out;
}

std::wstring WidePathForFind(std::string_view ansiPath) {
  std::wstring wide = WideFromAnsi(ansiPath);
  if (wide.size() >= 2 && wide[0] == L'\\' && wide[1] == L'\\') return wide;
  return kLongPathPrefix + wide;
}

void FileTimeText(const FILETIME& utc, char out[kDateTextLen]) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st) ||
      st.wYear > 9999) {
    std::memcpy(out, kUnconvertibleDate.data(), kDateTextLen);
    return;
  }
  PutDigits(out, st.wYear, 4);
  out[4] = '/';
  PutDigits(out + 5, st.wMonth, 2);
  out[7] = '/';
  PutDigits(out + 8, st.wDay, 2);
  out[10] = ' ';
  PutDigits(out + 11, st.wHour, 2);
  out[13] = ':';
  PutDigits(out + 14, st.wMinute, 2);
}

std::string AnsiEntryName(const wchar_t* name, const std::wstring& dirW) {
  std::string out;
  if (!AnsiName(name, std::wcslen(name), out)) UseShortName(dirW, name, out);
  return out;
}

EntryListing FindFirstEntry(std::string_view pattern, DirEntry& entry) {
  EntryListing listing;
  const std::wstring patternW = WidePathForFind(pattern);
  const size_t cut = patternW.find_last_of(L'\\');
  if (cut != std::wstring::npos) listing.dirW = patternW.substr(0, cut + 1);
  WIN32_FIND_DATAW data;
  listing.handle.reset(FindFirstW(patternW, &data));
  if (listing.valid()) EntryFromFindData(data, listing.dirW, entry);
  return listing;
}

bool FindNextEntry(const EntryListing& listing, DirEntry& entry) {
  WIN32_FIND_DATAW data;
  if (!listing.valid() || !FindNextFileW(listing.handle.get(), &data)) return false;
  EntryFromFindData(data, listing.dirW, entry);
  return true;
}

void FillDriveList(std::vector<std::string>& list) {
  list.clear();
  // A drive mapped between the two calls makes the second one ask for more.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD need = GetLogicalDriveStringsA(0, nullptr);
    if (need == 0) return;
    std::string strings(need + 1, '\0');
    const DWORD got = GetLogicalDriveStringsA(need + 1, strings.data());
    if (got == 0) return;
    if (got <= need + 1) {
      strings.resize(got);
      list = DriveRootsFromStrings(strings);
      return;
    }
  }
}

WinDirectorySource::WinDirectorySource() {
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldErrorMode_);
}

WinDirectorySource::~WinDirectorySource() {
  CloseFolder();
  SetThreadErrorMode(oldErrorMode_, nullptr);
}

bool WinDirectorySource::OpenFolder(const std::string& dir) {
  CloseFolder();
  dirW_ = WidePathForFind(dir);
  pattern_.assign(dirW_).push_back(L'*');
  find_.reset(FindFirstW(pattern_, &data_));
  pending_ = static_cast<bool>(find_);
  return pending_;
}

bool WinDirectorySource::NextEntry(DirEntry& entry) {
  if (!find_) return false;
  for (;;) {
    if (!pending_ && !FindNextFileW(find_.get(), &data_)) return false;
    pending_ = false;
    if (!IsDotName(data_.cFileName)) break;
  }
  EntryFromFindData(data_, dirW_, entry, &dates_);
  return true;
}

void WinDirectorySource::CloseFolder() {
  find_.reset();
  pending_ = false;
}

}  // namespace filvex
