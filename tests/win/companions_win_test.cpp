// The companion programs as the main window meets them: stand-in windows of
// the launcher, binder and copy tool classes record what they are sent and
// answer like the real programs; the binder files are written directly when
// no binder runs.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "companions/binder_dlg_win.h"
#include "platform/message_box.h"
#include "platform/shell_start.h"
#include "platform/window_text.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

struct Received {
  HWND sender;
  ULONG_PTR code;
  std::string data;
};

// A hidden window of a companion's class that records every WM_COPYDATA and
// may answer a binder-list request (code 4) with its own list, from inside
// its handler as a companion does.
class StandIn {
 public:
  explicit StandIn(const char* cls) : cls_(cls) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    wnd_ = CreateWindowA(cls, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                         nullptr);
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~StandIn() {
    DestroyWindow(wnd_);
    UnregisterClassA(cls_.c_str(), GetModuleHandleA(nullptr));
  }
  HWND wnd() const { return wnd_; }

  std::vector<Received> inbox;
  std::optional<std::string> binderList;  // "Vemko" + lines, sent back on code 4

 private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<StandIn*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (msg == WM_COPYDATA && self) {
      const auto* d = reinterpret_cast<const COPYDATASTRUCT*>(lp);
      self->inbox.push_back({reinterpret_cast<HWND>(wp), d->dwData,
                             std::string(static_cast<const char*>(d->lpData), d->cbData)});
      if (d->dwData == 4 && self->binderList) {
        Send(wnd, reinterpret_cast<HWND>(wp), 4, *self->binderList);
      }
      return 1;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
  }

 public:
  static LRESULT Send(HWND from, HWND to, ULONG_PTR code, const std::string& data,
                      bool nullData = false) {
    COPYDATASTRUCT cds = {};
    cds.dwData = code;
    cds.cbData = static_cast<DWORD>(data.size());
    cds.lpData = nullData ? nullptr : const_cast<char*>(data.data());
    return SendMessageA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                        reinterpret_cast<LPARAM>(&cds));
  }

 private:
  std::string cls_;
  HWND wnd_ = nullptr;
};

// Serves messages until pred holds (or 60 s passed).
bool ServeUntil(const std::function<bool()>& pred) {
  for (int i = 0; i < 6000; ++i) {
    test::Pump();
    if (pred()) return true;
    Sleep(10);
  }
  return false;
}

class CompanionWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hook_ = std::make_unique<win::ScopedMessageBoxHook>(
        [this](HWND, const std::string& text, const std::string& title, UINT) {
          boxes_.push_back(title + "|" + text);
          return answer_;
        });
    program_ = test::FreshFolder("companions") + "\\";
    CreateDirectoryA((program_ + "data").c_str(), nullptr);
    test::WriteSmallStoredList(program_ + "data\\");
    StartOptions o;
    o.programFolder = program_;
    o.launcherFolder = program_ + "no-launcher";
    w_ = std::make_unique<TVemkoSearcher>(o);
    w_->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    ASSERT_TRUE(test::WaitForSearch(*w_));
    boxes_.clear();
  }
  void TearDown() override {
    TBinderAddDlg::SetShownHookForTests({});
    if (w_) SendMessageA(w_->Handle(), WM_CLOSE, 0, 0);
    w_.reset();
  }

  // Rows of the given paths (files unless they end in "\"), all selected.
  void ShowRows(const std::vector<std::string>& paths) {
    w_->ClearHitList();
    for (std::string p : paths) {
      HitRecord r;
      if (p.back() == '\\') {
        r.Kind = kKindFolder;
        p.pop_back();
      }
      r.Path = p;
      r.Name = p.substr(p.rfind('\\') + 1);
      w_->HitList.push_back(r);
    }
    ListView_SetItemCountEx(w_->ListView1, static_cast<int>(paths.size()), 0);
    ListView_SetItemState(w_->ListView1, -1, LVIS_SELECTED, LVIS_SELECTED);
  }

  // Answers TBinderAddDlg: checks its caption, types the name and presses OK.
  void AnswerDialog(const std::string& caption, const std::string& name) {
    TBinderAddDlg::SetShownHookForTests([this, caption, name](HWND dlg) {
      dialogs_.push_back(win::WindowText(dlg));
      EXPECT_EQ(win::WindowText(dlg), caption);
      SetDlgItemTextA(dlg, TBinderAddDlg::kEdit1, name.c_str());
      PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
  }

  std::string program_;
  std::unique_ptr<TVemkoSearcher> w_;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
  std::vector<std::string> boxes_;
  std::vector<std::string> dialogs_;
  int answer_ = IDYES;
};

TEST_F(CompanionWindowTest, LauncherThatOrdersABuildIsToldWhenItIsDone) {
  StandIn launcher("TVemkoTrelquin");
  EXPECT_EQ(StandIn::Send(launcher.wnd(), w_->Handle(), 1, "Vemko"), 1);
  EXPECT_TRUE(w_->TimerEnabled(TVemkoSearcher::Timer3));
  ASSERT_TRUE(ServeUntil([&] {
    return !launcher.inbox.empty() && w_->BuildStop.load() == 1 && w_->BuildThread &&
           w_->BuildThread->Finished();
  }));
  ASSERT_EQ(launcher.inbox.size(), 1u);
  EXPECT_EQ(launcher.inbox[0].code, 0u);
  EXPECT_EQ(launcher.inbox[0].data, "Vemko");
  EXPECT_EQ(launcher.inbox[0].sender, w_->Handle());
  EXPECT_TRUE(w_->IsVisible());  // a build ordered during use ends with a search
}

TEST_F(CompanionWindowTest, ScheduleCaptionUntilTheLauncherAnswers) {
  StandIn launcher("TVemkoTrelquin");
  w_->N12Click();
  EXPECT_EQ(win::WindowText(w_->Handle()), "スケジュールの編集");
  ASSERT_EQ(launcher.inbox.size(), 1u);
  EXPECT_EQ(launcher.inbox[0].code, 1u);
  EXPECT_EQ(launcher.inbox[0].data, "Vemko");
  StandIn::Send(launcher.wnd(), w_->Handle(), 2, "Vemko");
  EXPECT_EQ(win::WindowText(w_->Handle()), win::ApplicationTitle());
}

TEST_F(CompanionWindowTest, MessagesFromStrangersOrNotInTheFormatChangeNothing) {
  StandIn launcher("TVemkoTrelquin");
  StandIn binder("TVemkoBrontal");
  StandIn stranger("TVemkoSomethingElse");
  std::string tooMany;
  for (int i = 0; i <= 10000; ++i) tooMany += "x\r\n";
  struct Case {
    const char* what;
    HWND from;
    ULONG_PTR code;
    std::string data;
    bool nullData;
  };
  const Case cases[] = {
      {"build from another class", stranger.wnd(), 1, "Vemko", false},
      {"binder list from another class", stranger.wnd(), 4, "VemkoA\r\n", false},
      {"caption from another class", stranger.wnd(), 2, "Vemko", false},
      {"no sender", nullptr, 1, "Vemko", false},
      {"no prefix", launcher.wnd(), 1, "Vemk", false},
      {"prefix in other case", launcher.wnd(), 2, "VEMKO", false},
      {"zero inside", binder.wnd(), 4, std::string("VemkoA\0B", 8), false},
      {"size without data", launcher.wnd(), 1, "Vemko", true},
      {"beyond the size limit", binder.wnd(), 4, "Vemko" + std::string(1 << 20, 'a'), false},
      {"too many binders", binder.wnd(), 4, "Vemko" + tooMany, false},
      {"binder list from the launcher", launcher.wnd(), 4, "VemkoA\r\n", false},
      {"unknown code", binder.wnd(), 3, "Vemko", false},
  };
  SetWindowTextA(w_->Handle(), "スケジュールの編集");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(StandIn::Send(c.from, w_->Handle(), c.code, c.data, c.nullData), 1);
    test::Pump();
    EXPECT_FALSE(w_->TimerEnabled(TVemkoSearcher::Timer1));
    EXPECT_FALSE(w_->TimerEnabled(TVemkoSearcher::Timer3));
    EXPECT_EQ(w_->BuildStop.load(), 1);
    EXPECT_EQ(win::WindowText(w_->Handle()), "スケジュールの編集");
    EXPECT_EQ(w_->BinderChoices, "");
    EXPECT_EQ(w_->ReplySenderClass, "");
  }
  EXPECT_TRUE(dialogs_.empty());
}

