// filvex-find end to end: options, settings file, output and exit status
// against small data folders written by the test.

#include <gtest/gtest.h>

#include "searchlist/list_files.h"
#include "searchlist/list_store.h"
#include "tests/core/test_util.h"
// The console client is a program of its own; its one source file is built
// into the tests as well, so that they call it without starting a process.
#include "tools/filvex-find/run_find.cpp"

namespace filvex {
namespace {

PackedDate Date(const char* text) {
  PackedDate d = 0;
  PackDateText(text, &d);
  return d;
}

// C: with Data, Data\表示 and Recycled; D: with Work, which holds 120 logs.
std::string WriteFixture(const std::string& tag, const std::string& ini) {
  std::string dir = test::MakeScratchFolder(tag);
  SearchList l;
  auto folder = [&](const char* path, uint8_t attr) {
    l.FolderList.append(path);
    if (std::string_view(path).size() == 2) {
      l.FolderInfoList.appendRoot();
    } else {
      l.FolderInfoList.appendDated(Date("2020/01/01 00:00"), Date("2020/06/01 00:00"), attr,
                                   /*hasSize=*/false, 0);
    }
  };
  auto file = [&](uint32_t f, const char* name, uint8_t attr, uint32_t kb, const char* written) {
    l.FileList.append(f, name);
    l.FileInfoList.appendDated(Date("2019/01/01 00:00"), Date(written), attr, /*hasSize=*/true, kb);
  };
  folder("C:", 0);
  folder("C:\\Data", 0x10);
  folder("C:\\Data\\表示", 0x10);
  folder("C:\\Recycled", 0x16);
  folder("D:", 0);
  folder("D:\\Work", 0x10);
  file(0, "boot.ini", 0x27, 1, "2018/05/05 05:05");
  file(1, "readme.txt", 0x10, 3, "2021/02/03 04:05");
  file(1, "ReadMe.md", 0x10, 0, "2022/02/03 04:05");
  file(2, "ソース.txt", 0x10, 2048, "2021/12/31 23:59");
  file(3, "trash.txt", 0x10, 1, "2021/06/06 06:06");
  file(5, "report.doc", 0x10, 1234, "2021/03/04 05:06");
  l.FileList.appendText("damaged line");
  l.FileInfoList.appendText("");
  for (int k = 0; k < 120; ++k) {
    std::string name = std::to_string(100 + k);
    name.insert(0, 1, 'n');
    name += ".log";
    file(5, name.c_str(), 0x10, 5, "2023/01/01 00:00");
  }
  DriveCounts fc, ic;
  CountEntriesPerDrive(l, fc, ic);
  EXPECT_TRUE(SaveListFiles(dir, l, fc, ic));
  if (!ini.empty()) test::WriteFile(DataFilePath(dir, kSettingsFileName), ini);
  return dir;
}

std::string LastLine(const std::string& out) {
  if (out.empty()) return out;
  size_t end = out.size() - 1;  // the final "\n"
  size_t start = out.rfind('\n', end - 1);
  return out.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

TEST(FindTool, OptionsOutputAndExitStatus) {
  const std::string plain = WriteFixture("find-plain", "");
  const std::string custom = WriteFixture("find-ini", "[DATA]\r\nrecy=1\r\nmax=100\r\nsizekb=0\r\n");
  struct Case {
    std::vector<std::string> args;
    const std::string* dir;
    int status;
    std::string out;   // whole output, unless lastLine is set
    bool lastLine;
  } cases[] = {
      {{"readme"}, &plain, 0, "C:\\Data\\ReadMe.md\nC:\\Data\\readme.txt\n", false},
      {{"zzz"}, &plain, 1, "", false},
      {{"--folders", "data"}, &plain, 0, "C:\\Data\n", false},
      {{"--folders", "表"}, &plain, 0, "C:\\Data\\表示\n", false},
      {{"ソ"}, &plain, 0, "C:\\Data\\表示\\ソース.txt\n", false},
      {{"txt"}, &plain, 0, "C:\\Data\\readme.txt\nC:\\Data\\表示\\ソース.txt\n", false},
      {{"--recy", "trash"}, &plain, 0, "C:\\Recycled\\trash.txt\n", false},
      {{"trash"}, &custom, 0, "C:\\Recycled\\trash.txt\n", false},  // recy=1 in the settings
      {{"--drives", "d", "--head", "re"}, &plain, 0, "D:\\Work\\report.doc\n", false},
      {{"--drives", "c", "--head", "re"}, &plain, 0, "C:\\Data\\ReadMe.md\nC:\\Data\\readme.txt\n",
       false},
      {{"--and", "read/md"}, &plain, 0, "C:\\Data\\ReadMe.md\n", false},
      {{"--folders", "--no-files", "a"}, &plain, 0, "C:\\Data\n", false},
      {{"--columns", "report"}, &plain, 0, "report.doc\t1,234KB\t2021/03/04 05:06\tA\t\tD:\\Work\n",
       false},
      {{"--columns", "report"}, &custom, 0, "report.doc\t1.21MB\t2021/03/04 05:06\tA\t\tD:\\Work\n",
       false},
      {{"--columns", "--date", "created", "report"}, &plain, 0,
       "report.doc\t1,234KB\t2019/01/01 00:00\tA\t\tD:\\Work\n", false},
      {{"--size", "larger", "--low", "1MB", "t"}, &plain, 0,
       "D:\\Work\\report.doc\nC:\\Data\\表示\\ソース.txt\n", false},
      {{"--size", "range", "--low", "1", "--high", "3KB", "e"}, &plain, 0,
       "C:\\Data\\readme.txt\n", false},
      {{"--mode", "size", "--size", "smaller", "--low", "0KB", "-"}, &plain, 0,
       "C:\\Data\\ReadMe.md\n", false},
      {{"--mode", "attr", "--attr", "H", "x"}, &plain, 0, "C:\\boot.ini\n", false},
      {{"--attr", "SH", "boot"}, &plain, 0, "C:\\boot.ini\n", false},
      {{"--attr", "none", "boot"}, &plain, 1, "", false},
      {{"--from", "2021/01/01", "--to", "2021/12/31", "t"}, &plain, 0,
       "C:\\Data\\readme.txt\nD:\\Work\\report.doc\nC:\\Data\\表示\\ソース.txt\n", false},
      {{"--mode", "date", "--from", "2022/01/01 00:00", "--to", "2022/12/31 00:00", "x"}, &plain, 0,
       "C:\\Data\\ReadMe.md\n", false},
      {{"--sort", "size", "--desc", "--folders", "read/data"}, &plain, 0,
       "C:\\Data\\readme.txt\nC:\\Data\\ReadMe.md\nC:\\Data\n", false},
      {{"--sort", "path", "--desc", "boot/report"}, &plain, 0,
       "D:\\Work\\report.doc\nC:\\boot.ini\n", false},
      {{"--count", "log"}, &plain, 0, "名前  [ 120 ]", true},
      {{"--count", "--max", "5", "log"}, &plain, 0, "名前  [ 100 < 101 ]", true},
      {{"--count", "--max", "5", "--no-maxstop", "log"}, &plain, 0, "名前  [ 100 < 120 ]", true},
      {{"--count", "log"}, &custom, 0, "名前  [ 100 < 101 ]", true},  // max=100 in the settings
      {{"--count", "zzz"}, &plain, 1, "名前  [ 0 ]\n", false},
      {{"--", "-x"}, &plain, 1, "", false},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), {"--data", *c.dir});
    std::string out, err;
    std::string what;
    for (const auto& a : c.args) what += a + " ";
    EXPECT_EQ(RunFind(args, "", out, err), c.status) << what << err;
    EXPECT_EQ(c.lastLine ? LastLine(out) : out, c.out) << what;
    EXPECT_TRUE(err.empty()) << what << err;
  }
}

TEST(FindTool, UsageErrorsAreReported) {
  const std::string dir = WriteFixture("find-usage", "");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--bogus", "x"},
      {"a", "b"},
      {"--data"},
      {"--no-files", "x"},
      {"--and", "--head", "x"},
      {"--attr", "SH,R", "x"},
      {"--attr", "Q", "x"},
      {"--mode", "date", "x"},
      {"--mode", "size", "x"},
      {"--mode", "fast", "x"},
      {"--size", "range", "--low", "1KB", "x"},
      {"--size", "larger", "x"},
      {"--low", "1KB", "x"},
      {"--size", "larger", "--low", "12GB", "x"},
      {"--from", "2021/13/01", "x"},
      {"--max", "many", "x"},
      {"--sort", "colour", "x"},
  };
  for (const auto& args : cases) {
    std::vector<std::string> full = args;
    full.insert(full.begin(), {"--data", dir});
    std::string out, err;
    std::string what;
    for (const auto& a : args) what += a + " ";
    EXPECT_EQ(RunFind(full, "", out, err), kFindUsageError) << what;
    EXPECT_TRUE(out.empty()) << what;
    EXPECT_NE(err.find("filvex-find: "), std::string::npos) << what;
  }
  std::string out, err;
  EXPECT_EQ(RunFind({"--data", dir + "-missing", "x"}, "", out, err), kFindUsageError);
  EXPECT_NE(err.find("no readable search list"), std::string::npos);
  out.clear();
  EXPECT_EQ(RunFind({"--help"}, "", out, err), kFindHits);
  EXPECT_EQ(out.rfind("usage: filvex-find", 0), 0u);
  // Without --data the folder given by the program is used.
  out.clear();
  EXPECT_EQ(RunFind({"boot"}, dir, out, err), kFindHits);
  EXPECT_EQ(out, "C:\\boot.ini\n");
}

