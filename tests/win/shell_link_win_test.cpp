// Shortcuts and special folders for real under Wine: create, name, follow,
// stale targets, App Paths look-ups and the shell's special folders.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/com.h"
#include "shellops/shell_link_win.h"
#include "tests/win/win_test_util.h"

namespace filvex {
namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  CloseHandle(h);
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

class ShellLinkTest : public ::testing::Test {
 protected:
  win::ComInitGuard com_;
  TShellLink links_;
};

TEST_F(ShellLinkTest, CreatesAndFollowsShortcutsToFilesAndFolders) {
  const std::string dir = test::FreshFolder("links");
  const std::string file = dir + "\\memo.txt";
  const std::string folder = dir + "\\Report 2.1 final";
  WriteFile(file);
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));

  struct Case {
    std::string target;
    std::wstring name;
    std::string expectedLink;
  } cases[] = {
      {file, L"", dir + "\\memo.lnk"},
      {file, L"", dir + "\\memo(1).lnk"},
      {file, L"", dir + "\\memo(2).lnk"},
      {file, L"Report 2.1 final", dir + "\\Report 2.lnk"},
      {folder, L"", dir + "\\Report 2(1).lnk"},
      {folder, L"Report 2.1 final", dir + "\\Report 2.1 final.lnk"},
      {file, L"a/b:c*?", dir + "\\a／b：c＊？.lnk"},
      // ポ ends in the byte "|": only the real "|" after it is replaced.
      {file, L"\u30DD|x", dir + "\\ポ｜x.lnk"},
  };
  for (const auto& c : cases) {
    std::string made = links_.CreateLink2(c.target, nullptr, dir, c.name, /*overwrite=*/false);
    EXPECT_EQ(made, c.expectedLink);
    ASSERT_TRUE(Exists(c.expectedLink)) << c.expectedLink;
    std::string followed;
    EXPECT_EQ(links_.GetLinkToPath(c.expectedLink, followed, /*resolveApp=*/true, nullptr), S_OK);
    EXPECT_TRUE(SamePath(followed, c.target)) << followed << " for " << c.expectedLink;
  }
}

TEST_F(ShellLinkTest, CheckOnlyTellsWhetherTheNameIsTaken) {
  const std::string dir = test::FreshFolder("linkcheck");
  const std::string file = dir + "\\tool.exe";
  WriteFile(file);
  links_.LinkNameText = L"";
  EXPECT_EQ(links_.ShellLinkCreate(file, nullptr, dir, "", /*checkOnly=*/true), "0");
  EXPECT_FALSE(Exists(dir + "\\tool.lnk"));  // a check creates nothing
  ASSERT_EQ(links_.CreateLink2(file, nullptr, dir + "\\", L"", /*overwrite=*/true),
            dir + "\\tool.lnk");
  EXPECT_EQ(links_.ShellLinkCreate(file, nullptr, dir, "", /*checkOnly=*/true), "1");
  // Overwriting keeps the one name.
  EXPECT_EQ(links_.CreateLink2(file, nullptr, dir, L"", /*overwrite=*/true), dir + "\\tool.lnk");
  EXPECT_FALSE(Exists(dir + "\\tool(1).lnk"));
  // No shortcut to a target that does not exist.
  EXPECT_EQ(links_.CreateLink2(dir + "\\gone.txt", nullptr, dir, L"", false), "");
  EXPECT_FALSE(Exists(dir + "\\gone.lnk"));
}

// A folder that carries the shortcut's name would make the save fail: the
// name counts as taken.
TEST_F(ShellLinkTest, FolderNamedLikeTheShortcutIsNotOverwritten) {
  const std::string dir = test::FreshFolder("linkfolder");
  const std::string file = dir + "\\memo.txt";
  WriteFile(file);
  ASSERT_TRUE(CreateDirectoryA((dir + "\\memo.lnk").c_str(), nullptr));
  EXPECT_EQ(links_.CreateLink2(file, nullptr, dir, L"", /*overwrite=*/false),
            dir + "\\memo(1).lnk");
  EXPECT_EQ(links_.ShellLinkCreate(file, nullptr, dir, "", /*checkOnly=*/true), "1");
}