TEST_F(CompanionWindowTest, RunningCompanionsReceiveTheChosenPathsUnderTheChosenBinder) {
  struct Case {
    const char* cls;
    bool copyTool;
    const char* caption;
  };
  const Case cases[] = {
      {"TVemkoBrontal", false, "Brontal へのフォルダ登録"},
      {"TVemkoPexwick", true, "Pexwick へのフォルダ登録"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cls);
    StandIn companion(c.cls);
    companion.binderList = "VemkoWork\r\nPhotos=3\r\n";
    ShowRows({"C:\\Data\\", "C:\\boot.ini", "D:\\表\\ソ.txt"});
    AnswerDialog(c.caption, "Photos");
    c.copyTool ? w_->Pexwick1Click() : w_->SendBinderMenuClick();
    ASSERT_TRUE(ServeUntil([&] { return companion.inbox.size() == 2; }));
    EXPECT_EQ(companion.inbox[0].code, 4u);
    EXPECT_EQ(companion.inbox[0].data, "Vemko");
    EXPECT_EQ(companion.inbox[0].sender, w_->Handle());
    EXPECT_EQ(w_->ReplySenderClass, c.cls);
    EXPECT_EQ(companion.inbox[1].code, 5u);
    EXPECT_EQ(companion.inbox[1].data,
              "VemkoPhotos@\\@C:\\Data\r\nC:\\boot.ini\r\nD:\\表\\ソ.txt\r\n");
    // The test program is neither Brontal.exe nor Pexwick.exe: not remembered.
    EXPECT_EQ(c.copyTool ? w_->Settings.simpcppath : w_->Settings.toolpath, "");
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(CompanionWindowTest, BinderDialogOffersTheListAndWantsAName) {
  std::vector<std::string> seen;
  TBinderAddDlg::SetShownHookForTests([&](HWND dlg) {
    HWND edit = GetDlgItem(dlg, TBinderAddDlg::kEdit1);
    HWND combo = GetDlgItem(dlg, TBinderAddDlg::kComboBox1);
    HWND ok = GetDlgItem(dlg, IDOK);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_FALSE(IsWindowEnabled(ok));
    // Typing selects the row of that whole line, else of that name.
    const std::pair<const char*, const char*> typed[] = {
        {"Photos", "Photos=3"}, {"Work", "Work"}, {"Wor", ""}, {"Photos=3", "Photos=3"}};
    for (const auto& [text, row] : typed) {
      SetWindowTextA(edit, text);
      const LRESULT sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
      std::string line;
      if (sel >= 0) {
        line.resize(static_cast<size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, sel, 0)));
        SendMessageA(combo, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(line.data()));
      }
      seen.push_back(line);
      EXPECT_EQ(line, row) << text;
      EXPECT_TRUE(IsWindowEnabled(ok));
    }
    // Choosing a row puts its name into the box.
    SendMessageA(combo, CB_SETCURSEL, 0, 0);  // sorted: "Alpha" first
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(TBinderAddDlg::kComboBox1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(win::WindowText(edit), "Alpha");
    SetWindowTextA(edit, "");
    EXPECT_FALSE(IsWindowEnabled(ok));
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(TBinderAddDlg::Execute(w_->Handle(), "Brontal へのフォルダ登録",
                                      {"Work", "Photos=3", "Alpha"}, w_->ImageList1.get())
                   .has_value());
  EXPECT_EQ(seen.size(), 4u);
}

class BinderFileTest : public CompanionWindowTest {
 protected:
  void SetUp() override {
    CompanionWindowTest::SetUp();
    tool_ = test::FreshFolder("brontal") + "\\";
    CreateDirectoryA((tool_ + "data").c_str(), nullptr);
    test::WriteFile(tool_ + "Brontal.exe", "MZ");
    test::WriteFile(tool_ + "data\\titlelist.txt", "Work\r\n");
    test::WriteFile(tool_ + "data\\folderlist.ini", "[Work]\r\nC:\\Data=0\r\n");
    w_->Settings.toolpath = tool_ + "Brontal.exe";
  }
  std::string File(const char* name) { return test::ReadFile(tool_ + "data\\" + name); }
  std::string tool_;
};

TEST_F(BinderFileTest, WithoutTheBinderItsFilesGetTheExactKeys) {
  ShowRows({"C:\\boot.ini", "C:\\Data\\", "C:\\Data\\a.txt"});
  AnswerDialog("Brontal へのフォルダ登録", "New");
  w_->SendBinderMenuClick();
  ASSERT_EQ(dialogs_.size(), 1u);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "作成確認|'New' の名前で新しいバインダーを作成しますか？");
  EXPECT_EQ(File("titlelist.txt"), "Work\r\nNew\r\n");
  EXPECT_EQ(File("folderlist.ini"), "[Work]\r\nC:\\Data=0\r\n[New]\r\nC:\\=0\r\nC:\\Data=0\r\n");
  EXPECT_EQ(File("selectlist.ini"), "[New-C:\\]\r\nboot.ini=\r\n[New-Data]\r\na.txt=\r\n");

  // Into an existing binder: no question, the new keys join its section.
  boxes_.clear();
  ShowRows({"C:\\Other\\b.txt"});
  AnswerDialog("Brontal へのフォルダ登録", "Work");
  w_->SendBinderMenuClick();
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(File("titlelist.txt"), "Work\r\nNew\r\n");
  EXPECT_EQ(File("folderlist.ini"),
            "[Work]\r\nC:\\Data=0\r\nC:\\Other=0\r\n[New]\r\nC:\\=0\r\nC:\\Data=0\r\n");
  EXPECT_EQ(File("selectlist.ini"),
            "[New-C:\\]\r\nboot.ini=\r\n[New-Data]\r\na.txt=\r\n[Work-Other]\r\nb.txt=\r\n");
}

TEST_F(BinderFileTest, NothingIsWrittenWhenRefusedOrWhenAFileIsDamaged) {
  struct Case {
    const char* what;
    int answer;
    const char* name;
    bool damageSelections;
    const char* box;  // the start of the last message, or "" for none
  };
  const Case cases[] = {
      {"new binder declined", IDNO, "New", false, "作成確認|"},
      {"unusable name", IDYES, "a=b", false, "Filvex|バインダー名「a=b」"},
      {"damaged selectlist.ini", IDYES, "Work", true, "Filvex|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    boxes_.clear();
    answer_ = c.answer;
    DeleteFileA((tool_ + "data\\selectlist.ini").c_str());
    RemoveDirectoryA((tool_ + "data\\selectlist.ini").c_str());
    if (c.damageSelections) CreateDirectoryA((tool_ + "data\\selectlist.ini").c_str(), nullptr);
    ShowRows({"C:\\Data\\a.txt"});
    AnswerDialog("Brontal へのフォルダ登録", c.name);
    w_->SendBinderMenuClick();
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(boxes_.back().rfind(c.box, 0), 0u) << boxes_.back();
    EXPECT_EQ(File("titlelist.txt"), "Work\r\n");
    EXPECT_EQ(File("folderlist.ini"), "[Work]\r\nC:\\Data=0\r\n");
  }
  RemoveDirectoryA((tool_ + "data\\selectlist.ini").c_str());
  // No row chosen: not even the dialog.
  ShowRows({});
  w_->SendBinderMenuClick();
  EXPECT_EQ(dialogs_.size(), 3u);
}

TEST_F(BinderFileTest, CompanionItemsShowWhereTheyCanWork) {
  const std::string existing = program_ + "data\\sach.txt";
  struct Case {
    const char* what;
    bool validToolpath;
    bool binderRuns;
    bool copyToolRuns;
    bool rowExists;
    bool binderItem, copyItem;
  };
  const Case cases[] = {
      {"remembered binder", true, false, false, true, true, false},
      {"binder path of another name", false, false, false, true, false, false},
      {"running binder", false, true, false, true, true, false},
      {"running copy tool", false, false, true, true, false, true},
      {"row gone", true, true, true, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<StandIn> binder, copyTool;
    if (c.binderRuns) binder.emplace("TVemkoBrontal");
    if (c.copyToolRuns) copyTool.emplace("TVemkoPexwick");
    w_->Settings.toolpath = c.validToolpath ? tool_ + "Brontal.exe" : existing;
    ShowRows({c.rowExists ? existing : program_ + "gone.txt"});
    w_->UpdateCompanionPopupItems();
    EXPECT_EQ(w_->SendBinderMenu->Visible(), c.binderItem);
    EXPECT_EQ(w_->Pexwick1->Visible(), c.copyItem);
    EXPECT_EQ(w_->N16->Visible(), c.binderItem || c.copyItem);
    w_->Tool1Click();
    EXPECT_EQ(w_->Brontal1->Enabled(), c.validToolpath);
  }
}

TEST_F(BinderFileTest, BrontalMenuStartsTheRememberedProgramOrRaisesTheRunningOne) {
  std::vector<win::ShellStart> starts;
  win::SetShellStartRecorderForTests([&](const win::ShellStart& s) {
    starts.push_back(s);
    return INT_PTR{42};
  });
  w_->Brontal1Click();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].file, tool_ + "Brontal.exe");
  {
    StandIn binder("TVemkoBrontal");
    w_->Brontal1Click();
    EXPECT_EQ(starts.size(), 1u);
  }
  win::SetShellStartRecorderForTests({});
}

TEST_F(CompanionWindowTest, IntegrationCopiesTheProgramAndItsListIntoTheLauncherFolder) {
  const std::string launcher = test::FreshFolder("launcher") + "\\";
  CreateDirectoryA((launcher + "data").c_str(), nullptr);
  test::WriteFile(launcher + "data\\sach.txt", "kept\r\n");
  test::WriteFile(program_ + w_->ExeName, "MZ program");
  w_->LauncherFolder = launcher.substr(0, launcher.size() - 1);
  w_->N10Click();
  EXPECT_EQ(test::ReadFile(launcher + w_->ExeName), "MZ program");
  EXPECT_EQ(test::ReadFile(launcher + "data\\sach.txt"), "kept\r\n");  // never overwritten
  EXPECT_EQ(test::ReadFile(launcher + "data\\sachfile.txt"), "1=old.txt\r\n");
  EXPECT_EQ(GetFileAttributesA((launcher + "data\\folderdat.txt").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((launcher + "Help").c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find("Trelquinとの統合が終わりました。"), std::string::npos);
  EXPECT_FALSE(w_->N10->Visible());

  // A launcher folder that cannot take the program: told, nothing else copied.
  boxes_.clear();
  w_->N10->SetVisible(true);
  w_->LauncherFolder = launcher + "missing";
  w_->N10Click();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find("統合は行われていません"), std::string::npos);
  EXPECT_TRUE(w_->N10->Visible());
}

TEST(CompanionLauncherWatch, OpenStartLivesAsLongAsTheLauncher) {
  const std::string base = test::FreshFolder("open-start") + "\\";
  CreateDirectoryA((base + "Vemko").c_str(), nullptr);
  const std::string program = base + "Vemko\\Trelquin\\";
  CreateDirectoryA(program.c_str(), nullptr);
  CreateDirectoryA((program + "data").c_str(), nullptr);
  test::WriteSmallStoredList(program + "data\\");
  std::vector<std::string> boxes;
  auto hook = test::RecordMessageBoxes(boxes, IDNO);
  auto launcher = std::make_unique<StandIn>("TVemkoTrelquin");
  StartOptions o;
  o.programFolder = program;
  o.launcherFolder = base + "no-launcher";
  o.args = {"-open"};
  auto w = std::make_unique<TVemkoSearcher>(o);
  const HWND wnd = w->Handle();
  w->Show(SW_SHOWNOACTIVATE);
  ASSERT_TRUE(w->CloseWithLauncher);
  // Several ticks of Timer2 pass while the launcher runs.
  for (int i = 0; i < 150; ++i) {
    test::Pump();
    Sleep(10);
  }
  EXPECT_TRUE(IsWindow(wnd));
  launcher.reset();
  EXPECT_TRUE(ServeUntil([&] { return !IsWindow(wnd); }));
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace filvex
