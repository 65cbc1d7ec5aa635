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
// An empty view may carry a null pointer (the folder part of a path without
// any separator), which memchr must never see, even with a length of 0.
inline std::string_view UpToZero(std::string_view s) {
  if (s.empty()) return s;
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

inline uint64_t BigEndian8(std::string_view t, size_t from) {
  uint64_t v = 0;
  for (size_t b = from; b < from + 8; ++b)
    v = (v << 8) | (b < t.size() ? static_cast<unsigned char>(t[b]) : 0u);
  return v;
}

// The text a column compares, for the text-keyed columns.
std::string_view ColumnKeyText(const HitRecord& r, int column) {
  switch (column) {
    case kColumnDate:
      return r.DateText;
    case kColumnType:
      return r.TypeName;
    case kColumnPath:
      return ContainingFolder(r.Path);
    default:
      return r.Name;
  }
}

// The texts a column compares, into `t` (its room reused).
void KeyTextsInto(const HitList& hits, int column, std::vector<std::string_view>& t) {
  t.resize(hits.size());
  for (size_t k = 0; k < hits.size(); ++k) t[k] = UpToZero(ColumnKeyText(hits[k], column));
}

std::vector<std::string_view> KeyTexts(const HitList& hits, int column) {
  std::vector<std::string_view> t;
  KeyTextsInto(hits, column, t);
  return t;
}

// Order of two texts from byte `from` on, when their bytes before it agree.
inline int TailOrder(std::string_view a, std::string_view b, size_t from) {
  if (a.size() <= from || b.size() <= from) return (a.size() > b.size()) - (a.size() < b.size());
  return TextOrder(a.substr(from), b.substr(from));
}

// Sort key of one row: the folder flag and three words that hold the start
// of the column's key and of the name, laid out so that comparing the words
// in order compares the keys. Texts go in as big-endian bytes padded with
// zeros (no text holds a zero byte before its end, so a prefix comes
// first). Nearly every comparison is decided by these integers; only rows
// whose words all agree look at the rest of their texts.
//   name:        w0 w1 = name bytes 0-15
//   size, attr:  w0 = size or attribute letters (at most five), w1 w2 = name bytes 0-15
//   type:        w0 = rank of the type name, w1 w2 = name bytes 0-15
//   date:        w0 w1 = date text bytes 0-15, w2 = name bytes 0-7
struct Item {
  uint64_t w0 = 0, w1 = 0, w2 = 0;
  uint32_t flag = 0;  // 0 for folders, 1 otherwise: folders first
  uint32_t idx = 0;   // position in the list before sorting
};

// The order of the items in the column's direction; rows whose keys are
// equal (one name in many folders) stay in their order before the sort, in
// both directions, so that the sort is stable although std::sort is not.
struct ItemLess {
  const std::vector<std::string_view>* keyTexts;  // date texts; null otherwise
  const std::vector<std::string_view>* names;
  size_t nameFrom;  // name bytes already in the words
  bool ascending;
  // Negative, zero or positive: the keys alone, ascending.
  int keyOrder(const Item& a, const Item& b) const {
    if (a.flag != b.flag) return a.flag < b.flag ? -1 : 1;
    if (a.w0 != b.w0) return a.w0 < b.w0 ? -1 : 1;
    if (a.w1 != b.w1) return a.w1 < b.w1 ? -1 : 1;
    if (a.w2 != b.w2) return a.w2 < b.w2 ? -1 : 1;
    if (keyTexts) {
      const int r = TailOrder((*keyTexts)[a.idx], (*keyTexts)[b.idx], 16);
      if (r) return r;
    }
    return TailOrder((*names)[a.idx], (*names)[b.idx], nameFrom);
  }
  bool operator()(const Item& a, const Item& b) const {
    const int r = keyOrder(a, b);
    if (r) return ascending ? r < 0 : r > 0;
    return a.idx < b.idx;
  }
};

// Rank of each text in text order (equal texts, equal ranks). Rows of one
// folder lie together in a hit list, so runs of equal neighbours are ranked
// once.
std::vector<uint32_t> RankTexts(const std::vector<std::string_view>& texts) {
  const size_t n = texts.size();
  struct Run {
    uint64_t w0, w1;
    uint32_t first;  // index of the run's first text
  };
  std::vector<Run> runs;
  std::vector<uint32_t> runOf(n);
  for (size_t k = 0; k < n; ++k) {
    if (k == 0 || texts[k] != texts[k - 1])
      runs.push_back({BigEndian8(texts[k], 0), BigEndian8(texts[k], 8), static_cast<uint32_t>(k)});
    runOf[k] = static_cast<uint32_t>(runs.size() - 1);
  }
  auto order = [&](const Run& a, const Run& b) {
    if (a.w0 != b.w0) return a.w0 < b.w0 ? -1 : 1;
    if (a.w1 != b.w1) return a.w1 < b.w1 ? -1 : 1;
    return TailOrder(texts[a.first], texts[b.first], 16);
  };
  std::vector<uint32_t> byRun(runs.size());
  for (uint32_t r = 0; r < byRun.size(); ++r) byRun[r] = r;
  std::sort(byRun.begin(), byRun.end(),
            [&](uint32_t a, uint32_t b) { return order(runs[a], runs[b]) < 0; });
  std::vector<uint32_t> rankOfRun(runs.size());
  uint32_t rank = 0;
  for (size_t k = 0; k < byRun.size(); ++k) {
    if (k && order(runs[byRun[k - 1]], runs[byRun[k]]) != 0) ++rank;
    rankOfRun[byRun[k]] = rank;
  }
  std::vector<uint32_t> out(n);
  for (size_t k = 0; k < n; ++k) out[k] = rankOfRun[runOf[k]];
  return out;
}

// Rank of each text in text order, for columns with few distinct texts
// (type names): the distinct texts are collected with a hash table and only
// they are sorted.
std::vector<uint32_t> RankFewTexts(const std::vector<std::string_view>& texts) {
  std::unordered_map<std::string_view, uint32_t> ids;
  std::vector<std::string_view> distinct;
  std::vector<uint32_t> out(texts.size());
  for (size_t k = 0; k < texts.size(); ++k) {
    auto [it, added] = ids.try_emplace(texts[k], static_cast<uint32_t>(distinct.size()));
    if (added) distinct.push_back(texts[k]);
    out[k] = it->second;
  }
  std::vector<uint32_t> byId(distinct.size());
  for (uint32_t i = 0; i < byId.size(); ++i) byId[i] = i;
  std::sort(byId.begin(), byId.end(),
            [&](uint32_t a, uint32_t b) { return TextOrder(distinct[a], distinct[b]) < 0; });
  std::vector<uint32_t> rankOfId(distinct.size());
  for (uint32_t r = 0; r < byId.size(); ++r) rankOfId[byId[r]] = r;  // texts are distinct
  for (uint32_t& v : out) v = rankOfId[v];
  return out;
}

// Rows of the path order: the containing folder's rank, the drive, the kind.
struct PathKey {
  uint32_t folder;  // rank of the containing folder
  uint32_t drive;   // DriveKey of the path
  uint32_t idx;
  bool isFolder;
};

// Bottom-up merge sort. It only compares keys inside the runs it merges, so
// it stays within bounds for any comparator, including the path order, which
// is not transitive when one drive letter appears in both cases.
template <class Key, class Cmp>
void MergeSort(std::vector<Key>& keys, Cmp cmp) {
  const size_t n = keys.size();
  std::vector<Key> buf(n);
  Key* src = keys.data();
  Key* dst = buf.data();
  constexpr size_t kRun = 16;  // short runs by insertion sort: fewer passes
  for (size_t lo = 0; lo < n; lo += kRun) {
    size_t hi = std::min(n, lo + kRun);
    for (size_t i = lo + 1; i < hi; ++i) {
      Key v = src[i];
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

std::vector<uint32_t> PathOrder(const HitList& hits, bool ascending) {
  const size_t n = hits.size();
  std::vector<uint32_t> rank = RankTexts(KeyTexts(hits, kColumnPath));
  std::vector<PathKey> keys(n);
  for (size_t k = 0; k < n; ++k)
    keys[k] = {rank[k], DriveKey(hits[k].Path), static_cast<uint32_t>(k),
               hits[k].Kind == kKindFolder};
  const int sign = ascending ? 1 : -1;
  MergeSort(keys, [sign](const PathKey& a, const PathKey& b) {
    int r = 0;
    if (a.drive == b.drive && a.isFolder != b.isFolder) r = a.isFolder ? -1 : 1;
    if (r == 0) r = (a.folder > b.folder) - (a.folder < b.folder);
    return sign * r;
  });
  std::vector<uint32_t> order(n);
  for (size_t k = 0; k < n; ++k) order[k] = keys[k].idx;
  return order;
}

}  // namespace

// The vectors of ColumnOrder that grow with the list.
struct HitSortRoom::Room {
  std::vector<std::string_view> names;
  std::vector<std::string_view> keyTexts;  // the date column's texts
  std::vector<Item> items;
  std::vector<uint32_t> order;
};

HitSortRoom::HitSortRoom() : room_(std::make_unique<Room>()) {}
HitSortRoom::~HitSortRoom() = default;

namespace {

// The order of the rows by a column other than the path, in room.order.
std::vector<uint32_t>& ColumnOrder(const HitList& hits, int column, bool ascending,
                                   HitSortRoom::Room& room) {
  const size_t n = hits.size();
  std::vector<std::string_view>& names = room.names;
  KeyTextsInto(hits, kColumnName, names);
  std::vector<std::string_view>& keyTexts = room.keyTexts;
  std::vector<Item>& items = room.items;
  items.assign(n, Item{});
  size_t nameFrom = 16;
  for (size_t k = 0; k < n; ++k) {
    items[k].flag = hits[k].Kind == kKindFolder ? 0 : 1;
    items[k].idx = static_cast<uint32_t>(k);
  }
  switch (column) {
    case kColumnSize:
    case kColumnAttr:
    case kColumnType: {
      std::vector<uint32_t> typeRank;
      if (column == kColumnType) typeRank = RankFewTexts(KeyTexts(hits, kColumnType));
      for (size_t k = 0; k < n; ++k) {
        Item& it = items[k];
        if (column == kColumnSize) {
          it.w0 = hits[k].SizeKB;
        } else if (column == kColumnType) {
          it.w0 = typeRank[k];
        } else {
          it.w0 = BigEndian8(AttributeLetters(hits[k].AttrCode), 0);
        }
        it.w1 = BigEndian8(names[k], 0);
        it.w2 = BigEndian8(names[k], 8);
      }
      break;
    }
    case kColumnDate:
      KeyTextsInto(hits, column, keyTexts);
      nameFrom = 8;
      for (size_t k = 0; k < n; ++k) {
        items[k].w0 = BigEndian8(keyTexts[k], 0);
        items[k].w1 = BigEndian8(keyTexts[k], 8);
        items[k].w2 = BigEndian8(names[k], 0);
      }
      break;
    default:
      for (size_t k = 0; k < n; ++k) {
        items[k].w0 = BigEndian8(names[k], 0);
        items[k].w1 = BigEndian8(names[k], 8);
      }
  }
  // Descending reverses the whole order, the folder rule included.
  std::sort(items.begin(), items.end(),
            ItemLess{column == kColumnDate ? &keyTexts : nullptr, &names, nameFrom, ascending});
  std::vector<uint32_t>& order = room.order;
  order.resize(n);
  for (size_t k = 0; k < n; ++k) order[k] = items[k].idx;
  return order;
}

// Moves the records into the given order in place, one cycle of the
// permutation at a time: every record is moved once, and no second list of
// records is allocated.
void ApplyOrder(HitList& hits, std::vector<uint32_t>& order) {
  const size_t n = hits.size();
  for (size_t start = 0; start < n; ++start) {
    if (order[start] == start) continue;
    HitRecord held = std::move(hits[start]);
    size_t at = start;
    while (order[at] != start) {
      size_t from = order[at];
      hits[at] = std::move(hits[from]);
      order[at] = static_cast<uint32_t>(at);
      at = from;
    }
    hits[at] = std::move(held);
    order[at] = static_cast<uint32_t>(at);
  }
}

}  // namespace

void SortHitList(HitList& hits, int column, bool ascending, HitSortRoom& room) {
  if (hits.size() < 2) return;
  if (column == kColumnPath) {
    std::vector<uint32_t> order = PathOrder(hits, ascending);
    ApplyOrder(hits, order);
  } else {
    ApplyOrder(hits, ColumnOrder(hits, column, ascending, *room.room_));
  }
}

void SortHitList(HitList& hits, int column, bool ascending) {
  HitSortRoom room;
  SortHitList(hits, column, ascending, room);
}

}  // namespace filvex