TEST_F(ShellLinkTest, StaleAndBrokenShortcutsAreNotFollowed) {
  const std::string dir = test::FreshFolder("linkstale");
  const std::string file = dir + "\\old.txt";
  WriteFile(file);
  const std::string link = links_.CreateLink2(file, nullptr, dir, L"", false);
  ASSERT_FALSE(link.empty());
  ASSERT_TRUE(DeleteFileA(file.c_str()));
  std::string followed;
  links_.GetLinkToPath(link, followed, /*resolveApp=*/false, nullptr);
  EXPECT_EQ(followed, link);  // the stale target is not taken

  // A damaged shortcut file: a failure code, and the path stays the link's.
  const std::string junk = dir + "\\junk.lnk";
  WriteFile(junk);
  followed.clear();
  EXPECT_NE(links_.GetLinkToPath(junk, followed, false, nullptr), S_OK);
  EXPECT_EQ(followed, junk);
  followed.clear();
  EXPECT_NE(links_.GetLinkToPath(dir + "\\none.lnk", followed, false, nullptr), S_OK);
  EXPECT_EQ(followed, dir + "\\none.lnk");
}

TEST_F(ShellLinkTest, ShortcutOutsideTheFileSystemIsAFailure) {
  // A shortcut to "My Computer" has no path: following it fails and leaves
  // the shortcut's own path.
  const std::string link = test::FreshFolder("linkitem") + "\\computer.lnk";
  {
    win::ComPtr<IShellLinkA> made;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, made.put_void())));
    win::ItemIdList computer;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.put())));
    ASSERT_TRUE(SUCCEEDED(made->SetIDList(computer.get())));
    win::ComPtr<IPersistFile> file = made.query<IPersistFile>(IID_IPersistFile);
    ASSERT_TRUE(file);
    std::wstring wide(link.begin(), link.end());
    ASSERT_TRUE(SUCCEEDED(file->Save(wide.c_str(), TRUE)));
  }
  std::string followed;
  EXPECT_NE(links_.GetLinkToPath(link, followed, /*resolveApp=*/true, nullptr), S_OK);
  EXPECT_EQ(followed, link);
}

TEST_F(ShellLinkTest, SpecialFoldersExist) {
  struct Case {
    int csidl;
  } cases[] = {{CSIDL_DESKTOP},       {CSIDL_PERSONAL}, {CSIDL_SENDTO},
               {CSIDL_PROGRAM_FILES}, {CSIDL_WINDOWS},  {CSIDL_SYSTEM}};
  for (const auto& c : cases) {
    std::string path = links_.GetPath(c.csidl);
    EXPECT_FALSE(path.empty()) << c.csidl;
    DWORD attr = GetFileAttributesA(path.c_str());
    EXPECT_TRUE(attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) << path;
  }
  LPITEMIDLIST list = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &list)));
  EXPECT_TRUE(TShellLink::ItemIdListFree(list));
}

TEST_F(ShellLinkTest, AppPathsFindProgramsByFolderName) {
  const std::string key =
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\filvex-test-tool.exe";
  const std::string value = "C:\\FilvexTestApps\\ToolBox\\tool.exe";
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(h);

  struct Case {
    std::string appName, found;
  } cases[] = {{"ToolBox", value}, {"toolbox", ""}, {"NoSuchFilvexFolder", ""}, {"", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(links_.GetReg_AppNameToPath(c.appName), c.found) << c.appName;

  // A product-code target is looked up by the shortcut's own name.
  EXPECT_EQ(links_.GetLinkNameToPath("{1234-5678}", "C:\\x\\ToolBox.lnk"), value);
  EXPECT_EQ(links_.GetLinkNameToPath("{1234-5678}", "C:\\x\\Other.lnk"), "{1234-5678}");
  EXPECT_EQ(links_.GetLinkNameToPath("C:\\a\\b.exe", "C:\\x\\ToolBox.lnk"), "C:\\a\\b.exe");
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

}  // namespace
}  // namespace filvex
