#pragma once
// The rows of the folder view and the drive list, made from what the file
// system reports, and the path rules of going up one folder. Portable: the
// window code (folder_view_win.cpp) hands in directory entries and drive
// figures and shows the records made here.

#include <cstdint>
#include <string>
#include <string_view>

#include "results/hit_record.h"
#include "searchlist/list_builder.h"

namespace filvex {

// Rewrites the fields of r that come from a directory entry: Path, Name (as
// the enumeration returned it), the last-write date text, the attribute code,
// the size in KB as the search list stores it (0 for a folder), ListLine -1,
// and IconSet and Unknown cleared. Kind, the icon and the type name are left
// alone: a row rewritten in place (after a paste) keeps what it had.
void WriteEntryRecord(HitRecord& r, const std::string& path, const DirEntry& entry, bool isFile);

// A new row for a directory entry: WriteEntryRecord, Kind file or folder,
// the default icon of a file or folder and no overlay. The one way the folder
// view, the pickup list view and paste make a row from an entry.
HitRecord NewEntryRecord(const std::string& path, const DirEntry& entry, bool isFile,
                         int32_t fileIcon, int32_t folderIcon);

// States of the attribute boxes S, H and R of the search panel.
struct AttributeBoxes {
  bool system = false;
  bool hidden = false;
  bool readOnly = true;
};

// Whether an entry with these file attributes is listed in the folder view:
// an entry that is system, hidden or read-only only when the box of each of
// these attributes it has is checked. The SH box plays no part.
bool PassesAttributeBoxes(uint32_t attributes, const AttributeBoxes& boxes);

// Where going up from a folder leads. parent is the folder to show next
// (empty: the drive list); name is the row to select there: the folder just
// left, or for a drive root the root itself (which no drive row is named, so
// nothing gets selected).
struct FolderUp {
  std::string parent;
  std::string name;
};
// C:\Data\Sub gives C:\Data and Sub; C:\Data gives C:\ and Data; C:\ and C:
// give the drive list. A trailing "\" after a folder name is dropped first
// (C:\Data\ goes up to C:\ like C:\Data). The trail byte 0x5C of a
// double-byte character is never taken for a separator.
FolderUp GoingUpFrom(std::string_view currentFolder);

// The row of a drive in the drive list: Path is the root (drive and "\"),
// Name the shell's display name, the total capacity in KB (at most the
// largest 32-bit value, so that a drive of 4 TB or more never shows a small
// wrapped size), no date and no attributes, and the drive's own icon, which
// counts as fetched.
HitRecord DriveRecord(const std::string& drive, const std::string& displayName, uint64_t totalBytes,
                      int32_t imageIndex);

}  // namespace filvex
