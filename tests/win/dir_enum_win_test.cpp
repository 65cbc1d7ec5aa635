// The build's walk over the real file system of the fixture drives.
#include "platform/dir_enum_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/file_time.h"
#include "searchlist/list_files.h"

namespace filvex {
namespace {

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = d.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = dir + L"\\" + name;
      if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(path);
      } else if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(path.c_str());
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(h, &d));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

bool MakeFile(const std::wstring& path, size_t bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::string data(bytes, 'x');
  DWORD written = 0;
  const BOOL ok = WriteFile(f, data.data(), static_cast<DWORD>(bytes), &written, nullptr);
  CloseHandle(f);
  return ok && written == bytes;
}

// The walk as a plain recursive two-pass listing (files, then folders) with
// the unbuffered find functions: what the one-pass walk must reproduce.
void ReferenceWalk(const std::string& path, SearchList& out) {
  const std::string dir = path + "\\";
  const std::wstring dirW = WidePathForFind(dir);
  const uint32_t number = static_cast<uint32_t>(out.FolderList.size() - 1);
  for (int pass = 0; pass < 2; ++pass) {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((dirW + L"*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      const std::wstring wname = d.cFileName;
      if (wname == L"." || wname == L"..") continue;
      const bool folder = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (folder != (pass == 1)) continue;
      const std::string name = AnsiEntryName(d.cFileName, dirW);
      const std::string info =
          win::FileTimeText(d.ftCreationTime) + win::FileTimeText(d.ftLastWriteTime);
      char hex[3];
      wsprintfA(hex, "%02X", PackAttributes(d.dwFileAttributes));
      if (!folder) {
        out.FileList.append(number, name);
        const uint64_t size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
        out.FileInfoList.appendText(info + hex + std::to_string(SizeInKB(size)));
      } else {
        out.FolderList.append(dir + name);
        out.FolderInfoList.appendText(info + hex);
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ReferenceWalk(dir + name, out);
      }
    } while (FindNextFileW(h, &d));
    FindClose(h);
  }
}

class DirEnumWin : public ::testing::Test {
 protected:
  static constexpr const wchar_t* kRoot = L"D:\\lbwalk";

  static void SetUpTestSuite() {
    RemoveTree(kRoot);
    const std::wstring r = kRoot;
    ASSERT_TRUE(CreateDirectoryW(r.c_str(), nullptr));
    ASSERT_TRUE(MakeFile(r + L"\\a.txt", 1));
    ASSERT_TRUE(MakeFile(r + L"\\b.txt", 2048));
    ASSERT_TRUE(CreateDirectoryW((r + L"\\S").c_str(), nullptr));
    ASSERT_TRUE(MakeFile(r + L"\\S\\c.txt", 0));
    ASSERT_TRUE(CreateDirectoryW((r + L"\\S\\T").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((r + L"\\\u8868\u793a").c_str(), nullptr));  // 表示
    ASSERT_TRUE(MakeFile(r + L"\\\u8868\u793a\\\u30bd.txt", 5));              // ソ.txt
    ASSERT_TRUE(MakeFile(r + L"\\caf\u00e9.txt", 3));                         // café.txt
    ASSERT_TRUE(CreateDirectoryW((r + L"\\U").c_str(), nullptr));
    ASSERT_TRUE(MakeFile(r + L"\\U\\d.txt", 4));
    // Wine reports success without making a link; only a link that exists
    // afterwards counts.
    linked_ = CreateSymbolicLinkW((r + L"\\loop").c_str(), r.c_str(),
                                  SYMBOLIC_LINK_FLAG_DIRECTORY) != 0 &&
              GetFileAttributesW((r + L"\\loop").c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  static void TearDownTestSuite() { RemoveTree(kRoot); }

  static SearchList Walk() {
    SearchList list;
    list.FolderList.append("D:\\lbwalk");
    list.FolderInfoList.appendRoot();
    WinDirectorySource source;
    std::atomic<uint8_t> stop{0};
    EXPECT_TRUE(WalkFolder("D:\\lbwalk", source, list, stop));
    return list;
  }

  static size_t FolderLine(const SearchList& l, std::string_view path) {
    for (size_t i = 0; i < l.FolderList.size(); ++i) {
      if (l.FolderList.path(i) == path) return i;
    }
    return SIZE_MAX;
  }

  static inline bool linked_ = false;
};

TEST_F(DirEnumWin, OnePassWalkGivesTheListsOfTheTwoPassWalk) {
  const SearchList walked = Walk();
  SearchList reference;
  reference.FolderList.append("D:\\lbwalk");
  reference.FolderInfoList.appendRoot();
  ReferenceWalk("D:\\lbwalk", reference);
  EXPECT_EQ(FolderLinesText(walked.FolderList), FolderLinesText(reference.FolderList));
  EXPECT_EQ(FileLinesText(walked.FileList), FileLinesText(reference.FileList));
  EXPECT_EQ(InfoLinesText(walked.FolderInfoList), InfoLinesText(reference.FolderInfoList));
  EXPECT_EQ(InfoLinesText(walked.FileInfoList), InfoLinesText(reference.FileInfoList));
}

TEST_F(DirEnumWin, FolderNumbersNameTheFoldersOfTheFiles) {
  const SearchList l = Walk();
  struct Case {
    const char* path;  // a file's full path as the list resolves it
    const char* folder;
    uint32_t sizeKB;
  };
  const Case cases[] = {
      {"D:\\lbwalk\\a.txt", "D:\\lbwalk", 1},
      {"D:\\lbwalk\\b.txt", "D:\\lbwalk", 2},
      {"D:\\lbwalk\\S\\c.txt", "D:\\lbwalk\\S", 0},
      {"D:\\lbwalk\\U\\d.txt", "D:\\lbwalk\\U", 1},
      {"D:\\lbwalk\\表示\\ソ.txt", "D:\\lbwalk\\表示", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    size_t j = 0;
    while (j < l.FileList.size() && FileEntryPath(l, j) != c.path) ++j;
    ASSERT_LT(j, l.FileList.size());
    EXPECT_EQ(l.FileList.folder(j), FolderLine(l, c.folder));
    EXPECT_EQ(l.FileInfoList.sizeKB(j), c.sizeKB);
    EXPECT_EQ(l.FileInfoList.attr(j) & 0x20, 0);
  }
  const size_t t = FolderLine(l, "D:\\lbwalk\\S\\T");
  ASSERT_NE(t, SIZE_MAX);
  EXPECT_EQ(t, FolderLine(l, "D:\\lbwalk\\S") + 1);
  EXPECT_EQ(l.FolderInfoList.attr(t) & 0x20, 0x20);
}

TEST_F(DirEnumWin, NameWithoutAnsiFormIsStoredAsAName_ThatOpensTheFile) {
  const SearchList l = Walk();
  size_t found = 0;
  for (size_t j = 0; j < l.FileList.size(); ++j) {
    const std::string path = FileEntryPath(l, j);
    EXPECT_NE(l.FileList.name(j), "cafe.txt") << "best-fit name names another file";
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
    if (l.FileList.folder(j) == 0 && l.FileList.name(j) != "a.txt" &&
        l.FileList.name(j) != "b.txt") {
      ++found;
    }
  }
  EXPECT_EQ(found, 1u);  // the café file, under its short name
}

TEST_F(DirEnumWin, LinkToAFolderIsRecordedButNotEntered) {
  if (!linked_) GTEST_SKIP() << "symbolic links to folders cannot be made here";
  const SearchList l = Walk();
  const size_t link = FolderLine(l, "D:\\lbwalk\\loop");
  ASSERT_NE(link, SIZE_MAX);
  for (size_t i = 0; i < l.FolderList.size(); ++i) {
    EXPECT_NE(l.FolderList.path(i).substr(0, 15), "D:\\lbwalk\\loop\\");
  }
  for (size_t j = 0; j < l.FileList.size(); ++j) EXPECT_NE(l.FileList.folder(j), link);
}

TEST(DirEnumWinPaths, WhichFoldersAreLinks) {
  struct Case {
    const char* what;
    DWORD attributes;
    DWORD tag;
    bool link;
  };
  const Case cases[] = {
      {"plain folder", FILE_ATTRIBUTE_DIRECTORY, 0, false},
      {"link with no tag reported (Wine's Unix links)", 0x410, 0, true},
      {"symbolic link", 0x410, IO_REPARSE_TAG_SYMLINK, true},
      {"junction", 0x410, IO_REPARSE_TAG_MOUNT_POINT, true},
      {"cloud placeholder folder is walked", 0x410, 0x9000001Au, false},
      {"symbolic link to a file is a file", FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WIN32_FIND_DATAW d = {};
    d.dwFileAttributes = c.attributes;
    d.dwReserved0 = c.tag;
    d.nFileSizeHigh = 1;
    d.nFileSizeLow = 5;
    lstrcpyW(d.cFileName, L"x");
    DirEntry e;
    EntryFromFindData(d, L"\\\\?\\D:\\", e);
    EXPECT_EQ(e.link, c.link);
    EXPECT_EQ(e.name, "x");
    EXPECT_EQ(e.size, (1ull << 32) + 5);
  }
}

TEST(DirEnumWinPaths, TreeDeeperThanTheClassicPathLimit) {
  // 100 levels of 4-character names: paths up to 511 characters.
  std::wstring dir = L"\\\\?\\D:\\lbdeep";
  RemoveTree(dir);
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  for (int i = 0; i < 100; ++i) {
    dir += L"\\l" + std::to_wstring(100 + i);
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr)) << i;
  }
  ASSERT_TRUE(MakeFile(dir + L"\\bottom.txt", 1));

  SearchList l;
  l.FolderList.append("D:\\lbdeep");
  l.FolderInfoList.appendRoot();
  WinDirectorySource source;
  std::atomic<uint8_t> stop{0};
  ASSERT_TRUE(WalkFolder("D:\\lbdeep", source, l, stop));
  ASSERT_EQ(l.FolderList.size(), 101u);
  EXPECT_EQ(l.FolderList.path(100).size(), 9u + 100u * 5u);
  ASSERT_EQ(l.FileList.size(), 1u);
  EXPECT_EQ(l.FileList.folder(0), 100u);
  EXPECT_EQ(l.FileList.name(0), "bottom.txt");
  RemoveTree(L"\\\\?\\D:\\lbdeep");
}

TEST(DirEnumWinPaths, DrivesOfTheSystemAndCountsOfABuild) {
  std::vector<std::string> drives;
  FillDriveList(drives);
  const std::vector<std::string> expected = {"C:", "D:", "E:"};
  EXPECT_EQ(drives, expected);

  // D: and a letter with no drive behind it, which gives its root line only.
  SearchList l;
  WinDirectorySource source;
  std::atomic<uint8_t> stop{0};
  ASSERT_FALSE(BuildDrives({"D:", "Q:"}, source, l, stop, nullptr));
  const size_t q = l.FolderList.size() - 1;
  EXPECT_EQ(l.FolderList.path(q), "Q:");
  EXPECT_EQ(l.FolderInfoList.text(q), kRootInfoLine);
  DriveCounts folders, files;
  CountEntriesPerDrive(l, folders, files);
  EXPECT_EQ(folders.countOf('D') + folders.countOf('Q'), l.FolderList.size());
  EXPECT_EQ(folders.countOf('Q'), 1u);
  EXPECT_EQ(files.countOf('D'), l.FileList.size());
}

// The UTC file time of a local date and time.
bool UtcOfLocal(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second,
                WORD ms, FILETIME* utc) {
  SYSTEMTIME st = {};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  st.wMilliseconds = ms;
  FILETIME local;
  return SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, utc);
}

TEST(DirEnumWinPaths, DateTexts) {
  // A local time with seconds, taken back to UTC: the text drops the seconds.
  FILETIME utc;
  ASSERT_TRUE(UtcOfLocal(2003, 7, 14, 9, 5, 59, 999, &utc));
  EXPECT_EQ(win::FileTimeText(utc), "2003/07/14 09:05");

  // The largest file time is in year 30828: five digits would shift every
  // column after it, so it counts as not convertible.
  FILETIME huge = {0xFFFFFFFFu, 0x7FFFFFFFu};
  EXPECT_EQ(win::FileTimeText(huge), kUnconvertibleDate);
  FILETIME invalid = {0xFFFFFFFFu, 0xFFFFFFFFu};
  EXPECT_EQ(win::FileTimeText(invalid), kUnconvertibleDate);
}

TEST(DirEnumWinPaths, CachedDateTextsAreTheUncachedOnes) {
  // One cache over a sequence that stays in a minute, leaves it by one tick
  // either way, jumps back, and reaches years the packed form cannot hold.
  FILETIME utc;
  ASSERT_TRUE(UtcOfLocal(2003, 7, 14, 9, 5, 0, 0, &utc));
  const uint64_t minute = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  constexpr uint64_t kMinute = 600000000;
  const uint64_t year6000 = 1388534400000000000ull;  // 4,400 years after 1601
  const uint64_t ticks[] = {0,
                            minute,
                            minute + kMinute - 1,
                            minute + kMinute,
                            minute - 1,
                            minute + 12345,
                            year6000,
                            year6000 + 1,
                            minute,
                            0x7FFFFFFFFFFFFFFFull};
  DateTextCache cache;
  for (uint64_t t : ticks) {
    SCOPED_TRACE(t);
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(t);
    ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
    char text[kDateTextLen];
    PackedDate packed = 0, expected = 0;
    const bool packs = cache.Text(ft, text, &packed);
    const std::string uncached = win::FileTimeText(ft);
    EXPECT_EQ(std::string(text, kDateTextLen), uncached);
    EXPECT_EQ(packs, PackDateText(uncached, &expected));
    if (packs) {
      EXPECT_EQ(packed, expected);
    }
  }
}

TEST(DirEnumWinPaths, WidePathsForTheFindFunctions) {
  EXPECT_EQ(WidePathForFind("C:\\"), L"\\\\?\\C:\\");
  EXPECT_EQ(WidePathForFind("\\\\server\\share\\"), L"\\\\server\\share\\");
  EXPECT_EQ(WidePathForFind("D:\\表\\"), L"\\\\?\\D:\\\u8868\\");
}

TEST(DirEnumWinPaths, DiskBoxesAreKeptAwayWhileASourceLives) {
  const UINT before = GetThreadErrorMode();
  {
    WinDirectorySource source;
    EXPECT_EQ(GetThreadErrorMode() & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
              static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    DirEntry entry;
    EXPECT_FALSE(source.OpenFolder("Q:\\"));  // no drive behind the letter
    EXPECT_FALSE(source.NextEntry(entry));
  }
  EXPECT_EQ(GetThreadErrorMode(), before);
}

}  // namespace
}  // namespace filvex
