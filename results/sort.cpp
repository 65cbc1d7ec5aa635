#include "results/sort.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "results/row_text.h"
#include "searchlist/mbcs.h"

namespace filvex {

namespace {

// The text up to its first zero byte: the part that takes part in the order.
inline std::string_view UpToZero(std::string_view s) {
  const void* z = std::memchr(s.data(), 0, s.size());
  return z ? s.substr(0, static_cast<size_t>(static_cast<const char*>(z) - s.data())) : s;
}

inline int Sign(int64_t v) { return (v > 0) - (v < 0); }

// -1 when only a is a folder, +1 when only b is, 0 otherwise.
inline int FolderFirst(const HitRecord& a, const HitRecord& b) {
  bool fa = a.Kind == kKindFolder, fb = b.Kind == kKindFolder;
  return fa == fb ? 0 : (fa ? -1 : 1);
}

// The first two characters of a path with ASCII letters upper-cased, and
// their number: two paths are on the same drive when these are equal.
inline uint32_t DriveKey(std::string_view path) {
  uint32_t key = static_cast<uint32_t>(std::min<size_t>(path.size(), 2)) << 16;
  for (size_t k = 0; k < 2 && k < path.size(); ++k) {
    unsigned char c = static_cast<unsigned char>(path[k]);
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
    key |= uint32_t{c} << (8 * (1 - k));
  }
  return key;
}

template <class KeyCompare>
int WithFolderRule(const HitRecord& a, const HitRecord& b, bool ascending, KeyCompare key) {
  int r = FolderFirst(a, b);
  if (r == 0) r = key();
  return ascending ? r : -r;
}

}  // namespace

int TextOrder(std::string_view a, std::string_view b) {
  a = UpToZero(a);
  b = UpToZero(b);
  size_t n = std::min(a.size(), b.size());
  int r = n ? std::memcmp(a.data(), b.data(), n) : 0;  // memcmp compares unsigned bytes
  if (r != 0) return r < 0 ? -1 : 1;
  return Sign(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size()));
}

int CompareByName(const HitRecord& a, const HitRecord& b, bool ascending) {
  return WithFolderRule(a, b, ascending, [&] { return TextOrder(a.Name, b.Name); });
}

int CompareBySize(const HitRecord& a, const HitRecord& b, bool ascending) {
  return WithFolderRule(a, b, ascending, [&] {
    int r = Sign(int64_t{a.SizeKB} - int64_t{b.SizeKB});
    return r ? r : TextOrder(a.Name, b.Name);
  });
}

int CompareByDate(const HitRecord& a, const HitRecord& b, bool ascending) {
  return WithFolderRule(a, b, ascending, [&] {
    int r = TextOrder(a.DateText, b.DateText);
    return r ? r : TextOrder(a.Name, b.Name);
  });
}

int CompareByAttributes(const HitRecord& a, const HitRecord& b, bool ascending) {
  return WithFolderRule(a, b, ascending, [&] {
    int r = TextOrder(AttributeLetters(a.AttrCode), AttributeLetters(b.AttrCode));
    return r ? r : TextOrder(a.Name, b.Name);
  });
}

int CompareByType(const HitRecord& a, const HitRecord& b, bool ascending) {
  return WithFolderRule(a, b, ascending, [&] {
    int r = TextOrder(a.TypeName, b.TypeName);
    return r ? r : TextOrder(a.Name, b.Name);
  });
}

int CompareByPath(const HitRecord& a, const HitRecord& b, bool ascending) {
  int r = 0;
  if (DriveKey(a.Path) == DriveKey(b.Path)) r = FolderFirst(a, b);
  if (r == 0) r = TextOrder(ContainingFolder(a.Path), ContainingFolder(b.Path));
  return ascending ? r : -r;
}

int CompareHits(int column, const HitRecord& a, const HitRecord& b, bool ascending) {
  switch (column) {
    case kColumnSize:
      return CompareBySize(a, b, ascending);
    case kColumnDate:
      return CompareByDate(a, b, ascending);
    case kColumnAttr:
      return CompareByAttributes(a, b, ascending);
    case kColumnType:
      return CompareByType(a, b, ascending);
    case kColumnPath:
      return CompareByPath(a, b, ascending);
    default:
      return CompareByName(a, b, ascending);
  }
}

