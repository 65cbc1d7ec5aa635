#include "results/icon_rules.h"

#include <algorithm>
#include <cstdio>

#include "searchlist/mbcs.h"

namespace filvex {

namespace {

// TypeCache entries keep the index in exactly six digits; a larger index
// would not read back, so it is never cached.
constexpr int kMaxCachedIndex = 999999;
constexpr size_t kIndexDigits = 6;

void StoreLookup(HitRecord& r, int index, int overlay, const std::string* typeName) {
  if (index != -1) {
    r.ImageIndex = index;
    r.OverlayIndex = overlay;
    if (typeName) r.TypeName = *typeName;
  }
  r.IconSet = true;
}

// Looks up every row of first..last (cut to the list) that has no icon yet:
// lookup(row) gives the image index and leaves the overlay and the type name
// in rules.
template <class Lookup>
void FetchMissingIcons(HitList& hits, int first, int last, IconRules& rules, Lookup lookup) {
  first = std::max(first, 0);
  last = std::min(last, static_cast<int>(hits.size()) - 1);
  for (int i = first; i <= last; ++i) {
    HitRecord& r = hits[static_cast<size_t>(i)];
    if (r.IconSet) continue;
    const int index = lookup(r);
    StoreLookup(r, index, rules.LastOverlay(), &rules.LastTypeName());
  }
}

}  // namespace

std::string IconExtension(std::string_view path) {
  const size_t sep = LastSeparator(path);
  const size_t start = sep == std::string_view::npos ? 0 : sep + 1;
  // "." is never the second byte of a double-byte character, so a plain
  // search from the end is safe.
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < start) return {};
  return Lowered(path.substr(dot));
}

std::string IconRules::CacheEntry(std::string_view ext, int index, std::string_view typeName) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%06d", index);
  std::string entry(ext);
  entry += '=';
  entry += digits;
  entry += typeName;
  return entry;
}

bool IconRules::IsSpecial(std::string_view ext) const {
  return std::any_of(special_.begin(), special_.end(),
                     [&](const std::string& s) { return Lowered(s) == ext; });
}

const std::string* IconRules::FindCached(std::string_view ext) const {
  for (const std::string& entry : typeCache_) {
    const size_t eq = entry.find('=');
    const std::string_view key(entry.data(), eq == std::string::npos ? entry.size() : eq);
    if (key.size() == ext.size() && Lowered(key) == ext) return &entry;
  }
  return nullptr;
}

int IconRules::LookupIcon(const std::string& path, bool useCache) {
  if (!useCache) return ShellIconOf(path);
  const std::string ext = IconExtension(path);
  if (ext.empty() || IsSpecial(ext)) return ShellIconOf(path);

  if (const std::string* entry = FindCached(ext)) {
    lastOverlay_ = kNoOverlay;
    const size_t at = entry->find('=') + 1;
    const std::string_view digits = std::string_view(*entry).substr(at, kIndexDigits);
    int index = -1;
    if (digits.size() == kIndexDigits &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      index = std::stoi(std::string(digits));
    }
    lastTypeName_ = entry->substr(std::min(entry->size(), at + kIndexDigits));
    return index;
  }

  const int index = ShellIconOf(path);
  if (index >= 0 && index <= kMaxCachedIndex) {
    typeCache_.push_back(CacheEntry(ext, index, lastTypeName_));
  }
  return index;
}

int IconRules::ShellIconOf(const std::string& path) {
  if (systemKind_ == 0) return FileInfoIcon(path);
  std::string folder(ContainingFolder(path));
  if (folder.empty()) folder = path;

  lastOverlay_ = kNoOverlay;
  int index = -1;
  const IconShell::FolderItem item =
      shell_.LookupInFolder(folder, std::string(LastComponent(path)));
  if (item.attributesRead) {
    lastTypeName_ = item.hasTypeColumn ? item.typeName : std::string();
    if ((item.attributes & kShellFolder) || shell_.IsDirectory(path)) {
      if (item.attributes & kShellShare) lastOverlay_ = kSharedOverlay;
    } else if (item.attributes & kShellLink) {
      lastOverlay_ = kLinkOverlay;
    }
    if (item.hasIconOf) index = item.iconIndex;
  }
  if (index == -1) index = FileInfoIcon(path);
  return index;
}

int IconRules::FileInfoIcon(const std::string& path) {
  const IconShell::FileInfo info = shell_.FileInformation(path);
  lastTypeName_ = info.typeName;
  const bool got = !info.typeName.empty() || !info.displayName.empty();
  lastOverlay_ = kNoOverlay;
  int index = info.iconIndex;
  if ((got && (info.attributes & kShellFolder)) || shell_.IsDirectory(path)) {
    if (!got) {
      index = shell_.GenericIcon(path, /*folder=*/true);
    } else if (info.attributes & kShellShare) {
      lastOverlay_ = kSharedOverlay;
    }
  } else if (!got) {
    std::string pattern = "*";
    pattern += IconExtension(path);
    index = shell_.GenericIcon(pattern, /*folder=*/false);
  } else if (info.attributes & kShellLink) {
    lastOverlay_ = kLinkOverlay;
  }
  return index;
}

void FetchPaintedIcons(HitList& hits, int first, int last, IconRules& rules) {
  FetchMissingIcons(hits, first, last, rules, [&rules](const HitRecord& r) {
    return rules.LookupIcon(r.Path.str(), /*useCache=*/r.Kind != kKindFolder);
  });
}

void FetchShownIcons(HitList& hits, int first, int last, IconRules& rules) {
  FetchMissingIcons(hits, first, last, rules,
                    [&rules](const HitRecord& r) { return rules.ShellIconOf(r.Path.str()); });
}

void FetchOneIcon(HitRecord& record, IconRules& rules) {
  record.ImageIndex = rules.ShellIconOf(record.Path.str());
  record.OverlayIndex = rules.LastOverlay();
  record.IconSet = true;
}

bool ShownRows(bool reportView, int topIndex, int perPage, int visibleFirst, int visibleLast,
               int rowCount, int* first, int* last) {
  if (rowCount <= 0) return false;
  *first = reportView ? topIndex : visibleFirst;
  *last = reportView ? topIndex + perPage : visibleLast;
  if (*first < 0) return false;
  if (*last >= rowCount) *last = rowCount - 1;
  return *first <= *last;
}

}  // namespace filvex
