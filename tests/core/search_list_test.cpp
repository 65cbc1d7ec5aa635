// The search-list model and its files: formats, round trips, damaged input.

#include <gtest/gtest.h>

#include "searchlist/list_files.h"
#include "searchlist/mbcs.h"
#include "searchlist/search_list.h"
#include "tests/core/test_util.h"

namespace filvex {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> v;
  ForEachLine(text, [&](std::string_view l) { v.emplace_back(l); });
  return v;
}

TEST(ListLines, EveryLineEndIsHonoured) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"\n\n", {"", ""}},
      {"\r\n\r\n", {"", ""}},
      {"a\r\r\n", {"a", ""}},
      {"a\n\rb", {"a", "", "b"}},
      {std::string("x\0y\r\n", 5), {std::string("x\0y", 3)}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(c.text), c.lines) << c.text;
}

TEST(InfoLines, WellFormedLinesRoundTripAndReadByPosition) {
  struct Case {
    std::string line;
    uint8_t attr;
    uint32_t size;
  } cases[] = {
      {"2003/07/14 09:052003/07/15 10:0020", 0x20, 0},
      {"2003/07/14 09:052003/07/15 10:00160", 0x16, 0},
      {"2003/07/14 09:052003/07/15 10:00084294967295", 0x08, 4294967295u},
      {"1900/01/01 00:001900/01/01 00:003F12", 0x3F, 12},
      {"yyyy/mm/dd hh:nnyyyy/mm/dd hh:nn00", 0, 0},
      {"", 0, 0},
      // Hand-edited forms are kept as typed and still read by position.
      {"2003/07/14 09:052003/07/15 10:0016007", 0x16, 7},
      {"2003/07/14 09:052003/07/15 10:00ab5", 0xAB, 5},
      {"2003/13/14 09:052003/07/15 10:00105", 0x10, 5},
      {"2003/07/14 09:052003/07/15 10:00ZZ5", 0, 5},
      {"2003/07/14 09:052003/07/15 10:0010x", 0x10, 0},
      {"short", 0, 0},
      {"2003/07/14 09:052003/07/15 10:001", 0x1, 0},
      {"2003/07/14 09:052003/07/15 10:00109999999999", 0x10, static_cast<uint32_t>(9999999999ull)},
  };
  InfoLines info;
  for (const auto& c : cases) info.appendText(c.line);
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(info.text(i), cases[i].line);
    EXPECT_EQ(info.attr(i), cases[i].attr) << cases[i].line;
    EXPECT_EQ(info.sizeKB(i), cases[i].size) << cases[i].line;
  }
  char d[16];
  ASSERT_EQ(info.dateText(0, /*lastWrite=*/false, d), 16u);
  EXPECT_EQ(std::string(d, 16), "2003/07/14 09:05");
  ASSERT_EQ(info.dateText(0, /*lastWrite=*/true, d), 16u);
  EXPECT_EQ(std::string(d, 16), "2003/07/15 10:00");
  ASSERT_EQ(info.dateText(4, /*lastWrite=*/false, d), 16u);
  EXPECT_EQ(std::string(d, 16), "yyyy/mm/dd hh:nn");
  EXPECT_EQ(info.dateText(11, /*lastWrite=*/false, d), 5u);
  EXPECT_EQ(info.dateText(11, /*lastWrite=*/true, d), 0u);
  // Out of range reads as an empty line.
  EXPECT_EQ(info.attr(999), 0);
  EXPECT_EQ(info.text(999), "");
}

TEST(FileLines, FolderNumberAndNameAreSplitAtTheFirstEqualsSign) {
  struct Case {
    std::string line;
    uint32_t folder;
    std::string name;
  } cases[] = {
      {"12=readme.txt", 12, "readme.txt"},
      {"7=a=b.txt", 7, "a=b.txt"},
      {"0=x", 0, "x"},
      {"=x", FileLines::kBrokenLine, "=x"},
      {"x", FileLines::kBrokenLine, "x"},
      {"007=x", FileLines::kBrokenLine, "007=x"},
      {"1a=x", FileLines::kBrokenLine, "1a=x"},
      {"99999999999=x", FileLines::kBrokenLine, "99999999999=x"},
      {"3=", 3, ""},
  };
  FileLines files;
  for (const auto& c : cases) files.appendText(c.line);
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(files.folder(i), cases[i].folder) << cases[i].line;
    EXPECT_EQ(files.name(i), cases[i].name) << cases[i].line;
    EXPECT_EQ(files.text(i), cases[i].line);
  }
}

