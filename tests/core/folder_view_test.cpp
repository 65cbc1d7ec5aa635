// Rows made from directory entries and drives, the attribute boxes of the
// folder view, and where going up one folder leads.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "results/folder_view.h"
#include "searchlist/search_list.h"

namespace filvex {
namespace {

DirEntry Entry(uint32_t attributes, uint64_t size) {
  DirEntry e;
  e.attributes = attributes;
  e.size = size;
  e.name = "x";
  std::memcpy(e.written, "2024/01/02 03:04", kDateTextLen);  // no terminator
  std::memcpy(e.created, "1999/09/09 09:09", kDateTextLen);
  return e;
}

TEST(EntryRows, NewRecordsComeFromTheEntryItself) {
  struct Case {
    uint32_t attributes;
    uint64_t size;
    bool isFile;
    int32_t kind, image;
    uint32_t sizeKB;
    uint8_t code;
  } cases[] = {
      {kAttrArchive, 0, true, kKindFile, 7, 0, kCodeArchive},
      {kAttrArchive, 1, true, kKindFile, 7, 1, kCodeArchive},
      {kAttrArchive | kAttrHidden, 5000, true, kKindFile, 7, 4, kCodeArchive | kCodeHidden},
      {kAttrArchive, uint64_t{5} << 42, true, kKindFile, 7, 0xFFFFFFFFu, kCodeArchive},
      // A folder's size is never shown, whatever the entry reports.
      {kAttrDirectory, 4096, false, kKindFolder, 3, 0, kCodeDirectory},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    const HitRecord r = NewEntryRecord("C:\\x", Entry(c.attributes, c.size), c.isFile,
                                       /*fileIcon=*/7, /*folderIcon=*/3);
    EXPECT_EQ(r.Path, "C:\\x");
    EXPECT_EQ(r.Name, "x");
    EXPECT_EQ(r.Kind, c.kind);
    EXPECT_EQ(r.ImageIndex, c.image);
    EXPECT_EQ(r.OverlayIndex, -1);
    EXPECT_EQ(r.SizeKB, c.sizeKB);
    EXPECT_EQ(r.AttrCode, c.code);
    EXPECT_EQ(r.DateText, "2024/01/02 03:04") << "the last-write time, not the creation";
    EXPECT_EQ(r.ListLine, -1);
    EXPECT_FALSE(r.IconSet);
    EXPECT_FALSE(r.Unknown);
    EXPECT_TRUE(r.TypeName.empty());
  }
}

TEST(EntryRows, RewritingARowKeepsItsKindIconAndType) {
  // A pasted file already listed: its row takes the new entry's figures and
  // loses the missing mark; its kind and type name stay, and the icon is the
  // caller's to set.
  HitRecord r;
  r.Path = "C:\\old";
  r.Kind = kKindFile;
  r.ImageIndex = 42;
  r.OverlayIndex = 1;
  r.TypeName = "テキスト ドキュメント";
  r.IconSet = true;
  r.Unknown = true;
  r.ListLine = 17;
  WriteEntryRecord(r, "C:\\x", Entry(kAttrArchive, 2048), /*isFile=*/true);
  EXPECT_EQ(r.Path, "C:\\x");
  EXPECT_EQ(r.SizeKB, 2u);
  EXPECT_EQ(r.ListLine, -1);
  EXPECT_FALSE(r.Unknown);
  EXPECT_FALSE(r.IconSet) << "the icon is looked up again";
  EXPECT_EQ(r.Kind, kKindFile);
  EXPECT_EQ(r.ImageIndex, 42);
  EXPECT_EQ(r.TypeName, "テキスト ドキュメント");
}

TEST(FolderViewBoxes, AnEntryShowsOnlyWhenEachOfItsAttributesIsTicked) {
  const AttributeBoxes none{false, false, false}, all{true, true, true};
  const AttributeBoxes onlyH{false, true, false}, defaults{};
  struct Case {
    uint32_t attributes;
    AttributeBoxes boxes;
    bool shown;
  } cases[] = {
      {kAttrArchive, none, true},
      {kAttrDirectory | kAttrArchive, none, true},
      {kAttrHidden, none, false},
      {kAttrHidden, onlyH, true},
      {kAttrHidden | kAttrSystem, onlyH, false},
      {kAttrHidden | kAttrSystem, all, true},
      {kAttrReadOnly, defaults, true},  // R is ticked at start
      {kAttrReadOnly | kAttrHidden, defaults, false},
      {kAttrSystem, defaults, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.attributes);
    EXPECT_EQ(PassesAttributeBoxes(c.attributes, c.boxes), c.shown);
  }
}

TEST(GoingUp, ParentAndTheRowToSelect) {
  // ソ and 表 end in the byte 0x5C, which is no separator there.
  const std::string so = "\x83\x5C", hyo = "\x95\x5C";
  struct Case {
    std::string current, parent, name;
  } cases[] = {
      {"C:\\Data\\Sub", "C:\\Data", "Sub"},
      {"C:\\Data", "C:\\", "Data"},
      {"C:\\Data\\", "C:\\", "Data"},
      {"C:\\", "", "C:\\"},  // a root: the drive list, where no row is named C:\ .
      {"C:", "", "C:"},
      {"", "", ""},
      {"C:\\" + hyo + "\\Sub", "C:\\" + hyo, "Sub"},
      {"C:\\Data\\" + hyo, "C:\\Data", hyo},
      {"C:\\" + so, "C:\\", so},
      {"C:\\" + so + "\\", "C:\\", so},
      {"\\\\server\\share\\Sub", "\\\\server\\share", "Sub"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.current);
    const FolderUp up = GoingUpFrom(c.current);
    EXPECT_EQ(up.parent, c.parent);
    EXPECT_EQ(up.name, c.name);
  }
}

TEST(DriveRows, RootNameCapacityAndOwnIcon) {
  struct Case {
    uint64_t total;
    uint32_t sizeKB;
  } cases[] = {
      {0, 0},  // unreadable: shows no size
      {1023, 0},
      {uint64_t{1000204886016}, 976762584u},
      {uint64_t{8} << 40, 0xFFFFFFFFu},  // 8 TB: held at the largest size, never wrapped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.total);
    const HitRecord r = DriveRecord("D:", "ローカル ディスク (D:)", c.total, /*imageIndex=*/9);
    EXPECT_EQ(r.Path, "D:\\");
    EXPECT_EQ(r.Name, "ローカル ディスク (D:)");
    EXPECT_EQ(r.SizeKB, c.sizeKB);
    EXPECT_EQ(r.Kind, kKindDrive);
    EXPECT_EQ(r.ImageIndex, 9);
    EXPECT_EQ(r.OverlayIndex, -1);
    EXPECT_TRUE(r.IconSet);
    EXPECT_TRUE(r.DateText.empty());
    EXPECT_EQ(r.AttrCode, 0);
    EXPECT_EQ(r.ListLine, -1);
  }
}

}  // namespace
}  // namespace filvex