// An interrupted save in the data folder: the client answers from the newest
// complete list and says on stderr what it found.
TEST(FindToolStore, SaysWhenItRecoveredAnInterruptedSave) {
  auto listOf = [](const char* name) {
    SearchList l;
    l.FolderList.append("C:");
    l.FolderInfoList.appendRoot();
    l.FileList.append(0, name);
    l.FileInfoList.appendText("2003/07/14 09:052003/07/15 10:00201");
    return l;
  };
  const SearchList before = listOf("before.txt"), after = listOf("after.txt");
  DriveCounts folders, files;
  CountEntriesPerDrive(before, folders, files);
  struct Case {
    const char* killAt;
    const char* err;
    const char* hit;
  };
  const Case cases[] = {
      {"flush sachinfo1.txt.tmp",
       "filvex-find: an unfinished save of the search list was discarded; the list saved before "
       "it is used\n",
       "C:\\before.txt\n"},
      {"move sachfile.txt",
       "filvex-find: an interrupted save of the search list was completed; its list is used\n",
       "C:\\after.txt\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.killAt);
    const std::string dir = test::MakeScratchFolder("find-store");
    ASSERT_EQ(SaveListStore(dir, before, folders, files).outcome, ListSaveOutcome::Saved);
    const std::string killAt = c.killAt;
    SaveListStore(dir, after, folders, files, [&](std::string_view s) { return s != killAt; });
    std::string out, err;
    EXPECT_EQ(RunFind({"--data", dir, ".txt"}, "", out, err), kFindHits);
    EXPECT_EQ(out, c.hit);
    EXPECT_EQ(err, c.err);
    // Said once: the folder is whole again.
    out.clear();
    err.clear();
    EXPECT_EQ(RunFind({"--data", dir, ".txt"}, "", out, err), kFindHits);
    EXPECT_EQ(err, "");
  }
}

// A settings or count file that is a folder, a pipe or a sparse 100 GB file
// is never read: the search runs with default settings or counts computed
// from the list, gives the right answer and says so on stderr.
TEST(FindTool, UnusableSettingsAndCountFilesFallBack) {
  enum Stand { Folder, Pipe, Huge };
  struct Case {
    const char* file;
    Stand stand;
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {kSettingsFileName, Folder, {"--count", "log"}, "名前  [ 120 ]"},
      {kSettingsFileName, Pipe, {"--count", "log"}, "名前  [ 120 ]"},
      {kSettingsFileName, Huge, {"--count", "log"}, "名前  [ 120 ]"},
      {ListFileNames::kFolderCounts, Huge, {"--folders", "--drives", "d", "w"}, "D:\\Work"},
      {ListFileNames::kFileCounts, Huge, {"--drives", "d", "--head", "re"}, "D:\\Work\\report.doc"},
      {ListFileNames::kFileCounts, Folder, {"--drives", "c", "boot"}, "C:\\boot.ini"},
      {ListFileNames::kFolderCounts, Pipe, {"--folders", "--drives", "c", "data"}, "C:\\Data"},
  };
  for (const auto& c : cases) {
    const std::string dir = WriteFixture("find-hostile", "");
    const std::string path = DataFilePath(dir, c.file);
    std::remove(path.c_str());
    bool made = true;
    if (c.stand == Folder) test::MakeFolder(path);
    if (c.stand == Pipe) made = test::MakePipe(path);
    if (c.stand == Huge) made = test::MakeSparseFile(path, test::kHugeFileBytes);
    if (!made) continue;  // no pipes on Windows
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), {"--data", dir});
    std::string out, err;
    EXPECT_EQ(RunFind(args, "", out, err), kFindHits) << path << err;
    EXPECT_EQ(LastLine(out), c.out) << path;
    EXPECT_NE(err.find("note: " + path + ": "), std::string::npos) << err;
    if (c.stand == Huge) std::remove(path.c_str());
  }
  // Count files that are simply not there are computed without a note.
  const std::string dir = WriteFixture("find-nocounts", "");
  std::remove(DataFilePath(dir, ListFileNames::kFolderCounts).c_str());
  std::remove(DataFilePath(dir, ListFileNames::kFileCounts).c_str());
  std::string out, err;
  EXPECT_EQ(RunFind({"--data", dir, "--drives", "d", "--head", "re"}, "", out, err), kFindHits);
  EXPECT_EQ(out, "D:\\Work\\report.doc\n");
  EXPECT_EQ(err, "");
}