// A name's own bytes are kept only where lowering changes them, and its
// length comes from the "\n" that ends it; both must survive erasing lines,
// copying the list and appending a name taken from the list itself.
TEST(FileLines, NamesKeepTheirOwnBytesThroughEraseAndCopy) {
  const std::string names[] = {
      "readme.txt",   "ReadMe.TXT", "",
      "\x95\x5C.txt",
      "\x82\x60.TXT",  // Ａ.TXT
      "a=B",          "x",          "Program Files_1.htm",
  };
  FileLines files;
  for (size_t i = 0; i < std::size(names); ++i) files.append(static_cast<uint32_t>(i), names[i]);
  files.appendText("Broken Line");
  files.append(9, files.name(1));  // from the list itself
  std::vector<std::string> want(std::begin(names), std::end(names));
  want.push_back("Broken Line");
  want.push_back("ReadMe.TXT");
  auto check = [](const FileLines& f, const std::vector<std::string>& w, const char* when) {
    ASSERT_EQ(f.size(), w.size()) << when;
    for (size_t i = 0; i < w.size(); ++i) {
      EXPECT_EQ(f.name(i), w[i]) << when << " " << i;
      EXPECT_EQ(f.lowerName(i), Lowered(w[i])) << when << " " << i;
      const std::string_view buf = f.lowerNameBuffer();
      EXPECT_EQ(buf.substr(f.lowerNameOffset(i), w[i].size() + 1), Lowered(w[i]) + "\n")
          << when << " " << i;
      EXPECT_EQ(f.lineAtLowerOffset(f.lowerNameOffset(i)), i) << when << " " << i;
    }
  };
  check(files, want, "appended");
  const FileLines copy = files;
  files.erase(1);
  want.erase(want.begin() + 1);
  check(files, want, "one erased");
  files.eraseLines({0, 2, 3, 8});
  for (size_t k : {8, 3, 2, 0}) want.erase(want.begin() + static_cast<ptrdiff_t>(k));
  check(files, want, "four erased");
  // The last line was erased: new names follow the bytes it left behind.
  files.append(4, "New.TXT");
  files.append(5, "new2");
  want.push_back("New.TXT");
  want.push_back("new2");
  check(files, want, "appended after erasing");
  files.erase(files.size() - 2);
  want.erase(want.end() - 2);
  check(files, want, "next to last erased");
  EXPECT_EQ(copy.name(1), "ReadMe.TXT");
  EXPECT_EQ(copy.text(8), "Broken Line");
  EXPECT_EQ(copy.text(5), "5=a=B");
  FileLines moved = std::move(files);
  check(moved, want, "moved");
  moved.clear();
  EXPECT_EQ(moved.name(0), "");
  EXPECT_EQ(moved.lowerNameBuffer(), "");
}

TEST(FolderLines, NamesAreLastComponentsLowerCasedOnce) {
  FolderLines f;
  f.append("C:");
  f.append("C:\\Windows");
  f.append("C:\\Data\\\x95\x5C");  // 表: trail byte 0x5C is not a separator
  f.append("");
  f.append("d:\\Recycled\\X");
  f.append("C:\\RecycledData");
  f.append("C:\\Data\\Recycled");
  EXPECT_EQ(f.name(0), "");
  EXPECT_EQ(f.name(1), "Windows");
  EXPECT_EQ(f.lowerName(1), "windows");
  EXPECT_EQ(f.name(2), "\x95\x5C");
  EXPECT_EQ(f.driveLetter(3), 0);
  EXPECT_EQ(f.driveLetter(4), 'D');
  EXPECT_FALSE(f.isRecycled(1));
  EXPECT_TRUE(f.isRecycled(4));
  EXPECT_TRUE(f.isRecycled(5));
  EXPECT_FALSE(f.isRecycled(6));
  std::string_view buf = f.lowerNameBuffer();
  size_t pos = buf.find("windows");
  EXPECT_EQ(f.lineAtLowerOffset(pos), 1u);
  EXPECT_EQ(f.lineAtLowerOffset(f.lowerNameOffset(6)), 6u);
}

