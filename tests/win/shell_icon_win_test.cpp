// Icons, type names and overlays from the shell of the system.
#include "platform/shell_icon_win.h"

#include <windows.h>
// The other system headers build on the types of windows.h.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace filvex::win {
namespace {

// Counts the look-ups that reach the shell.
class CountingShell : public IconShell {
 public:
  explicit CountingShell(IconShell& inner) : inner_(inner) {}
  FolderItem LookupInFolder(const std::string& folder, const std::string& name) override {
    ++lookups;
    return inner_.LookupInFolder(folder, name);
  }
  FileInfo FileInformation(const std::string& path) override {
    ++lookups;
    return inner_.FileInformation(path);
  }
  int GenericIcon(const std::string& pattern, bool folder) override {
    return inner_.GenericIcon(pattern, folder);
  }
  bool IsDirectory(const std::string& path) override { return inner_.IsDirectory(path); }
  int lookups = 0;

 private:
  IconShell& inner_;
};

void MakeFile(const char* path) {
  HANDLE f =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(f, "x", 1, &written, nullptr);
  CloseHandle(f);
}

bool MakeShortcut(const char* link, const char* target) {
  ComPtr<IShellLinkA> shell;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              shell.put_void()))) {
    return false;
  }
  shell->SetPath(target);
  ComPtr<IPersistFile> file = shell.query<IPersistFile>(IID_IPersistFile);
  wchar_t linkW[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, link, -1, linkW, MAX_PATH);
  return file && SUCCEEDED(file->Save(linkW, TRUE));
}

class ShellIconWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com_.ok());
    CreateDirectoryA("D:\\lbicons", nullptr);
    CreateDirectoryA("D:\\lbicons\\Sub", nullptr);
    MakeFile("D:\\lbicons\\a.txt");
    MakeFile("D:\\lbicons\\b.txt");
    MakeFile("D:\\lbicons\\readme");
    MakeFile("D:\\lbicons\\tool.exe");
    ASSERT_TRUE(MakeShortcut("D:\\lbicons\\go.lnk", "D:\\lbicons\\a.txt"));
    ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(desktop_.put())));
  }

  ComInitGuard com_;
  ComPtr<IShellFolder> desktop_;
};

TEST_F(ShellIconWin, CachedExtensionsAskTheShellOnce) {
  WinIconShell shell(desktop_);
  CountingShell counting(shell);
  std::vector<std::string> cache;
  std::string typeName;
  int overlay = 5;
  IconRules rules(counting, /*systemKind=*/2, kSpecialIconExtensions, cache, typeName, overlay);

  const int a = rules.LookupIcon("D:\\lbicons\\a.txt", true);
  const std::string aType = typeName;
  const int afterFirst = counting.lookups;
  EXPECT_NE(a, -1);
  EXPECT_FALSE(aType.empty());
  EXPECT_EQ(overlay, kNoOverlay);
  EXPECT_EQ(rules.LookupIcon("D:\\lbicons\\b.txt", true), a);
  EXPECT_EQ(typeName, aType);
  EXPECT_EQ(counting.lookups, afterFirst);
  ASSERT_EQ(cache.size(), 1u);
  EXPECT_EQ(cache[0].substr(0, 5), ".txt=");

  // Own-icon and extension-less files ask each time.
  for (const char* path : {"D:\\lbicons\\tool.exe", "D:\\lbicons\\readme"}) {
    for (int round = 0; round < 2; ++round) {
      const int before = counting.lookups;
      EXPECT_NE(rules.LookupIcon(path, true), -1) << path;
      EXPECT_GT(counting.lookups, before) << path;
    }
  }
  EXPECT_EQ(cache.size(), 1u);
}

TEST_F(ShellIconWin, OverlaysAndVanishedFiles) {
  WinIconShell shell(desktop_);
  std::vector<std::string> cache;
  std::string typeName;
  int overlay = 5;
  for (int systemKind : {2, 0}) {
    SCOPED_TRACE(systemKind);
    IconRules rules(shell, systemKind, kSpecialIconExtensions, cache, typeName, overlay);
    EXPECT_NE(rules.ShellIconOf("D:\\lbicons\\go.lnk"), -1);
    EXPECT_EQ(overlay, kLinkOverlay);
    EXPECT_NE(rules.ShellIconOf("D:\\lbicons\\Sub"), -1);
    EXPECT_EQ(overlay, kNoOverlay);
    EXPECT_FALSE(typeName.empty());
    EXPECT_NE(rules.ShellIconOf("D:\\lbicons\\gone.txt"), -1);
    EXPECT_EQ(overlay, kNoOverlay);
    EXPECT_TRUE(typeName.empty());
  }
}

}  // namespace
}  // namespace filvex::win