// A list whose files do not fit each other gives no answer at all rather
// than fewer hits or paths of other entries: exit 2, naming the file.
TEST(FindTool, DamagedListIsRefusedNamingTheFile) {
  struct Case {
    const char* what;
    const char* file;
    std::string (*damage)(const std::string&);
    const char* named;
  } cases[] = {
      {"file list cut short", ListFileNames::kFiles,
       [](const std::string& t) { return t.substr(0, t.size() / 2); }, "sachinfo2.txt: "},
      {"CR CR LF in the folder list", ListFileNames::kFolders,
       [](const std::string& t) { return "\r" + t; }, "sachinfo1.txt: "},
      {"CR CR LF in the file information", ListFileNames::kFileInfo,
       [](const std::string& t) {
         std::string d = t;
         d.insert(d.find("\r\n"), "\r");
         return d;
       },
       "sachinfo2.txt: "},
      {"folder list replaced by a folder", ListFileNames::kFolders,
       [](const std::string&) { return std::string(); }, "sach.txt: not a regular file"},
  };
  for (const auto& c : cases) {
    const std::string dir = WriteFixture("find-damaged", "");
    const std::string path = DataFilePath(dir, c.file);
    const std::string damaged = c.damage(test::ReadFile(path));
    std::remove(path.c_str());
    if (damaged.empty()) {
      test::MakeFolder(path);
    } else {
      test::WriteFile(path, damaged);
    }
    std::string out, err;
    EXPECT_EQ(RunFind({"--data", dir, "--folders", "a"}, "", out, err), kFindUsageError) << c.what;
    EXPECT_EQ(out, "") << c.what;
    EXPECT_NE(err.find("damaged search list"), std::string::npos) << c.what << err;
    EXPECT_NE(err.find(c.named), std::string::npos) << c.what << err;
    if (!damaged.empty()) {
      EXPECT_EQ(test::ReadFile(path), damaged) << c.what;  // left as it was
    }
  }
}

// A folder line without any separator has an empty folder part; sorting by
// that column must not hand a null pointer to the byte functions (UBSan).
TEST(FindTool, FolderLineWithoutSeparatorSortsByPath) {
  const std::string dir = test::MakeScratchFolder("find-noseparator");
  SearchList l;
  for (const char* path : {"Data", "C:", "C:\\Data"}) {
    l.FolderList.append(path);
    l.FolderInfoList.appendText("2020/01/01 00:002020/06/01 00:0010");
  }
  DriveCounts fc, ic;
  CountEntriesPerDrive(l, fc, ic);
  ASSERT_TRUE(SaveListFiles(dir, l, fc, ic));
  for (const char* order : {"--sort", "--desc"}) {
    std::vector<std::string> args = {"--data", dir, "--folders", "--sort", "path", "data"};
    if (std::string(order) == "--desc") args.push_back("--desc");
    std::string out, err;
    EXPECT_EQ(RunFind(args, "", out, err), kFindHits) << err;
    EXPECT_EQ(out, std::string(order) == "--desc" ? "C:\\Data\nData\n" : "Data\nC:\\Data\n");
  }
}

}  // namespace
}  // namespace filvex