TEST(SearchList, FilePathsJoinFolderAndName) {
  SearchList l;
  l.FolderList.append("C:");
  l.FolderList.append("C:\\Data");
  l.FileList.append(0, "boot.ini");
  l.FileList.append(1, "a.txt");
  l.FileList.appendText("9=out-of-range");
  EXPECT_EQ(FileEntryPath(l, 0), "C:\\boot.ini");
  EXPECT_EQ(FileEntryPath(l, 1), "C:\\Data\\a.txt");
  EXPECT_EQ(FileEntryPath(l, 2), "");
}

TEST(SearchList, CountsFollowDriveRunsAndSkipBrokenLines) {
  SearchList l;
  for (const char* p : {"C:", "C:\\a", "c:\\b", "D:", "D:\\x"}) l.FolderList.append(p);
  l.FileList.append(0, "1");
  l.FileList.append(2, "2");
  l.FileList.appendText("bad");
  l.FileList.append(4, "3");
  l.FileList.append(77, "4");
  DriveCounts folders, files;
  CountEntriesPerDrive(l, folders, files);
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders.entries()[0].letter, 'C');
  EXPECT_EQ(folders.entries()[0].count, 3u);
  EXPECT_EQ(folders.countOf('D'), 2u);
  EXPECT_EQ(files.countOf('C'), 2u);
  EXPECT_EQ(files.countOf('D'), 1u);
  EXPECT_EQ(files.countOf('E'), 0u);
}

TEST(Attributes, PackedCodeAndSizeInKB) {
  EXPECT_EQ(PackAttributes(0x01 | 0x02 | 0x20), 0x16);  // read-only, hidden, archive
  EXPECT_EQ(PackAttributes(0x04 | 0x02 | 0x10), 0x23);  // system, hidden, directory
  EXPECT_EQ(PackAttributes(0x80), 0x08);
  EXPECT_EQ(PackAttributes(0x400 | 0x10), 0x20);  // reparse bit is dropped
  struct {
    uint64_t bytes;
    uint32_t kb;
  } sizes[] = {{0, 0},       {1, 1},       {1023, 1}, {1024, 1}, {2047, 1}, {2048, 2},
               {1ull << 42, 0xFFFFFFFFu}};  // 4 TB: largest value, never a wrap to 0
  for (auto s : sizes) EXPECT_EQ(SizeInKB(s.bytes), s.kb) << s.bytes;
}

TEST(Dates, PackedDatesOrderAsTheirTexts) {
  const char* texts[] = {"1601/01/01 00:00", "1900/01/01 00:00", "2003/07/14 09:05",
                         "2003/07/14 09:06", "2003/12/01 00:00", "5695/12/31 23:59"};
  PackedDate prev = 0;
  for (const char* t : texts) {
    PackedDate d;
    ASSERT_TRUE(PackDateText(t, &d)) << t;
    EXPECT_GT(d, prev) << t;
    prev = d;
    char out[16];
    UnpackDateText(d, out);
    EXPECT_EQ(std::string(out, 16), t);
  }
  PackedDate d;
  for (const char* bad : {"2003/7/14 09:05x", "2003-07-14 09:05", "2003/00/14 09:05",
                          "2003/07/14 24:00", "1599/01/01 00:00", "2003/07/14 09:0"})
    EXPECT_FALSE(PackDateText(bad, &d)) << bad;
}

struct ListFilesTest : ::testing::Test {
  std::string dir = test::MakeScratchFolder("listfiles");
  std::string path(const char* name) { return DataFilePath(dir, name); }
  void writeAll(std::string_view folders, std::string_view files, std::string_view info1,
                std::string_view info2) {
    test::WriteFile(path(ListFileNames::kFolders), folders);
    test::WriteFile(path(ListFileNames::kFiles), files);
    test::WriteFile(path(ListFileNames::kFolderInfo), info1);
    test::WriteFile(path(ListFileNames::kFileInfo), info2);
  }
};

