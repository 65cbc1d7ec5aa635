#pragma once
// A plain, slow search written line by line from the rules, to check the
// real scan against. It shares nothing with search/ but the query values and
// the lower-casing rule: it folds every name itself, cuts the information
// lines from their texts by character position, reads dates with its own
// reader, and walks positions one at a time. Used by the core tests and the
// fuzz target.

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "results/hit_record.h"
#include "search/match.h"
#include "searchlist/mbcs.h"
#include "searchlist/search_list.h"

namespace filvex::reference {

struct Result {
  HitList hits;
  size_t totalMatches = 0;
  bool withinLimit = true;
};

// 0 single byte, 1 lead byte, 2 trail byte, walking from the start.
inline int KindAt(std::string_view s, size_t pos) {
  int kind = 0;
  for (size_t i = 0; i <= pos; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    kind = kind == 1 ? 2 : ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 1 : 0;
  }
  return kind;
}

inline bool FragmentHit(const std::string& name, const std::string& frag, bool head) {
  if (frag.empty()) return false;
  size_t p = name.find(frag);  // first occurrence only
  if (p == std::string::npos) return false;
  if (head && p != 0) return false;
  return KindAt(name, p) == KindAt(frag, 0);
}

inline std::vector<std::string> Fragments(const std::string& q, bool slash) {
  std::vector<std::string> out;
  if (!slash) return {q};
  std::string rest = q;
  for (;;) {
    size_t s = rest.find('/');
    if (s == std::string::npos) {
      if (!rest.empty() || out.empty()) out.push_back(rest);
      return out;
    }
    out.push_back(rest.substr(0, s));
    rest = rest.substr(s + 1);
  }
}

inline bool ReadDate(const std::string& t, std::tuple<int, int, int, int, int, int>* out) {
  if (t.size() != 16) return false;
  const char* fmt = "dddd/dd/dd dd:dd";
  for (int i = 0; i < 16; ++i) {
    if (fmt[i] == 'd' ? !(t[i] >= '0' && t[i] <= '9') : t[i] != fmt[i]) return false;
  }
  int y = std::stoi(t.substr(0, 4)), mo = std::stoi(t.substr(5, 2)), d = std::stoi(t.substr(8, 2)),
      h = std::stoi(t.substr(11, 2)), mi = std::stoi(t.substr(14, 2));
  if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59) return false;
  *out = {y, mo, d, h, mi, 0};
  return true;
}

