// Checks the ground every window test stands on: the process speaks CP932,
// runs from C:\ with the test run's fixture drives mapped and no Z: drive
// leading into the host's file system.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string ReadWholeFile(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<cannot open>";
  char buffer[256];
  DWORD read = 0;
  std::string text;
  if (ReadFile(file, buffer, sizeof buffer, &read, nullptr)) text.assign(buffer, read);
  CloseHandle(file);
  return text;
}

bool WriteWholeFile(const char* path, const std::string& text) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

TEST(WineSmoke, AnsiCodePageIsJapanese) {
  EXPECT_EQ(GetACP(), 932u);
  // Literals are compiled to CP932; a trail byte equal to '\' is the classic trap.
  const char* word = "表";
  ASSERT_EQ(std::strlen(word), 2u);
  EXPECT_EQ(static_cast<unsigned char>(word[0]), 0x95);
  EXPECT_EQ(static_cast<unsigned char>(word[1]), 0x5C);
  EXPECT_TRUE(IsDBCSLeadByte(static_cast<BYTE>(word[0])));
}

TEST(WineSmoke, DriveLettersOfTheTestRun) {
  struct Case {
    const char* root;
    UINT type;
  };
  const Case cases[] = {
      {"C:\\", DRIVE_FIXED},
      {"D:\\", DRIVE_FIXED},
      {"E:\\", DRIVE_FIXED},
      {"Z:\\", DRIVE_NO_ROOT_DIR},  // the host's root would make every walk endless
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetDriveTypeA(c.root), c.type) << c.root;
  }
}

TEST(WineSmoke, ExecutableRunsFromItsFolderOnC) {
  char module[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
  EXPECT_EQ(std::string(module, 3), "C:\\") << module;

  char current[MAX_PATH] = {};
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, current), 0u);
  ASSERT_TRUE(PathRemoveFileSpecA(module));
  EXPECT_STREQ(current, module);
}

TEST(WineSmoke, FixtureDriveTakesShiftJisNames) {
  const std::string content = "表示\r\n";
  const char* path = "D:\\表示テスト.txt";
  ASSERT_TRUE(WriteWholeFile(path, content)) << GetLastError();
  EXPECT_EQ(ReadWholeFile(path), content);

  WIN32_FIND_DATAA found = {};
  HANDLE search = FindFirstFileA(path, &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(found.cFileName, "表示テスト.txt");
  FindClose(search);

  EXPECT_TRUE(DeleteFileA(path));
}

}  // namespace
