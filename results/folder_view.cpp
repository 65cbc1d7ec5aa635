#include "results/folder_view.h"

#include <cstring>
#include <limits>

#include "searchlist/mbcs.h"
#include "searchlist/search_list.h"

namespace filvex {

void WriteEntryRecord(HitRecord& r, const std::string& path, const DirEntry& entry, bool isFile) {
  r.ListLine = -1;
  r.Path = path;
  r.Name = entry.name;
  r.AttrCode = PackAttributes(entry.attributes);
  r.IconSet = false;
  r.Unknown = false;
  r.SizeKB = isFile ? SizeInKB(entry.size) : 0;
  // The date field holds exactly the 16 characters, with no terminator.
  r.DateText.assign(entry.written, strnlen(entry.written, kDateTextLen));
}

HitRecord NewEntryRecord(const std::string& path, const DirEntry& entry, bool isFile,
                         int32_t fileIcon, int32_t folderIcon) {
  HitRecord r;
  WriteEntryRecord(r, path, entry, isFile);
  r.Kind = isFile ? kKindFile : kKindFolder;
  r.ImageIndex = isFile ? fileIcon : folderIcon;
  r.OverlayIndex = -1;
  return r;
}

bool PassesAttributeBoxes(uint32_t attributes, const AttributeBoxes& boxes) {
  if ((attributes & kAttrSystem) && !boxes.system) return false;
  if ((attributes & kAttrHidden) && !boxes.hidden) return false;
  if ((attributes & kAttrReadOnly) && !boxes.readOnly) return false;
  return true;
}

FolderUp GoingUpFrom(std::string_view current) {
  // A folder written with a trailing "\" (but not a root such as C:\) is the
  // same folder without it; otherwise its last component would be empty and
  // going up would show the same folder again.
  if (EndsWithSeparator(current) && current.size() > 1) {
    const std::string_view shorter = current.substr(0, current.size() - 1);
    if (!shorter.empty() && !LastComponent(shorter).empty()) current = shorter;
  }
  FolderUp up;
  up.parent = std::string(ContainingFolder(current));
  up.name = std::string(LastComponent(current));
  if (up.name.empty()) up.name = up.parent;
  if (up.parent == current) up.parent.clear();
  return up;
}

HitRecord DriveRecord(const std::string& drive, const std::string& displayName, uint64_t totalBytes,
                      int32_t imageIndex) {
  HitRecord r;
  r.Path = drive + "\\";
  r.Name = displayName;
  const uint64_t kb = totalBytes / 1024;
  r.SizeKB = kb > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                       : static_cast<uint32_t>(kb);
  r.AttrCode = 0;
  r.ListLine = -1;
  r.ImageIndex = imageIndex;
  r.OverlayIndex = -1;
  r.Kind = kKindDrive;
  r.IconSet = true;
  r.Unknown = false;
  return r;
}

}  // namespace filvex
