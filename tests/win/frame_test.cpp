// What a user sees of the main window's life: the first start, the settings
// file, the search-list files, the hit-limit box, the command line of an
// integrated copy, the status-bar hints and closing while a worker runs.
// Message boxes are answered through the hook and recorded.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/controls_win.h"
#include "app/option_dlg_win.h"
#include "app/settings.h"
#include "app/vemko_searcher_win.h"
#include "bench/synthetic_list.h"
#include "platform/file_time.h"
#include "platform/message_box.h"
#include "platform/ui_call.h"
#include "platform/window_text.h"
#include "searchlist/list_files.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"

namespace filvex {
namespace {

struct AskedBox {
  std::string text, title;
  UINT type;
};

const char kNoListPrompt[] = "検索リストが存在しません。新しく作成しますか？";

// Four list files of a small search list: 1,234 folders on C: and two files.
void WriteListFiles(const std::string& data, bool all = true) {
  std::string folders = "C:\r\n", folderInfo = std::string(kRootInfoLine) + "\r\n";
  for (int i = 1; i < 1234; ++i) {
    folders += "C:\\d" + std::to_string(i) + "\r\n";
    folderInfo += "2003/07/14 09:0512003/07/14 09:0520\r\n";
  }
  test::WriteFile(data + "\\sach.txt", folders);
  test::WriteFile(data + "\\sachinfo1.txt", folderInfo);
  test::WriteFile(data + "\\sachfile.txt", "0=boot.ini\r\n1=表.txt\r\n");
  if (all) {
    test::WriteFile(
        data + "\\sachinfo2.txt",
        "2003/07/14 09:052003/07/14 09:05071\r\n2003/07/14 09:052003/07/14 09:05102\r\n");
  }
  test::WriteFile(data + "\\folderdat.txt", "C=1234\r\n");
  test::WriteFile(data + "\\filedat.txt", "C=2\r\n");
}

// The six list files, for the tests that a close leaves them untouched.
const char* const kListFiles[] = {"sach.txt",      "sachinfo1.txt", "sachfile.txt",
                                  "sachinfo2.txt", "folderdat.txt", "filedat.txt"};

std::vector<std::string> ListFileBytes(const std::string& data) {
  std::vector<std::string> bytes;
  for (const char* name : kListFiles) bytes.push_back(test::ReadFile(data + "\\" + name));
  return bytes;
}

// Names every list file whose bytes differ from before (the bytes themselves
// are not printed: a million-entry file would flood the log).
::testing::AssertionResult ListFilesUnchanged(const std::string& data,
                                              const std::vector<std::string>& before) {
  const std::vector<std::string> now = ListFileBytes(data);
  std::string changed;
  for (size_t i = 0; i < now.size(); ++i) {
    if (i >= before.size() || now[i] != before[i]) changed += std::string(" ") + kListFiles[i];
  }
  if (changed.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "changed:" << changed;
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::FreshFolder("frame") + "\\";
    hook_ = std::make_unique<win::ScopedMessageBoxHook>(
        [this](HWND, const std::string& text, const std::string& title, UINT type) {
          boxes_.push_back({text, title, type});
          return answer_;
        });
  }

  std::unique_ptr<TVemkoSearcher> Start(StartOptions options = {}, bool show = true) {
    if (options.programFolder.empty()) options.programFolder = folder_;
    if (!options.launcherFolder) options.launcherFolder = folder_ + "no-launcher";
    auto window = std::make_unique<TVemkoSearcher>(options);
    if (show) window->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    return window;
  }

  // Closes the way the user does (the close query, then destruction).
  static void CloseWindow(std::unique_ptr<TVemkoSearcher>& window) {
    SendMessageA(window->Handle(), WM_CLOSE, 0, 0);
    window.reset();
  }

  std::string Data() const { return folder_ + "data"; }

  std::string folder_;
  std::vector<AskedBox> boxes_;
  int answer_ = IDNO;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
};

TEST_F(FrameTest, FirstStartInEmptyFolder) {
  auto w = Start();
  EXPECT_NE(GetFileAttributesA(Data().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(w->Settings, Settings{});
  EXPECT_EQ(win::WindowText(w->NumberEdit1), "1,000");
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, kNoListPrompt);
  EXPECT_EQ(boxes_[0].title, "検索リスト");
  EXPECT_EQ(boxes_[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(win::WindowText(w->StaticText1), " Folder:   File: ");
  EXPECT_EQ(w->HintOf(w->StaticText1), "検索リストの情報");
  EXPECT_TRUE(w->TimerEnabled(TVemkoSearcher::Timer2));

  // The panel's form defaults.
  EXPECT_FALSE(IsWindowVisible(w->Panel5));
  EXPECT_FALSE(IsWindowVisible(w->Panel3));
  EXPECT_TRUE(win::IsChecked(w->SpeedButton7));
  EXPECT_FALSE(win::IsChecked(w->SpeedButton2));
  const std::pair<HWND, bool> boxes[] = {
      {w->CheckBox1, false}, {w->CheckBox2, true},  {w->CheckBox5, false}, {w->CheckBox7, false},
      {w->CheckBox3, false}, {w->CheckBox4, false}, {w->CheckBox6, false}, {w->CheckBox8, true}};
  for (auto [box, on] : boxes) EXPECT_EQ(win::IsChecked(box), on) << win::WindowText(box);
  EXPECT_EQ(w->TagOf(w->CheckBox6), 110);
  w->EnsureFilterPanel();
  EXPECT_FALSE(IsWindowVisible(w->Panel5));
  EXPECT_EQ(w->TagOf(w->ComboBox1), 120);
  EXPECT_EQ(w->TagOf(w->ComboBox4), 130);
  const char* captions[] = {"名前", "サイズ", "更新日", "属性と状態", "種類", "パス"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(w->ListColumnCaption(i), captions[i]);
  EXPECT_TRUE(GetWindowLongA(w->ListView1, GWL_STYLE) & LVS_OWNERDATA);

  CloseWindow(w);
  std::string ini;
  ASSERT_TRUE(ReadWholeFile(Data() + "\\searchdata.ini", ini));
  EXPECT_EQ(ini, SettingsText(Settings{}));  // nine keys, in order
}

TEST_F(FrameTest, SettingsFileIsReadClampedAndWrittenBack) {
  struct Case {
    const char* section;  // lines of [DATA]
    const char* shown;    // hit-limit box
    Settings expected;
  };
  Settings recy;
  recy.recy = true;
  Settings max100;
  max100.max = 100;
  Settings max100000;
  max100000.max = 100000;
  Settings paths;
  paths.toolpath = "C:\\表\\Brontal.exe";
  paths.ico = true;
  paths.maxstop = false;
  const Case cases[] = {
      {"max=50\r\n", "100", max100},
      {"max=250000\r\n", "100,000", max100000},
      {"recy=1\r\n", "1,000", recy},
      {"max=abc\r\n", "1,000", Settings{}},
      {"ico=1\r\nmaxstop=0\r\ntoolpath=C:\\表\\Brontal.exe\r\n", "1,000", paths},
      {"", "1,000", Settings{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    folder_ = test::FreshFolder("settings") + "\\";
    CreateDirectoryA(Data().c_str(), nullptr);
    test::WriteFile(Data() + "\\searchdata.ini", std::string("[DATA]\r\n") + c.section);
    auto w = Start();
    EXPECT_EQ(w->Settings, c.expected);
    EXPECT_EQ(win::WindowText(w->NumberEdit1), c.shown);
    CloseWindow(w);
    std::string ini;
    ASSERT_TRUE(ReadWholeFile(Data() + "\\searchdata.ini", ini));
    EXPECT_EQ(ParseSettingsText(ini), c.expected);
    for (const char* key : kSettingKeys) {
      EXPECT_NE(ini.find(std::string(key) + "="), std::string::npos) << key;
    }
  }
}

TEST_F(FrameTest, ThreeOfFourListFilesLoadNothing) {
  CreateDirectoryA(Data().c_str(), nullptr);
  WriteListFiles(Data(), /*all=*/false);
  auto w = Start();
  EXPECT_EQ(w->LiveList.FolderList.size(), 0u);
  EXPECT_EQ(w->LiveList.FileList.size(), 0u);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, kNoListPrompt);
  EXPECT_EQ(win::WindowText(w->StaticText1), " Folder:   File: ");
  // The per-drive counts load on their own.
  EXPECT_EQ(w->FolderCounts.countOf('C'), 1234u);
}

TEST_F(FrameTest, FourListFilesShowCountsAndCloseUntouched) {
  CreateDirectoryA(Data().c_str(), nullptr);
  WriteListFiles(Data());
  const std::vector<std::string> before = ListFileBytes(Data());

  auto w = Start();
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(win::WindowText(w->StaticText1), " Folder: 1,234  File: 2");
  std::string written;
  ASSERT_TRUE(win::LastWriteTimeText(Data() + "\\sach.txt", &written));
  EXPECT_EQ(w->HintOf(w->StaticText1), "検索リストの情報|リストを更新した日時 " + written);
  EXPECT_EQ(w->ListDirty, 0);
  CloseWindow(w);
  EXPECT_TRUE(ListFilesUnchanged(Data(), before));
}

// The new user's first look at a full list: a million entries and a settings
// file whose hit limit is out of range.
TEST_F(FrameTest, MillionEntryListShowsCountsAndClosesUntouched) {
  CreateDirectoryA(Data().c_str(), nullptr);
  {
    SearchList made;
    bench::MakeSyntheticList(100000, 900000, made);
    DriveCounts folders, files;
    CountEntriesPerDrive(made, folders, files);
    ASSERT_TRUE(SaveListFiles(Data(), made, folders, files));
  }
  // A key of the user's own and another section survive the close.
  test::WriteFile(Data() + "\\searchdata.ini",
                  "[DATA]\r\nmax=50\r\nnote=keep\r\n[Other]\r\nx=1\r\n");
  const std::vector<std::string> before = ListFileBytes(Data());

  auto w = Start();
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(win::WindowText(w->StaticText1), " Folder: 100,000  File: 900,000");
  EXPECT_EQ(win::WindowText(w->NumberEdit1), "100");
  CloseWindow(w);

  std::vector<std::string> lines;
  ForEachLine(test::ReadFile(Data() + "\\searchdata.ini"),
              [&](std::string_view l) { lines.emplace_back(l); });
  const std::vector<std::string> expected = {
      "[DATA]",  "ico=0",     "chk=0",       "maxstop=1", "upmode=0", "sizekb=1", "recy=0",
      "max=100", "toolpath=", "simpcppath=", "note=keep", "[Other]",  "x=1"};
  EXPECT_EQ(lines, expected);
  EXPECT_TRUE(ListFilesUnchanged(Data(), before));
}

// A list whose files do not fit each other (cut short, a stray CR) or one of
// whose files is a folder is never searched: the start says which file is
// damaged and offers a new list; answered No, the files stay as they were.
TEST_F(FrameTest, DamagedListIsNamedAndOfferedANewBuild) {
  struct Case {
    const char* what;
    const char* file;
    std::string text;  // empty: a folder takes the file's place
    const char* question;
  } cases[] = {
      {"file list cut short", "sachfile.txt", "0=boot.i",
       "検索リストが壊れています（sachinfo2.txt: 行数が sachfile.txt と一致しません）。\n"
       "新しく作成しますか？"},
      {"CR CR LF in the folder list", "sach.txt", "C:\r\r\nC:\\d1\r\n",
       "検索リストが壊れています（sachinfo1.txt: 行数が sach.txt と一致しません）。\n"
       "新しく作成しますか？"},
      {"a folder named like the file information", "sachinfo2.txt", "",
       "検索リストが壊れています（sachinfo2.txt: 通常のファイルではありません）。\n"
       "新しく作成しますか？"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    folder_ = test::FreshFolder("damaged") + "\\";
    boxes_.clear();
    CreateDirectoryA(Data().c_str(), nullptr);
    WriteListFiles(Data());
    const std::string path = Data() + "\\" + c.file;
    DeleteFileA(path.c_str());
    if (c.text.empty()) {
      CreateDirectoryA(path.c_str(), nullptr);
    } else {
      test::WriteFile(path, c.text);
    }
    const std::vector<std::string> before = ListFileBytes(Data());
    auto w = Start();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, c.question);
    EXPECT_EQ(boxes_[0].title, "検索リスト");
    EXPECT_EQ(boxes_[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(w->LiveList.FolderList.size(), 0u);
    EXPECT_EQ(w->LiveList.FileList.size(), 0u);
    EXPECT_EQ(win::WindowText(w->StaticText1), " Folder:   File: ");
    CloseWindow(w);
    EXPECT_TRUE(ListFilesUnchanged(Data(), before));
    if (c.text.empty()) {
      EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    }
  }
}

// A settings file or count file that is a folder or a sparse 100 GB file
// gives no message and a correct window: default settings, counts computed
// from the list. Neither stand-in is written over at close.
TEST_F(FrameTest, UnusableSettingsAndCountFilesFallBackQuietly) {
  struct Case {
    const char* file;
    bool folder;  // else a sparse 100 GB file
  } cases[] = {
      {"searchdata.ini", true},
      {"searchdata.ini", false},
      {"folderdat.txt", false},
      {"filedat.txt", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.folder ? " folder" : " huge"));
    folder_ = test::FreshFolder("unusable") + "\\";
    boxes_.clear();
    CreateDirectoryA(Data().c_str(), nullptr);
    WriteListFiles(Data());
    test::WriteFile(Data() + "\\searchdata.ini", "[DATA]\r\nmax=200\r\n");
    // Counts that would be wrong if they were searched with: the window must
    // compute them itself when it cannot read the file.
    const std::string path = Data() + "\\" + c.file;
    DeleteFileA(path.c_str());
    if (c.folder) {
      ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    } else {
      ASSERT_TRUE(test::MakeSparseFile(path, test::kHugeFileBytes));
    }
    auto w = Start();
    EXPECT_TRUE(boxes_.empty());
    const bool settings = std::string(c.file) == "searchdata.ini";
    EXPECT_EQ(w->Settings.max, settings ? 1000 : 200);
    EXPECT_EQ(win::WindowText(w->StaticText1), " Folder: 1,234  File: 2");
    EXPECT_EQ(w->FolderCounts.countOf('C'), 1234u);
    EXPECT_EQ(w->FileCounts.countOf('C'), 2u);
    CloseWindow(w);
    WIN32_FILE_ATTRIBUTE_DATA attr{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attr));
    if (c.folder) {
      EXPECT_NE(attr.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
      RemoveDirectoryA(path.c_str());
    } else {
      EXPECT_EQ((static_cast<long long>(attr.nFileSizeHigh) << 32) | attr.nFileSizeLow,
                test::kHugeFileBytes);
      DeleteFileA(path.c_str());
    }
  }
}

TEST_F(FrameTest, ChangedListIsSavedAtClose) {
  CreateDirectoryA(Data().c_str(), nullptr);
  WriteListFiles(Data());
  auto w = Start();
  w->LiveList.FolderList.append("D:");
  w->LiveList.FolderInfoList.appendRoot();
  w->ListDirty = 1;
  CloseWindow(w);
  EXPECT_TRUE(boxes_.empty());
  const std::string folders = test::ReadFile(Data() + "\\sach.txt");
  EXPECT_EQ(folders.substr(folders.size() - 4), "D:\r\n");
}

TEST_F(FrameTest, FailedSaveIsReportedAndKeepsStoredList) {
  CreateDirectoryA(Data().c_str(), nullptr);
  WriteListFiles(Data());
  const std::string before = test::ReadFile(Data() + "\\sach.txt");
  // A folder where the save writes its temporary copy of one file makes the
  // save fail before any stored file is replaced.
  CreateDirectoryA((Data() + "\\sachinfo2.txt.tmp").c_str(), nullptr);
  auto w = Start();
  w->LiveList.FolderList.append("D:");
  w->LiveList.FolderInfoList.appendRoot();
  w->ListDirty = 1;
  EXPECT_FALSE(w->SaveSearchList());
  EXPECT_EQ(w->ListDirty, 1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].type & MB_ICONERROR, 0u);
  EXPECT_NE(boxes_[0].text.find("保存できませんでした"), std::string::npos);
  EXPECT_EQ(test::ReadFile(Data() + "\\sach.txt"), before);
  EXPECT_EQ(win::WindowText(w->Handle()), "Filvex") << "the saving note is taken back";
  RemoveDirectoryA((Data() + "\\sachinfo2.txt.tmp").c_str());
}

TEST_F(FrameTest, HitLimitBoxClampsAndFormats) {
  auto w = Start();
  struct Step {
    const char* typed;  // nullptr: spin button (up when shown is "up", else down)
    const char* spin;
    const char* shown;
    int limit;
  };
  const Step steps[] = {
      {"250,000", nullptr, "100,000", 100000},
      {nullptr, "up", "100,000", 100000},
      {"5", nullptr, "100", 100},
      {nullptr, "down", "100", 100},
      {nullptr, "up", "101", 101},
      {"2500", nullptr, "2,500", 2500},
      {"1000,", nullptr, "2,500", 2500},
      {"abc", nullptr, "2,500", 2500},
      {" 1,000 ", nullptr, "1,000", 1000},
      {nullptr, "down", "999", 999},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.typed ? s.typed : s.spin);
    if (s.typed) {
      SetWindowTextA(w->NumberEdit1, s.typed);
    } else if (std::string(s.spin) == "up") {
      w->CSpinButton1UpClick();
    } else {
      w->CSpinButton1DownClick();
    }
    EXPECT_EQ(win::WindowText(w->NumberEdit1), s.shown);
    EXPECT_EQ(w->HitLimit(), s.limit);
  }
  // The spin button itself: a press on its upper half reports one step up.
  RECT rc;
  GetClientRect(w->CSpinButton1, &rc);
  SendMessageA(w->CSpinButton1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageA(w->CSpinButton1, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(win::WindowText(w->NumberEdit1), "1,000");
  SendMessageA(w->CSpinButton1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, rc.bottom - 2));
  SendMessageA(w->CSpinButton1, WM_LBUTTONUP, 0, MAKELPARAM(2, rc.bottom - 2));
  EXPECT_EQ(win::WindowText(w->NumberEdit1), "999");
  // The box is a right-aligned edit that accepts any character.
  const LONG style = GetWindowLongA(w->NumberEdit1, GWL_STYLE);
  EXPECT_EQ(style & (ES_CENTER | ES_RIGHT), ES_RIGHT);
  EXPECT_EQ(style & ES_NUMBER, 0);
}

TEST_F(FrameTest, CommandLineCountsOnlyInIntegratedCopy) {
  struct Case {
    const char* subfolder;
    std::vector<std::string> args;
    bool integrated, closeWithLauncher, hidden;
  };
  const Case cases[] = {
      {"plain\\", {"-search"}, false, false, false},
      {"plain\\", {"-open"}, false, false, false},
      {"Vemko\\Trelquin\\", {"-search"}, true, false, true},
      {"Vemko\\Trelquin\\", {"-open"}, true, true, false},
      {"Vemko\\Trelquin\\", {"-SEARCH"}, true, false, false},
      {"Vemko\\Trelquin\\", {"-x", "-search"}, true, false, false},
      {"Vemko\\Trelquin\\", {}, true, false, false},
      {"x\\Vemko\\Trelquin\\Filvex\\", {"-open"}, true, true, false},
      {"vemko\\trelquin\\", {"-search"}, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.subfolder) + (c.args.empty() ? "" : " " + c.args[0]));
    boxes_.clear();
    StartOptions o;
    o.programFolder = folder_ + c.subfolder;
    o.args = c.args;
    auto w = Start(o);
    EXPECT_EQ(w->IntegratedInstall, c.integrated);
    EXPECT_EQ(w->CloseWithLauncher, c.closeWithLauncher);
    EXPECT_EQ(!w->ShowMainForm, c.hidden);
    EXPECT_EQ(w->TimerEnabled(TVemkoSearcher::Timer3), c.hidden);
    // Hidden: never shown, so no search list is loaded and nothing is asked.
    EXPECT_EQ(w->IsVisible(), !c.hidden);
    EXPECT_EQ(boxes_.size(), c.hidden ? 0u : 1u);
    EXPECT_EQ(w->N10->Visible(), !c.integrated);
    // No launcher window exists here, so the schedule is never offered.
    EXPECT_FALSE(w->N12->Enabled());
  }
}

TEST_F(FrameTest, IntegrationItemFollowsLauncherFolder) {
  const std::string launcher = folder_ + "Vemko\\Trelquin";
  struct Case {
    bool folderThere, copyThere;
    bool enabled;
    const char* hint;
  };
  const Case cases[] = {
      {false, false, false, "Trelquinなし"},
      {true, false, true, "Trelquinに統合する"},
      {true, true, false, "外部実行"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hint);
    if (c.folderThere) {
      CreateDirectoryA((folder_ + "Vemko").c_str(), nullptr);
      CreateDirectoryA(launcher.c_str(), nullptr);
    }
    if (c.copyThere) test::WriteFile(launcher + "\\Filvex.exe", "MZ");
    StartOptions o;
    o.programFolder = folder_ + "app\\";
    o.exeName = "Filvex.exe";
    o.launcherFolder = launcher;
    auto w = Start(o);
    EXPECT_EQ(w->N10->Enabled(), c.enabled);
    EXPECT_EQ(w->N10->Hint, c.hint);
    EXPECT_TRUE(w->N10->Visible());
  }
}

TEST_F(FrameTest, StatusBarShowsLongHintUnderMouse) {
  auto w = Start();
  struct Case {
    HWND control;
    const char* shown;
  };
  const Case cases[] = {
      {w->SpeedButton7, "一文字、入力する度に一致するテキストを検索する"},
      {w->Edit1, "複数は半角スラッシュ(/)で区切る"},
      {w->HitListSpBtn, "ピックアップリストのファイルを表示する"},
      {w->CheckBox6, "システムと隠し属性"},
      {w->ListView1, ""},
      {w->CSpinButton1, "100～100,000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    PostMessageA(c.control, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    test::Pump();
    EXPECT_EQ(w->StatusText(1), c.shown);
    char text[256] = {};
    SendMessageA(w->StatusBar1, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, c.shown);
  }
  // Menu items show theirs while they are highlighted.
  const std::pair<TMenuItem*, const char*> items[] = {
      {w->N19, "検索リストから存在しないファイル名を削除"},
      {w->N7, "指定の属性値に一致するファイルを検索する"},
      {w->N14, "指定のサイズに一致するファイルを検索する"},
  };
  for (auto [item, hint] : items) {
    SendMessageA(w->Handle(), WM_MENUSELECT, MAKEWPARAM(item->Id(), MF_HILITE),
                 reinterpret_cast<LPARAM>(w->MainMenu1.Handle()));
    EXPECT_EQ(w->StatusText(1), hint);
  }
  SendMessageA(w->Handle(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(w->StatusText(1), "");
}

TEST_F(FrameTest, MenusCarryTheirNamesAndCaptions) {
  auto w = Start();
  const std::pair<const char*, const char*> items[] = {
      {"SearchNewMenu", "検索リストの更新"},
      {"Exit1", "終了(&X)"},
      {"OptionMenu", "設定(&O)"},
      {"N10", "統合"},
      {"N12", "スケジュール"},
      {"N19", "検索リストの掃除"},
      {"NotFileMenu", "不明リストを調べる"},
      {"N20", "ファイル名で検索"},
      {"AllSelMenu", "全て選択(&A)"},
      {"N1", "バージョン"},
  };
  for (auto [name, caption] : items) {
    TMenuItem* item = w->MainMenu1.FindByName(name);
    ASSERT_NE(item, nullptr) << name;
    EXPECT_EQ(item->Caption(), caption);
  }
  EXPECT_FALSE(w->N20->Visible());
  EXPECT_EQ(w->N13->Tag, 101);
  for (const char* name : {"Open1", "Explore1", "Copy1", "Paste1", "Delete1", "SendToMenu",
                           "SendBinderMenu", "Pexwick1", "N15", "Property1"}) {
    EXPECT_NE(w->PopupMenu1.FindByName(name), nullptr) << name;
  }
  // The File menu offers the update only while no build runs.
  w->BuildStop.store(0);
  SendMessageA(w->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(w->File1->SubMenu()), 0);
  EXPECT_FALSE(w->SearchNewMenu->Enabled());
  w->BuildStop.store(1);
  SendMessageA(w->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(w->File1->SubMenu()), 0);
  EXPECT_TRUE(w->SearchNewMenu->Enabled());
}

TEST_F(FrameTest, FilterPanelShowsWithOptionButtonAndEnablesItsControls) {
  auto w = Start();
  SendMessageA(w->SpeedButton2, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowVisible(w->Panel5));
  EXPECT_FALSE(IsWindowEnabled(w->ComboBox1));
  SendMessageA(w->CheckBox9, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(w->ComboBox1));
  EXPECT_TRUE(IsWindowEnabled(w->DateTimePicker2));
  SendMessageA(w->CheckBox10, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(w->NumberEdit2));
  EXPECT_FALSE(IsWindowEnabled(w->NumberEdit3));
  SendMessageA(w->ComboBox2, CB_SETCURSEL, 2, 0);  // "範囲"
  SendMessageA(w->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w->ComboBox2), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(w->ComboBox2));
  EXPECT_TRUE(IsWindowEnabled(w->NumberEdit3));
  EXPECT_EQ(win::WindowText(w->StaticText2), "1KB ～ 1KB");
  SendMessageA(w->SpeedButton2, BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(w->Panel5));
}

// A stand-in for a running build without upmode: it fills the live set and
// hands progress texts to the window until it is told to stop; stopped, it
// puts the stored list back, as a stopped build does.
TEST_F(FrameTest, CloseStopsRunningBuildBeforeSaving) {
  CreateDirectoryA(Data().c_str(), nullptr);
  WriteListFiles(Data());
  const std::string before = test::ReadFile(Data() + "\\sach.txt");
  auto w = Start();
  TVemkoSearcher* self = w.get();
  std::atomic<int> progress{0};
  self->BuildStop.store(0);
  self->BuildThread = std::make_unique<win::WorkerThread>(
      [self, &progress] {
        while (self->BuildStop.load() == 0) {
          win::RunOnUiThread([self, &progress] {
            SetWindowTextA(self->Panel3, "C: ドライブのリストを作成中...  ");
            ++progress;
          });
          Sleep(1);
        }
      },
      [self] {
        self->BuildCancelled.store(1);
        self->LoadSearchList();
      });
  self->LiveList.FolderList.append("C:\\half-built");  // what the build added so far
  self->LiveList.FolderInfoList.appendRoot();
  self->ListDirty = 1;  // an earlier change still waits to be saved
  ASSERT_TRUE(self->BuildThread->Start());
  while (progress.load() < 3) test::Pump();
  CloseWindow(w);  // must not hang, and must not save the half-built list
  EXPECT_EQ(test::ReadFile(Data() + "\\sach.txt"), before);
  EXPECT_TRUE(boxes_.empty());
}

// Answers the options dialog from a timer that fires inside its modal loop.
struct DialogScript {
  static inline std::vector<int> clicks;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", "設定");
    if (!dlg) return;
    KillTimer(nullptr, id);
    for (int control : clicks) SendMessageA(GetDlgItem(dlg, control), BM_CLICK, 0, 0);
  }
};

TEST_F(FrameTest, OptionsDialogChangesSettingsOnlyOnOk) {
  auto w = Start();
  const Settings before = w->Settings;
  DialogScript::clicks = {TOptionDlg::kFirstBoxId, TOptionDlg::kFirstBoxId + 2, IDCANCEL};
  SetTimer(nullptr, 0, 20, &DialogScript::Tick);
  w->OptionMenuClick();
  EXPECT_EQ(w->Settings, before);

  DialogScript::clicks = {TOptionDlg::kFirstBoxId, TOptionDlg::kFirstBoxId + 2,
                          TOptionDlg::kFirstBoxId + 5, IDOK};
  SetTimer(nullptr, 0, 20, &DialogScript::Tick);
  w->OptionMenuClick();
  EXPECT_TRUE(w->Settings.ico);
  EXPECT_FALSE(w->Settings.maxstop);
  EXPECT_TRUE(w->Settings.recy);
  EXPECT_EQ(w->Settings.max, before.max);
}

}  // namespace
}  // namespace filvex