namespace {

// Ranks of texts in text order: equal texts get equal ranks. Distinct texts
// are found with a hash table first (hits share folders and types heavily),
// then only those are sorted, each with its first 8 bytes as a number so most
// comparisons touch no text.
std::vector<uint32_t> RankTexts(const std::vector<std::string_view>& texts) {
  struct Distinct {
    uint64_t prefix;
    std::string_view text;
    uint32_t id;
  };
  std::unordered_map<std::string_view, uint32_t> ids;
  ids.reserve(texts.size());
  std::vector<Distinct> distinct;
  std::vector<uint32_t> idOf(texts.size());
  for (size_t k = 0; k < texts.size(); ++k) {
    std::string_view t = UpToZero(texts[k]);
    auto [it, added] = ids.try_emplace(t, static_cast<uint32_t>(distinct.size()));
    if (added) {
      uint64_t prefix = 0;
      for (size_t b = 0; b < 8; ++b)
        prefix = (prefix << 8) | (b < t.size() ? static_cast<unsigned char>(t[b]) : 0u);
      distinct.push_back({prefix, t, it->second});
    }
    idOf[k] = it->second;
  }
  std::sort(distinct.begin(), distinct.end(), [](const Distinct& x, const Distinct& y) {
    if (x.prefix != y.prefix) return x.prefix < y.prefix;
    return TextOrder(x.text, y.text) < 0;
  });
  std::vector<uint32_t> rankOfId(distinct.size());
  for (size_t r = 0; r < distinct.size(); ++r) rankOfId[distinct[r].id] = static_cast<uint32_t>(r);
  for (uint32_t& v : idOf) v = rankOfId[v];
  return idOf;
}

struct SortKey {
  uint32_t primary;  // rank or number of the column's key
  uint32_t name;     // rank of the name (tie-break)
  uint32_t drive;    // DriveKey of the path (path column)
  uint32_t index;    // position in the list before sorting
  bool folder;
};

// Bottom-up merge sort of keys by cmp (negative: a first). It only ever
// compares keys inside the runs it merges, so any comparator keeps it within
// bounds.
template <class Cmp>
void MergeSort(std::vector<SortKey>& keys, Cmp cmp) {
  const size_t n = keys.size();
  std::vector<SortKey> buf(n);
  SortKey* src = keys.data();
  SortKey* dst = buf.data();
  // Short runs by insertion sort first: fewer passes over the data.
  constexpr size_t kRun = 16;
  for (size_t lo = 0; lo < n; lo += kRun) {
    size_t hi = std::min(n, lo + kRun);
    for (size_t i = lo + 1; i < hi; ++i) {
      SortKey v = src[i];
      size_t j = i;
      while (j > lo && cmp(v, src[j - 1]) < 0) {
        src[j] = src[j - 1];
        --j;
      }
      src[j] = v;
    }
  }
  for (size_t width = kRun; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      size_t mid = std::min(n, lo + width), hi = std::min(n, lo + 2 * width);
      size_t a = lo, b = mid, o = lo;
      while (a < mid && b < hi) dst[o++] = cmp(src[b], src[a]) < 0 ? src[b++] : src[a++];
      while (a < mid) dst[o++] = src[a++];
      while (b < hi) dst[o++] = src[b++];
    }
    std::swap(src, dst);
  }
  if (src != keys.data()) std::copy(src, src + n, keys.data());
}

inline int Order(uint32_t a, uint32_t b) { return (a > b) - (a < b); }

}  // namespace

void SortHitList(HitList& hits, int column, bool ascending) {
  const size_t n = hits.size();
  if (n < 2) return;
  std::vector<SortKey> keys(n);
  std::vector<std::string_view> texts(n);

  const bool path = column == kColumnPath;
  if (!path) {
    for (size_t k = 0; k < n; ++k) texts[k] = hits[k].Name;
    std::vector<uint32_t> names = RankTexts(texts);
    for (size_t k = 0; k < n; ++k) keys[k].name = names[k];
  }
  std::vector<std::string> attrLetters;  // per attribute code, for the attribute column
  switch (column) {
    case kColumnSize:
      for (size_t k = 0; k < n; ++k) keys[k].primary = hits[k].SizeKB;
      break;
    case kColumnAttr: {
      // 256 possible codes: rank their letter texts once.
      std::vector<std::string_view> codeTexts(256);
      attrLetters.resize(256);
      for (int c = 0; c < 256; ++c) {
        attrLetters[static_cast<size_t>(c)] = AttributeLetters(static_cast<uint8_t>(c));
        codeTexts[static_cast<size_t>(c)] = attrLetters[static_cast<size_t>(c)];
      }
      std::vector<uint32_t> codeRank = RankTexts(codeTexts);
      for (size_t k = 0; k < n; ++k) keys[k].primary = codeRank[hits[k].AttrCode];
      break;
    }
    case kColumnDate:
    case kColumnType:
    case kColumnPath:
      for (size_t k = 0; k < n; ++k) {
        const HitRecord& r = hits[k];
        texts[k] = column == kColumnDate   ? std::string_view(r.DateText)
                   : column == kColumnType ? std::string_view(r.TypeName)
                                           : ContainingFolder(r.Path);
      }
      {
        std::vector<uint32_t> ranks = RankTexts(texts);
        for (size_t k = 0; k < n; ++k) keys[k].primary = ranks[k];
      }
      break;
    default:
      break;
  }
  for (size_t k = 0; k < n; ++k) {
    keys[k].index = static_cast<uint32_t>(k);
    keys[k].folder = hits[k].Kind == kKindFolder;
    if (path) keys[k].drive = DriveKey(hits[k].Path);
  }

  const int sign = ascending ? 1 : -1;
  auto folderFirst = [](const SortKey& a, const SortKey& b) {
    return a.folder == b.folder ? 0 : (a.folder ? -1 : 1);
  };
  if (path) {
    MergeSort(keys, [&](const SortKey& a, const SortKey& b) {
      int r = a.drive == b.drive ? folderFirst(a, b) : 0;
      if (r == 0) r = Order(a.primary, b.primary);
      return sign * r;
    });
  } else if (column == kColumnSize || column == kColumnDate || column == kColumnAttr ||
             column == kColumnType) {
    MergeSort(keys, [&](const SortKey& a, const SortKey& b) {
      int r = folderFirst(a, b);
      if (r == 0) r = Order(a.primary, b.primary);
      if (r == 0) r = Order(a.name, b.name);
      return sign * r;
    });
  } else {
    MergeSort(keys, [&](const SortKey& a, const SortKey& b) {
      int r = folderFirst(a, b);
      if (r == 0) r = Order(a.name, b.name);
      return sign * r;
    });
  }

  HitList sorted;
  sorted.reserve(n);
  for (const SortKey& k : keys) sorted.push_back(std::move(hits[k.index]));
  hits.swap(sorted);
}

}  // namespace filvex