TEST_F(ListFilesTest, SavedFilesReadBackByteForByte) {
  const std::string folders = "C:\r\nC:\\Data\r\n\r\nC:\\\x83\x5C\x83\x74\x83\x67\r\n";
  const std::string files = "0=boot.ini\r\n1=a=b.txt\r\nbroken line\r\n3=\x95\x5C.txt\r\n";
  const std::string info1 =
      "yyyy/mm/dd hh:nnyyyy/mm/dd hh:nn00\r\n2003/07/14 09:052003/07/15 10:0030\r\n\r\n"
      "2003/07/14 09:052003/07/15 10:0020\r\n";
  const std::string info2 =
      "2003/07/14 09:052003/07/15 10:00160\r\n2003/07/14 09:052003/07/15 10:00081\r\n"
      "hand edited\r\n2003/07/14 09:052003/07/15 10:00204294967295\r\n";
  writeAll(folders, files, info1, info2);
  SearchList l;
  ASSERT_TRUE(LoadListFiles(dir, l));
  EXPECT_EQ(l.FolderList.size(), 4u);
  EXPECT_EQ(l.FileList.size(), 4u);
  DriveCounts fc, ic;
  fc.add('C', 4);
  ic.add('C', 3);
  std::string out = test::MakeScratchFolder("listfiles-out");
  ASSERT_TRUE(SaveListFiles(out, l, fc, ic));
  EXPECT_EQ(test::ReadFile(DataFilePath(out, ListFileNames::kFolders)), folders);
  EXPECT_EQ(test::ReadFile(DataFilePath(out, ListFileNames::kFiles)), files);
  EXPECT_EQ(test::ReadFile(DataFilePath(out, ListFileNames::kFolderInfo)), info1);
  EXPECT_EQ(test::ReadFile(DataFilePath(out, ListFileNames::kFileInfo)), info2);
  EXPECT_EQ(test::ReadFile(DataFilePath(out, ListFileNames::kFolderCounts)), "C=4\r\n");
  EXPECT_EQ(test::ReadFile(DataFilePath(out, ListFileNames::kFileCounts)), "C=3\r\n");
}

TEST_F(ListFilesTest, MixedLineEndsAreReadAndWrittenAsCrLf) {
  writeAll("C:\nC:\\a\rC:\\b", "0=x\n2=y", "\r\n\n\r", "x\ny");
  SearchList l;
  ASSERT_TRUE(LoadListFiles(dir, l));
  EXPECT_EQ(FolderLinesText(l.FolderList), "C:\r\nC:\\a\r\nC:\\b\r\n");
  EXPECT_EQ(FileLinesText(l.FileList), "0=x\r\n2=y\r\n");
  EXPECT_EQ(l.FolderInfoList.size(), 3u);
  EXPECT_EQ(l.FileInfoList.size(), 2u);
}

// The list files are read a piece at a time: lines cut by the end of a
// piece, a CR LF split between two pieces, a lone CR at the end of one and a
// line longer than a piece must read exactly as the whole text does.
TEST_F(ListFilesTest, FilesLargerThanOnePieceReadAsTheWholeText) {
  constexpr size_t kPiece = kListReadPiece;
  std::string files, info;
  uint32_t n = 0;
  auto add = [&](std::string_view name, std::string_view end) {
    files += std::to_string(n % 3) + "=" + std::string(name);
    files += end;
    info += "2003/07/14 09:052003/07/15 10:0010" + std::to_string(n) + "\r\n";
    ++n;
  };
  // Pad so that the CR of a CR LF is the last byte of the first piece.
  while (files.size() < kPiece - 40) add("Name_" + std::to_string(n) + ".TXT", "\r\n");
  // The unfinished line from here on is carried over, and the second piece
  // fills the buffer up: it ends at kPiece + padStart.
  const size_t padStart = files.size();
  const std::string head = "0=pad";
  files += head + std::string(kPiece - 1 - files.size() - head.size(), 'p');
  files += "\r\n";
  info += "2003/07/14 09:052003/07/15 10:0010\r\n";
  ++n;
  // A lone CR then a LF alone: two lines, around the second piece's end.
  while (files.size() < kPiece + padStart - 40) add("lower_" + std::to_string(n), "\n");
  const std::string head2 = "1=lone";
  files += head2 + std::string(kPiece + padStart - 1 - files.size() - head2.size(), 'q') + "\r";
  info += "2003/07/14 09:052003/07/15 10:0010\r\n";
  ++n;
  add("", "\n");
  add(std::string(3 * kPiece, 'L'), "\r\n");  // longer than a piece
  add("Last.Without.End", "");
  writeAll("C:\r\nC:\\a\r\nC:\\b\r\n", files, std::string(kRootInfoLine) + "\r\n\r\n\r\n", info);
  SearchList l;
  ASSERT_TRUE(LoadListFiles(dir, l));
  FileLines whole;
  ParseFileLines(files, whole);
  ASSERT_EQ(l.FileList.size(), n);
  ASSERT_EQ(whole.size(), n);
  for (size_t i = 0; i < n; ++i) {
    ASSERT_EQ(l.FileList.text(i), whole.text(i)) << i;
    ASSERT_EQ(l.FileList.lowerName(i), whole.lowerName(i)) << i;
  }
  EXPECT_EQ(l.FileList.lowerNameBuffer(), whole.lowerNameBuffer());
  EXPECT_EQ(FileLinesText(l.FileList), FileLinesText(whole));
  EXPECT_EQ(InfoLinesText(l.FileInfoList), info);
  // What the loader reserved ahead is given back.
  EXPECT_LE(l.FileList.memoryBytes(), whole.memoryBytes() + whole.memoryBytes() / 4);
}

