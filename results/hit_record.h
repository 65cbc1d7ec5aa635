#pragma once
// One row of the result list, and the ordered list of rows. Row i of the
// virtual list view shows record i; the view stores nothing itself.

#include <cstdint>
#include <string>
#include <vector>

#include "searchlist/search_list.h"

namespace filvex {

constexpr int32_t kKindFolder = 0;
constexpr int32_t kKindFile = 1;
constexpr int32_t kKindDrive = 2;

struct HitRecord {
  std::string Path;           // full path; a drive's root such as C:\ ; never empty
  std::string Name;           // name without path; a drive's display name
  std::string DateText;       // "yyyy/mm/dd hh:nn" or empty
  std::string TypeName;       // shell type name, empty until an icon look-up fills it
  uint32_t SizeKB = 0;        // as the search list stores it; 0 for folders
  uint8_t AttrCode = 0;       // the kCode* bits of searchlist/search_list.h
  int32_t ListLine = -1;      // line in FolderList/FileList; -1 when not from the search list
  int32_t Kind = kKindFile;   // kKindFolder, kKindFile, kKindDrive
  int32_t OverlayIndex = -1;  // -1 none, 0 shared folder, 1 shortcut
  int32_t ImageIndex = 0;     // icon in the system image lists
  bool IconSet = false;       // the icon (and type name) has been fetched
  bool Unknown = false;       // found missing ("不明")
};

using HitList = std::vector<HitRecord>;

// The records a search writes for folder line i and file line j of the search
// list: the date text is the created (lastWrite false) or last-write one; a
// folder's size is 0. Both start with no overlay and the default icon given.
HitRecord FolderHitRecord(const SearchList& list, size_t i, bool lastWrite, int32_t imageIndex);
HitRecord FileHitRecord(const SearchList& list, size_t j, bool lastWrite, int32_t imageIndex);

}  // namespace filvex