inline uint32_t HexOr0(const std::string& s) {
  if (s.empty()) return 0;
  uint32_t v = 0;
  for (char c : s) {
    int d = (c >= '0' && c <= '9')   ? c - '0'
            : (c >= 'A' && c <= 'F') ? c - 'A' + 10
            : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                     : -1;
    if (d < 0) return 0;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return v;
}

inline uint32_t DecimalOr0(const std::string& s) {
  if (s.empty()) return 0;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  return static_cast<uint32_t>(v);
}

inline std::string Cut(const std::string& s, size_t from, size_t n) {
  return from < s.size() ? s.substr(from, n) : std::string();
}

inline bool Matches(const SearchQuery& q, const std::string& lowerName, uint32_t size, uint8_t attr,
                    const std::string& date) {
  using M = SearchMode;
  if (q.mode == M::NameSearch) {
    std::vector<std::string> frags = Fragments(q.text, q.hasSlash);
    bool pass = q.andMode;
    for (const std::string& f : frags) {
      bool hit = FragmentHit(lowerName, f, q.head);
      if (q.andMode && !hit) pass = false;
      if (!q.andMode && hit) pass = true;
    }
    if (!pass) return false;
  }
  if (q.dateOn && (q.mode == M::NameSearch || q.mode == M::DateSearch)) {
    if (date.rfind("yy", 0) == 0) return false;
    std::tuple<int, int, int, int, int, int> d;
    if (!ReadDate(date, &d)) return false;  // unreadable: outside the range
    auto from = std::make_tuple(q.dateFrom.year, q.dateFrom.month, q.dateFrom.day,
                                q.dateFrom.hour, q.dateFrom.minute, q.dateFrom.second);
    auto to = std::make_tuple(q.dateTo.year, q.dateTo.month, q.dateTo.day, q.dateTo.hour,
                              q.dateTo.minute, q.dateTo.second);
    if (d < from || d > to) return false;
  }
  if (q.sizeOn && (q.mode == M::NameSearch || q.mode == M::SizeSearch)) {
    bool ok = q.sizeRelation == SizeRelation::Smaller  ? size <= q.sizeLowKB
              : q.sizeRelation == SizeRelation::Larger ? size >= q.sizeLowKB
                                                       : q.sizeLowKB <= size && size <= q.sizeHighKB;
    if (!ok) return false;
  }
  if (q.mode == M::NameSearch || q.mode == M::AttributeSearch) {
    bool s = attr & 1, h = attr & 2, r = attr & 4;
    if (!s && !h && !r) return q.mode == M::NameSearch;
    if (q.attrSH) return s && h;
    return (q.attrS && s) || (q.attrH && h) || (q.attrR && r);
  }
  return true;
}

// A drive restriction leaves out each entry whose folder path does not begin
// with one of the letters, line by line.
inline Result Scan(const SearchList& list, const SearchQuery& q, int32_t folderIcon = 0,
                   int32_t fileIcon = 0) {
  Result res;
  if (q.text.empty()) return res;
  const size_t limit = static_cast<size_t>(q.hitLimit < 0 ? 0 : q.hitLimit);
  const bool lastWrite = q.dateKind == DateKind::LastWrite;
  auto letterOf = [](std::string_view path) {
    char c = path[0];
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  };
  auto allowed = [&](char letter) { return q.drives.find(letter) != std::string::npos; };
  auto recycled = [](std::string_view path) {
    return path.size() >= 2 && path.substr(1).rfind(":\\Recycled", 0) == 0;
  };
  auto add = [&](HitRecord r) {
    ++res.totalMatches;
    if (res.hits.size() < limit) {
      res.hits.push_back(std::move(r));
    } else {
      res.withinLimit = false;
    }
  };
  auto info = [](const InfoLines& l, size_t i, bool lw, std::string* date, uint8_t* attr,
                 uint32_t* size) {
    std::string t = l.text(i);
    *date = Cut(t, lw ? 16 : 0, 16);
    *attr = static_cast<uint8_t>(HexOr0(Cut(t, 32, 2)));
    *size = DecimalOr0(Cut(t, 34, 16));
  };

  if (q.folders) {
    size_t i = 0;
    while (i < list.FolderList.size()) {
      if (!res.withinLimit && q.maxstop) break;
      std::string path(list.FolderList.path(i));
      if (path.empty()) {
        ++i;
        continue;
      }
      if (!q.drives.empty() && !allowed(letterOf(path))) {
        ++i;
        continue;
      }
      if (!q.recy && recycled(path)) {
        ++i;
        continue;
      }
      std::string name(LastComponent(path));
      if (name.empty()) {
        ++i;
        continue;
      }
      std::string date;
      uint8_t attr;
      uint32_t size;
      info(list.FolderInfoList, i, lastWrite, &date, &attr, &size);
      if (Matches(q, Lowered(name), 0, attr, date)) {
        HitRecord r;
        r.Path = path;
        r.Name = name;
        r.DateText = date;
        r.SizeKB = 0;
        r.AttrCode = attr;
        r.ListLine = static_cast<int32_t>(i);
        r.Kind = kKindFolder;
        r.ImageIndex = folderIcon;
        add(std::move(r));
      }
      ++i;
    }
  }
  if (q.files) {
    size_t j = 0;
    while (j < list.FileList.size()) {
      if (!res.withinLimit && q.maxstop) break;
      uint32_t f = list.FileList.folder(j);
      if (f == FileLines::kBrokenLine || f >= list.FolderList.size()) {
        ++j;  // a broken line is passed over
        continue;
      }
      std::string folder(list.FolderList.path(f));
      if (folder.empty()) {
        ++j;
        continue;
      }
      if (!q.drives.empty() && !allowed(letterOf(folder))) {
        ++j;
        continue;
      }
      if (!q.recy && recycled(folder)) {
        ++j;
        continue;
      }
      std::string name(list.FileList.name(j));
      std::string date;
      uint8_t attr;
      uint32_t size;
      info(list.FileInfoList, j, lastWrite, &date, &attr, &size);
      if (Matches(q, Lowered(name), size, attr, date)) {
        HitRecord r;
        r.Path = JoinPath(folder, name);
        r.Name = name;
        r.DateText = date;
        r.SizeKB = size;
        r.AttrCode = attr;
        r.ListLine = static_cast<int32_t>(j);
        r.Kind = kKindFile;
        r.ImageIndex = fileIcon;
        add(std::move(r));
      }
      ++j;
    }
  }
  return res;
}

}  // namespace filvex::reference