// A list whose files disagree, or one of whose files is not a plain file of
// plausible size, is reported as damaged, naming the file; nothing of it is
// loaded and its files stay as they are.
TEST_F(ListFilesTest, DamagedListsAreReportedAndNotLoaded) {
  const std::string folders = "C:\r\nC:\\Data\r\n";
  const std::string info1 =
      std::string(kRootInfoLine) + "\r\n2003/07/14 09:052003/07/15 10:0010\r\n";
  const std::string files = "0=boot.ini\r\n1=a.txt\r\n1=b.txt\r\n";
  const std::string info2 =
      "2003/07/14 09:052003/07/15 10:00161\r\n2003/07/14 09:052003/07/15 10:00102\r\n"
      "2003/07/14 09:052003/07/15 10:00103\r\n";
  enum Stand { Text, Folder, Pipe, Huge };
  struct Case {
    const char* what;
    const char* file;  // the file that is replaced
    Stand stand;
    std::string text;  // its text (Text only)
    ListDamage damage;
    const char* named;  // the file the result names
  } cases[] = {
      {"file list cut short by a crash", ListFileNames::kFiles, Text, "0=boot.ini\r\n1=a.t",
       ListDamage::LineCountsDiffer, ListFileNames::kFileInfo},
      {"CR CR LF in the folder list", ListFileNames::kFolders, Text, "C:\r\r\nC:\\Data\r\n",
       ListDamage::LineCountsDiffer, ListFileNames::kFolderInfo},
      {"CR CR LF in the file information", ListFileNames::kFileInfo, Text,
       "2003/07/14 09:052003/07/15 10:00161\r\r\n2003/07/14 09:052003/07/15 10:00102\r\n"
       "2003/07/14 09:052003/07/15 10:00103\r\n",
       ListDamage::LineCountsDiffer, ListFileNames::kFileInfo},
      {"folder information a line short", ListFileNames::kFolderInfo, Text,
       std::string(kRootInfoLine) + "\r\n", ListDamage::LineCountsDiffer,
       ListFileNames::kFolderInfo},
      {"a folder named like the file list", ListFileNames::kFiles, Folder, "",
       ListDamage::NotRegularFile, ListFileNames::kFiles},
      {"a pipe named like the folder list", ListFileNames::kFolders, Pipe, "",
       ListDamage::NotRegularFile, ListFileNames::kFolders},
      {"a 100 GB file information", ListFileNames::kFileInfo, Huge, "", ListDamage::TooLarge,
       ListFileNames::kFileInfo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dir = test::MakeScratchFolder("listfiles-damaged");
    writeAll(folders, files, info1, info2);
    const std::string target = path(c.file);
    std::remove(target.c_str());
    bool made = true;
    switch (c.stand) {
      case Text:
        test::WriteFile(target, c.text);
        break;
      case Folder:
        test::MakeFolder(target);
        break;
      case Pipe:
        made = test::MakePipe(target);
        break;
      case Huge:
        made = test::MakeSparseFile(target, test::kHugeFileBytes);
        break;
    }
    if (!made) continue;  // no pipes on Windows
    SearchList l;
    l.FolderList.append("stale");
    const ListFilesResult r = LoadListFiles(dir, l);
    EXPECT_EQ(r.status, ListLoadStatus::Damaged);
    EXPECT_EQ(r.damage, c.damage);
    EXPECT_EQ(r.file, c.named);
    EXPECT_EQ(r.text().rfind(std::string(c.named) + ": ", 0), 0u) << r.text();
    EXPECT_EQ(l.FolderList.size(), 0u);
    EXPECT_EQ(l.FileList.size(), 0u);
    EXPECT_EQ(l.FolderInfoList.size() + l.FileInfoList.size(), 0u);
    // Nothing a user keeps is changed.
    if (c.stand == Text) {
      EXPECT_EQ(test::ReadFile(target), c.text);
    }
    if (c.file != std::string(ListFileNames::kFolders)) {
      EXPECT_EQ(test::ReadFile(path(ListFileNames::kFolders)), folders);
    }
    if (c.stand == Huge) std::remove(target.c_str());
    if (c.stand == Folder) test::RemoveFolder(target);
  }
}

// The information files are read beside the two others, on a thread of
// their own: with several files damaged, the one named is still the first
// in the order sach.txt, sachfile.txt, sachinfo1.txt, sachinfo2.txt.
TEST_F(ListFilesTest, TheFirstDamagedFileInTheirOrderIsNamed) {
  struct Case {
    std::vector<const char*> folders;  // files replaced by a folder of their name
    const char* named;
  } cases[] = {
      {{ListFileNames::kFileInfo, ListFileNames::kFiles}, ListFileNames::kFiles},
      {{ListFileNames::kFileInfo, ListFileNames::kFolderInfo}, ListFileNames::kFolderInfo},
      {{ListFileNames::kFolderInfo, ListFileNames::kFolders}, ListFileNames::kFolders},
      {{ListFileNames::kFileInfo}, ListFileNames::kFileInfo},
  };
  for (const auto& c : cases) {
    dir = test::MakeScratchFolder("listfiles-order");
    writeAll("C:\r\n", "0=a\r\n", std::string(kRootInfoLine) + "\r\n",
             "2003/07/14 09:052003/07/15 10:00161\r\n");
    for (const char* name : c.folders) {
      std::remove(path(name).c_str());
      test::MakeFolder(path(name));
    }
    SearchList l;
    const ListFilesResult r = LoadListFiles(dir, l);
    EXPECT_EQ(r.status, ListLoadStatus::Damaged) << c.named;
    EXPECT_EQ(r.damage, ListDamage::NotRegularFile) << c.named;
    EXPECT_EQ(r.file, c.named);
    EXPECT_EQ(l.FolderList.size() + l.FileList.size() + l.FileInfoList.size(), 0u) << c.named;
    for (const char* name : c.folders) test::RemoveFolder(path(name));
  }
}

TEST_F(ListFilesTest, LineCountMismatchNamesBothFiles) {
  writeAll("C:\r\n", "0=a\r\n0=b\r\n", std::string(kRootInfoLine) + "\r\n", "x\r\n");
  SearchList l;
  const ListFilesResult r = LoadListFiles(dir, l);
  EXPECT_EQ(r.text(),
            "sachinfo2.txt: 1 lines, but sachfile.txt has 2 (they must match line for line)");
  // A file entry whose folder number is out of range is a broken line, not
  // a damaged list: the search passes over it.
  writeAll("C:\r\n", "0=a\r\n7=b\r\n", std::string(kRootInfoLine) + "\r\n", "x\r\ny\r\n");
  EXPECT_TRUE(LoadListFiles(dir, l));
}

TEST_F(ListFilesTest, ThreeOfFourFilesLoadNothing) {
  test::WriteFile(path(ListFileNames::kFolders), "C:\r\n");
  test::WriteFile(path(ListFileNames::kFiles), "0=a\r\n");
  test::WriteFile(path(ListFileNames::kFolderInfo), "");
  SearchList l;
  l.FolderList.append("stale");
  EXPECT_FALSE(LoadListFiles(dir, l));
  EXPECT_EQ(l.FolderList.size(), 0u);
  EXPECT_EQ(l.FileList.size(), 0u);
}

TEST_F(ListFilesTest, FailedSaveKeepsEveryPreviousFile) {
  writeAll("C:\r\n", "0=a\r\n", "x\r\n", "y\r\n");
  test::WriteFile(path(ListFileNames::kFolderCounts), "C=1\r\n");
  SearchList l;
  l.FolderList.append("D:");
  l.FileList.append(0, "new");
  DriveCounts counts;
  counts.add('D', 1);
  // The last file cannot be written (its temporary name is taken by a
  // folder): the five written before it must not replace anything either.
  test::MakeFolder(path(ListFileNames::kFileCounts) + std::string(".tmp"));
  EXPECT_FALSE(SaveListFiles(dir, l, counts, counts));
  EXPECT_EQ(test::ReadFile(path(ListFileNames::kFolders)), "C:\r\n");
  EXPECT_EQ(test::ReadFile(path(ListFileNames::kFiles)), "0=a\r\n");
  EXPECT_EQ(test::ReadFile(path(ListFileNames::kFolderCounts)), "C=1\r\n");
  EXPECT_FALSE(FileExists(path(ListFileNames::kFolders) + std::string(".tmp")));
  // A list file that cannot be replaced (here: a folder stands where it
  // belongs) stops the save before any file is replaced.
  test::RemoveFolder(path(ListFileNames::kFileCounts) + std::string(".tmp"));
  test::MakeFolder(path(ListFileNames::kFileCounts));
  EXPECT_FALSE(SaveListFiles(dir, l, counts, counts));
  EXPECT_EQ(test::ReadFile(path(ListFileNames::kFolders)), "C:\r\n");
  EXPECT_EQ(test::ReadFile(path(ListFileNames::kFileInfo)), "y\r\n");
  EXPECT_EQ(test::ReadFile(path(ListFileNames::kFolderCounts)), "C=1\r\n");
  // A data folder that does not exist fails as a whole.
  EXPECT_FALSE(SaveListFiles(dir + "/missing", l, counts, counts));
}

TEST(DriveCountFiles, OnlyPlainFilesOfPlausibleSizeAreRead) {
  const std::string dir = test::MakeScratchFolder("counts");
  enum Stand { Text, Folder, Pipe, Huge, Nothing };
  struct Case {
    Stand stand;
    FileCheck check;
    size_t counts;
  } cases[] = {
      {Text, FileCheck::Ok, 1},
      {Nothing, FileCheck::Missing, 0},
      {Folder, FileCheck::NotRegularFile, 0},
      {Pipe, FileCheck::NotRegularFile, 0},
      {Huge, FileCheck::TooLarge, 0},
  };
  int k = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(k);
    const std::string path = DataFilePath(dir, std::to_string(k++) + ".txt");
    bool made = true;
    if (c.stand == Text) test::WriteFile(path, "C=4\r\n");
    if (c.stand == Folder) test::MakeFolder(path);
    if (c.stand == Pipe) made = test::MakePipe(path);
    if (c.stand == Huge) made = test::MakeSparseFile(path, test::kHugeFileBytes);
    if (!made) continue;
    DriveCounts counts;
    counts.add('Z', 9);
    EXPECT_EQ(LoadDriveCounts(path, counts), c.check);
    EXPECT_EQ(counts.size(), c.counts);
    EXPECT_EQ(CheckDataFile(path, kSmallFileLimit), c.check);
    if (c.stand == Huge) std::remove(path.c_str());
  }
}

TEST(DriveCountFiles, MalformedLinesAreLeftOut) {
  DriveCounts c;
  ParseDriveCounts("C=15234\r\nd=2\r\nE=\r\nF=12x\r\nGG=1\r\n=4\r\nH=99999999999\r\n", c);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c.countOf('C'), 15234u);
  EXPECT_EQ(c.countOf('D'), 2u);
  EXPECT_EQ(DriveCountsText(c), "C=15234\r\nD=2\r\n");
}

}  // namespace
}  // namespace filvex
