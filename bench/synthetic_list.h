#pragma once
// A synthetic search list of realistic shape for the benchmarks: drives C: and
// D:, folders in walk order a few levels deep, about nine files per folder,
// names of everyday lengths with some Japanese (CP932) names among them.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "searchlist/search_list.h"

namespace filvex::bench {

inline void MakeSyntheticList(size_t folders, size_t files, SearchList& out, uint32_t seed = 7) {
  out.clear();
  std::mt19937 rng(seed);
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  static const char* words[] = {"project", "src",    "docs",   "images", "backup", "music",
                                "report",  "2019",   "old",    "temp",   "data",   "module",
                                "photos",  "Windows", "System32", "Program Files", "Users",
                                "\x8E\xCA\x90\x5E",           // 写真
                                "\x95\x5C\x8E\xA6",           // 表示
                                "\x83\x5C\x81\x5B\x83\x58",   // ソース
                                "\x8E\x64\x8E\x96"};          // 仕事
  static const char* exts[] = {".txt", ".jpg", ".png", ".doc", ".xls", ".mp3", ".dll", ".exe",
                               ".htm", ".cpp", ".h",   ".zip", ".pdf", ".ini", ".lnk", ""};
  auto word = [&] { return std::string(words[pick(std::size(words))]); };
  auto date = [&] {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%04u/%02u/%02u %02u:%02u", 1998 + unsigned(pick(27)),
                  1 + unsigned(pick(12)), 1 + unsigned(pick(28)), unsigned(pick(24)),
                  unsigned(pick(60)));
    PackedDate d = 0;
    PackDateText(std::string_view(buf, 16), &d);
    return d;
  };
  // Walk order: a stack of open folder paths; each new folder is a child of
  // some folder on the current path, which keeps paths 2 to 9 levels deep.
  std::vector<std::string> stack;
  size_t filesLeft = files;
  for (size_t i = 0; i < folders; ++i) {
    std::string path;
    if (i == 0 || i == folders / 2) {
      path = i == 0 ? "C:" : "D:";
      stack.assign(1, path);
      out.FolderList.append(path);
      out.FolderInfoList.appendRoot();
    } else {
      size_t keep = 1 + pick(std::min<size_t>(stack.size(), 8));
      stack.resize(keep);
      path = stack.back() + "\\" + word() + (pick(3) ? std::to_string(pick(100)) : "");
      stack.push_back(path);
      out.FolderList.append(path);
      out.FolderInfoList.appendDated(date(), date(), 0x10 | (pick(20) ? 0 : 0x02) | 0x20,
                                     /*hasSize=*/false, 0);
    }
    size_t n = (i + 1 == folders) ? filesLeft : std::min(filesLeft, pick(2 * files / folders + 1));
    for (size_t k = 0; k < n; ++k) {
      std::string name = word() + "_" + std::to_string(pick(100000)) + exts[pick(std::size(exts))];
      out.FileList.append(static_cast<uint32_t>(i), name);
      uint8_t attr = 0x10 | (pick(30) ? 0 : 0x04) | (pick(50) ? 0 : 0x02);
      out.FileInfoList.appendDated(date(), date(), attr, /*hasSize=*/true,
                                   static_cast<uint32_t>(pick(5000)));
    }
    filesLeft -= n;
  }
}

}  // namespace filvex::bench
