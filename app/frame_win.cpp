// The life of the main window: construction, FormCreate, FormShow,
// FormCloseQuery, FormDestroy, the settings file, the command line, the
// timers, the status-bar hints and the routing of window messages.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <exception>

#include "app/controls_win.h"
#include "app/number_text.h"
#include "app/vemko_searcher_win.h"
#include "companions/companion_names.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/system_info.h"
#include "platform/ui_call.h"
#include "results/icon_rules.h"
#include "searchlist/list_files.h"
#include "searchlist/list_store.h"

namespace filvex {
namespace {

constexpr char kWindowClass[] = "TVemkoSearcher";
constexpr char kLauncherName[] = "Trelquin";

// The window whose controls the hint hook reports on. One main window exists
// at a time (tests create them one after another).
TVemkoSearcher* g_hintWindow = nullptr;

void RegisterWindowClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;  // replaced per window in CreateMainWindow
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kWindowClass;
  RegisterClassA(&wc);
}

// The program's folder with its trailing "\": the executable's, unless the
// start options name another (tests).
std::string ProgramFolderOf(const StartOptions& options) {
  std::string folder = options.programFolder.empty()
                           ? win::FolderWithSeparator(win::ModuleFilePath())
                           : options.programFolder;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

bool InLauncherFolder(const std::string& programFolder) {
  return programFolder.find(std::string("Vemko\\") + kLauncherName) != std::string::npos;
}

// The mouse messages a tooltip acts on: a move shows a control's tip after
// the delay, a press or release hides it.
bool IsToolTipMouseMessage(UINT message) {
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return true;
    default:
      return false;
  }
}

// "-search" as the first argument of a copy inside the launcher's folder: a
// build without any window.
bool UnattendedStart(bool integratedInstall, const std::vector<std::string>& args) {
  return integratedInstall && !args.empty() && args[0] == "-search";
}

}  // namespace

TVemkoSearcher::TVemkoSearcher(const StartOptions& options) : options_(options) {
  // The stored list is read on a thread of its own while the window is made
  // below, and FormShow loads it first of all from what was read, unless the
  // files changed meanwhile. An unattended build never shows the window and
  // reads no list.
  if (const std::string folder = ProgramFolderOf(options_);
      !UnattendedStart(InLauncherFolder(folder), options_.args)) {
    ListPreloader.start(folder + "data");
  }

  // The window from its description; the state starts idle: no workers,
  // both stop flags set, nothing dirty, NameSearch, hit limit 1000, sort at
  // column 0 ascending (the members' initial values).
  CreateMainWindow();

  // Date text format and system generation.
  DateTextFormat = "yyyy/mm/dd hh:nn";
  SystemKind = win::QuerySystemKind();
  IsNT5OrLater = SystemKind == 2;

  // Program and data folders, the data files' paths.
  const std::string exePath = win::ModuleFilePath();
  ProgramFolder = ProgramFolderOf(options_);
  ExeName = options_.exeName.empty() ? win::FileNamePart(exePath) : options_.exeName;
  DataFolder = ProgramFolder + "data";
  SettingsPath = DataFilePath(DataFolder, kSettingsFileName);
  FolderListPath = DataFilePath(DataFolder, ListFileNames::kFolders);
  FileListPath = DataFilePath(DataFolder, ListFileNames::kFiles);
  FolderInfoPath = DataFilePath(DataFolder, ListFileNames::kFolderInfo);
  FileInfoPath = DataFilePath(DataFolder, ListFileNames::kFileInfo);
  FolderCountsPath = DataFilePath(DataFolder, ListFileNames::kFolderCounts);
  FileCountsPath = DataFilePath(DataFolder, ListFileNames::kFileCounts);
  PickupFile = DataFilePath(DataFolder, "hitkeep.txt");
  // A data folder that cannot be made is not reported: reads then find
  // nothing and writes at close fail silently.
  if (!win::DirectoryExists(DataFolder)) win::CreateDirectoryTree(DataFolder);

  // The launcher's folder, whether this copy lives in it, and the two
  // companion items of the tools menu.
  LauncherFolder = options_.launcherFolder
                       ? *options_.launcherFolder
                       : win::SpecialFolderPath(CSIDL_PROGRAM_FILES) + "\\Vemko\\" + kLauncherName;
  IntegratedInstall = InLauncherFolder(ProgramFolder);
  SetLauncherMenuStates();

  // Hints.
  N7->Hint = std::string("指定の属性値") + "に一致するファイルを検索する";
  N13->Hint = std::string("指定の日付") + "に一致するファイルを検索する";
  N14->Hint = std::string("指定のサイズ") + "に一致するファイルを検索する";
  SetControlHint(SpeedButton7,
                 "インクリメンタル検索|一文字、入力する度に一致するテキストを検索する");

  // Filter panel defaults. The panel is made with them when it is first
  // needed (EnsureFilterPanel); here the pickers' day is taken, and the date
  // kind 「更新日」 names result column 2. No search starts from here.
  GetLocalTime(&FilterStartDay);
  SetListColumnCaption(2, "更新日");

  // The progress strip repaints its caption without flicker (the glyphs
  // were made with the controls).
  SetPanelDoubleBuffered(Panel3, true);

  // Settings, and the companion items' hints that come from them.
  ReadSettings();
  if (!Settings.toolpath.empty()) {
    SendBinderMenu->Hint = "選択したフォルダを登録する > [ " + Settings.toolpath + " ]";
  }
  if (!Settings.simpcppath.empty()) {
    Pexwick1->Hint = "選択したフォルダを登録する > [ " + Settings.simpcppath + " ]";
  }

  // The hit limit, written as the spin buttons write it: the change
  // handler clamps and formats it.
  NumberEditFromUser = false;
  SetWindowTextA(NumberEdit1, std::to_string(Settings.max).c_str());

  // Status-bar hints: a message hook of this thread sees every mouse move
  // before its window does, whatever loop (main, modal, message box) runs.
  g_hintWindow = this;
  hintHook_.reset(SetWindowsHookExA(WH_GETMESSAGE, &TVemkoSearcher::HintHookProc, nullptr,
                                    GetCurrentThreadId()));

  FormCreate();
}

TVemkoSearcher::~TVemkoSearcher() {
  measureDC_.reset();  // it holds the controls' font
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  if (!destroyed_) FormDestroy();
  hintHook_.reset();
  if (g_hintWindow == this) g_hintWindow = nullptr;
}

void TVemkoSearcher::CreateMainWindow() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES |
                                           ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&icc);
  win::InitUiCalls();
  RegisterWindowClass();
  hwnd_ = CreateWindowExA(WS_EX_ACCEPTFILES, kWindowClass, win::ApplicationTitle().c_str(),
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 900,
                          560, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(hwnd_, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(&TVemkoSearcher::StaticWndProc));

  CreateControlFont();
  CreateImageList();
  CreateMenus();
  CreateControls();
}

void TVemkoSearcher::SetLauncherMenuStates() {
  const bool launcherThere = win::DirectoryExists(LauncherFolder);
  const bool copyThere = win::PathIsPresent(LauncherFolder + "\\" + ExeName);
  N10->SetEnabled(launcherThere && !copyThere);
  if (!N10->Enabled()) N10->Hint = copyThere ? "外部実行" : std::string(kLauncherName) + "なし";
  N10->SetVisible(!IntegratedInstall);
  N12->SetEnabled(IntegratedInstall && FindWindowA(kLauncherClass, nullptr) != nullptr);
}

void TVemkoSearcher::FormCreate() {
  if (formCreated_) return;
  formCreated_ = true;
  // The lists of the data model exist as members; the icon extensions.
  SpecialIconExtensions = kSpecialIconExtensions;
  TypeCache.clear();

  // Per-drive counts, each only when its file exists and is a plain file
  // of plausible size. LoadSearchList reads them again with the list, from
  // the same save, and computes them from the list when either cannot be
  // used (a wrong count would make a drive-restricted search skip entries).
  LoadDriveCounts(FolderCountsPath, FolderCounts);
  LoadDriveCounts(FileCountsPath, FileCounts);

  // GetDiskFreeSpaceExA, looked up in the already loaded kernel32.dll (no
  // reference taken).
  if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
    DiskFreeSpaceEntry = reinterpret_cast<DiskFreeSpaceExFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
  }

  // OLE and COM for this thread, the shell's allocator and desktop folder.
  OleInit = std::make_unique<win::OleInitGuard>();
  ComInit = std::make_unique<win::ComInitGuard>();
  ShellAllocator = win::ShellMalloc();
  if (FAILED(SHGetDesktopFolder(ShellDesktopFolder.put()))) ShellDesktopFolder.reset();

  // The system image lists and the default icons of new rows are not
  // fetched here: the shell takes about 90 ms to make its image lists, which
  // on two cores would be taken from the list read. That fetch starts a
  // tick after FormShow (ImagesTimer), and EnsureSystemImages attaches the
  // lists before any row is shown or made. Until then an empty list of the
  // same icon size gives the rows their height, so that the empty list's
  // grid does not move when the shell's lists come.
  RowHeightImages.reset(ImageList_Create(GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), ILC_COLOR32 | ILC_MASK,
                                         /*cInitial=*/0, /*cGrow=*/1));
  if (RowHeightImages) ListView_SetImageList(ListView1, RowHeightImages.get(), LVSIL_SMALL);

  // The header's sort marks.
  if (HWND header = ListView_GetHeader(ListView1)) {
    SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageList1.get()));
  }

  // Files may be dropped on the window; rows may be dragged out of it,
  // and Ctrl+C on the list copies them.
  DragAcceptFiles(hwnd_, TRUE);
  HookRowDragAndCopyKey();

  // The command line.
  EvaluateCommandLine(options_.args);
}

void TVemkoSearcher::EvaluateCommandLine(const std::vector<std::string>& args) {
  // Only a copy installed in the launcher's folder obeys the launcher, and
  // only its first argument counts, compared exactly.
  if (!IntegratedInstall || args.empty()) return;
  if (args[0] == "-open") {
    CloseWithLauncher = true;
  } else if (UnattendedStart(IntegratedInstall, args)) {
    // The window is never shown (so no task-bar button either); a build
    // starts from Timer3 and the end of the build closes the program.
    ShowMainForm = false;
    EnableTimer(Timer3, 500, true);
  }
}

void TVemkoSearcher::Show(int showCommand) {
  if (!ShowMainForm) return;
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  // FormShow runs once the window is on screen and painted: the window is
  // made while the list is read, and shows while the read ends, instead of
  // waiting for it unseen. The list information fills in when FormShow has
  // taken the list.
  if (!formShown_) {
    formShown_ = true;
    FormShow();
  }
}

void TVemkoSearcher::Close() {
  PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void TVemkoSearcher::FormShow() {
  // The search list; without one, or with a damaged one, the offer to
  // build it. A damaged list's files stay as they are until a new list is
  // saved over them.
  const ListLoadResult list = LoadSearchList();
  // A list being saved by another window was already said (LoadSearchList);
  // building a new one over it now would only race that save.
  if (list.outcome == ListLoadOutcome::NoList || list.outcome == ListLoadOutcome::Damaged) {
    const std::string question = list.outcome == ListLoadOutcome::Damaged
                                     ? DamagedListQuestion(list)
                                     : "検索リストが存在しません。新しく作成しますか？";
    if (win::AskYesNo(hwnd_, question, "検索リスト")) StartListBuild();
  }
  // The send-to submenu.
  SendToMenuBuild();
  // The filter panel starts hidden, whatever it was at the last close.
  // At the first showing it has not been made yet (EnsureFilterPanel makes
  // it hidden), so the layout already fits and is not done again (each pass
  // moves and repaints the list).
  SendMessageA(SpeedButton2, BM_SETCHECK, BST_UNCHECKED, 0);
  if (Panel5 && ShowWindow(Panel5, SW_HIDE)) LayoutControls();
  // The 500 ms watch.
  EnableTimer(Timer2, 500, true);
  // The system image lists (see FormCreate) are made once the window has
  // painted what was filled in here: a timer's tick comes after every
  // pending paint, and the fetch would otherwise take the CPU from it.
  EnableTimer(ImagesTimer, 100, true);
}

bool TVemkoSearcher::FormCloseQuery() {
  // Closing while a worker runs: the search and the build are stopped (and
  // waited for, serving their hand-overs) before anything is written. A build
  // that is stopped puts back the list it kept aside and leaves ListDirty as
  // it was before the build, so a half-built list is never saved over the
  // stored one; a finished build saved its list at once, and ListDirty is
  // still set only when that save failed, so the close tries again.
  // The settings follow, and the search list only when it changed.
  ProcessMessages();
  StopSearch();
  StopListBuild();
  WriteSettings();
  if (ListDirty) SaveSearchList();
  ListView_SetItemCountEx(ListView1, 0, 0);
  return true;
}

void TVemkoSearcher::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  for (UINT id : {Timer1, Timer2, Timer3, ImagesTimer}) EnableTimer(id, 0, false);
  // Workers first: nothing they read may go before they have ended.
  StopSearch();
  StopListBuild();
  StopIconFetch();
  SearchThread.reset();
  BuildThread.reset();
  IconThread.reset();
  // Rows and hit records.
  if (ListView1 && IsWindow(ListView1)) ListView_SetItemCountEx(ListView1, 0, 0);
  HitList.clear();
  // The lists.
  LiveList.clear();
  BuildingList.clear();
  DriveList.clear();
  FolderCounts.clear();
  FileCounts.clear();
  // Shell interfaces, then COM and OLE.
  ShellDesktopFolder.reset();
  ShellAllocator.reset();
  ComInit.reset();
  OleInit.reset();
  // The send-to items.
  SendToMenuFree();
}

void TVemkoSearcher::Exit1Click() {
  Close();
}

void TVemkoSearcher::File1Click() {
  SearchNewMenu->SetEnabled(BuildStop.load() == 1);
}

void TVemkoSearcher::Timer2Timer() {
  // The system image lists are attached at the first tick at the latest.
  EnsureSystemImages();
  // Placing of the open-folder button, then the drag watch, then the
  // launcher watch.
  PlaceOpenFolderButton(ListView_GetNextItem(ListView1, -1, LVNI_SELECTED));
  DragWatchTick();
  if (CloseWithLauncher && IntegratedInstall && !FindWindowA(kLauncherClass, nullptr)) {
    EnableTimer(Timer2, 0, false);
    Close();
  }
}

void TVemkoSearcher::Timer3Timer() {
  EnableTimer(Timer3, 0, false);
  if (BuildStop.load() == 1) {
    NotifyAfterBuild = 1;
    StartListBuild();
  }
}

void TVemkoSearcher::ReadSettings() {
  Settings = filvex::Settings{};
  // The profile functions read the whole file into memory, and would wait
  // on a pipe: a settings file that is no plain file of plausible size is
  // not handed to them, and the settings keep their defaults.
  const FileCheck check = CheckDataFile(SettingsPath, kSmallFileLimit);
  SettingsFileUsable = check == FileCheck::Ok || check == FileCheck::Missing;
  if (!SettingsFileUsable) return;
  // Only a section that holds at least one key is read; each key then goes
  // through the same rule as the portable reader's.
  if (win::ProfileKeyNames(SettingsPath, kSettingsSection).empty()) return;
  for (const char* key : kSettingKeys) {
    ApplySetting(Settings, key, win::ProfileString(SettingsPath, kSettingsSection, key));
  }
}

bool TVemkoSearcher::WriteSettings() {
  // What stands under the settings file's name and could not be read at
  // start (a folder, a pipe, a huge file) is left alone.
  if (!SettingsFileUsable) return false;
  // The section is written whole so that the nine keys always stand in their
  // order: key-by-key writes would leave a key where a hand-edited file had
  // it. Lines of the section that are not ours are kept after them.
  std::vector<std::string> lines;
  for (int k = 0; k < 9; ++k)
    lines.push_back(std::string(kSettingKeys[k]) + "=" + SettingValueText(Settings, k));
  for (const std::string& line : win::ProfileSectionLines(SettingsPath, kSettingsSection)) {
    if (!IsSettingKeyLine(line)) lines.push_back(line);
  }
  return win::WriteProfileSection(SettingsPath, kSettingsSection, lines);
}

void TVemkoSearcher::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit request for the message loop that owns it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void TVemkoSearcher::EnableTimer(UINT id, UINT intervalMs, bool enable) {
  if (id >= timers_.size()) return;
  if (enable) {
    SetTimer(hwnd_, id, intervalMs, nullptr);
  } else if (timers_[id]) {
    KillTimer(hwnd_, id);
  }
  timers_[id] = enable;
}

bool TVemkoSearcher::TimerEnabled(UINT id) const {
  return id < timers_.size() && timers_[id];
}

// ---- hints ---------------------------------------------------------------

std::string TVemkoSearcher::LongHint(const std::string& hint) {
  const size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

std::string TVemkoSearcher::HintOf(HWND control) const {
  // A control without a hint of its own shows its parent's.
  for (HWND w = control; w && w != hwnd_; w = GetParent(w)) {
    const ControlInfo* info = InfoOf(w);
    if (info && !info->hint.empty()) return info->hint;
  }
  return {};
}

void TVemkoSearcher::ApplicationHint(const std::string& hint) {
  if (hint == currentHint_) return;
  currentHint_ = hint;
  SetStatusText(1, LongHint(hint));
}

void TVemkoSearcher::SetStatusText(int panel, const std::string& text) {
  if (panel < 0 || panel > 1) return;
  statusTexts_[panel] = text;
  // Panel 0 is right-aligned: two tabs before the text.
  const std::string shown = panel == 0 ? "\t\t" + text : text;
  SendMessageA(StatusBar1, SB_SETTEXTA, panel, reinterpret_cast<LPARAM>(shown.c_str()));
}

std::string TVemkoSearcher::StatusText(int panel) const {
  return panel >= 0 && panel <= 1 ? statusTexts_[panel] : std::string();
}

LRESULT CALLBACK TVemkoSearcher::HintHookProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == PM_REMOVE && g_hintWindow) {
    MSG* msg = reinterpret_cast<MSG*>(lp);
    const bool move = msg->message == WM_MOUSEMOVE || msg->message == WM_NCMOUSEMOVE;
    const bool forTip = IsToolTipMouseMessage(msg->message);
    if (move || forTip) {
      HWND main = g_hintWindow->hwnd_;
      if (msg->hwnd == main || IsChild(main, msg->hwnd)) {
        if (move) g_hintWindow->ApplicationHint(g_hintWindow->HintOf(msg->hwnd));
        // The tooltip learns of the mouse only from here (its tools do not
        // subclass their controls); a move over a control without a tool
        // tells it the mouse left the last one. It is made at the first.
        if (forTip && !g_hintWindow->HintToolTipTried) g_hintWindow->CreateHintToolTip();
        if (forTip && g_hintWindow->HintToolTip) {
          SendMessageA(g_hintWindow->HintToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
        }
      }
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

// ---- message routing -----------------------------------------------------

LRESULT CALLBACK TVemkoSearcher::StaticWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TVemkoSearcher*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(wnd, msg, wp, lp);
  // An exception must not cross the system's call into this procedure: it is
  // shown the way the application shows any escaped error, and the program
  // goes on.
  try {
    return self->WindowProc(msg, wp, lp);
  } catch (const std::exception& e) {
    win::ShowMessageBox(wnd, e.what(), win::ApplicationTitle(), MB_OK | MB_ICONSTOP);
  } catch (...) {
    win::ShowMessageBox(wnd, "Unknown error", win::ApplicationTitle(), MB_OK | MB_ICONSTOP);
  }
  return 0;
}

LRESULT TVemkoSearcher::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      LayoutControls();
      return 0;
    case WM_COMMAND:
      return OnCommand(wp, lp);
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
      return 0;
    case WM_MENUSELECT:
      OnMenuSelect(wp, lp);
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == ListView1) {
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (pt.x == -1 && pt.y == -1) {  // from the keyboard
          pt = {0, 0};
          ClientToScreen(ListView1, &pt);
        }
        TrackPopupMenu(PopupMenu1.Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_,
                       nullptr);
        return 0;
      }
      break;
    case WM_TIMER:
      if (wp == Timer1) Timer1Timer();
      if (wp == Timer2) Timer2Timer();
      if (wp == Timer3) Timer3Timer();
      if (wp == ImagesTimer) {
        EnableTimer(ImagesTimer, 0, false);
        StartSystemImagesFetch();
      }
      return 0;
    case WM_COPYDATA:
      return WMCopyData(reinterpret_cast<HWND>(wp), reinterpret_cast<COPYDATASTRUCT*>(lp));
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_CLOSE:
      if (ListMaintenanceRunning) {
        // Served from inside a maintenance command's loop (the launcher
        // watch, a companion): closing now would save and free the list
        // under the command. It is stopped, and the close follows it.
        SearchStopFlag.store(1);
        CloseAfterMaintenance = 1;
        return 0;
      }
      if (FormCloseQuery()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      FormDestroy();
      if (options_.quitOnDestroy) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT TVemkoSearcher::OnCommand(WPARAM wp, LPARAM lp) {
  HWND control = reinterpret_cast<HWND>(lp);
  const UINT code = HIWORD(wp);
  if (!control) {
    TMenuItem* item = MainMenu1.FindById(LOWORD(wp));
    if (!item) item = PopupMenu1.FindById(LOWORD(wp));
    if (item && item->OnClick) item->OnClick();
    return 0;
  }
  if (FilterPanelMaking) return 0;  // the filter panel's first values
  if (SearchPanelCommand(control, code)) return 0;
  if (code == BN_CLICKED) {
    if (control == SpeedButton1)
      Explore1Click(TagOf(SpeedButton1));
    else if (control == SpeedButton4)
      GoUpOneFolder();
    else if (control == SpeedButton5)
      SpeedButton5Click();
    else if (control == SpeedButton6)
      SpeedButton6Click();
    else if (control == HitListSpBtn)
      ShowPickupList();
    else if (control == CancelBtn)
      CancelBtnClick();
  }
  return 0;
}

LRESULT TVemkoSearcher::OnNotify(NMHDR* header) {
  LRESULT result = 0;
  if (header->hwndFrom == ListView1 && ListView1Notify(header, &result)) return result;
  if (FilterPanelMaking) return 0;
  if ((header->hwndFrom == DateTimePicker1 || header->hwndFrom == DateTimePicker2) &&
      header->code == DTN_DATETIMECHANGE) {
    SearchTrigger(header->hwndFrom, header->code);
  }
  if ((header->hwndFrom == UpDown2 || header->hwndFrom == UpDown3)) {
    SearchTrigger(header->hwndFrom, header->code);
  }
  return 0;
}

void TVemkoSearcher::OnInitMenuPopup(HMENU menu) {
  if (menu == PopupMenu1.Handle()) {
    PopupMenu1Popup();
    return;
  }
  TMenuItem* item = MainMenu1.FindBySubMenu(menu);
  if (!item) item = PopupMenu1.FindBySubMenu(menu);
  if (item && item->OnPopup) item->OnPopup();
}

void TVemkoSearcher::OnMenuSelect(WPARAM wp, LPARAM lp) {
  const UINT flags = HIWORD(wp);
  HMENU menu = reinterpret_cast<HMENU>(lp);
  if (flags == 0xFFFF && !menu) {  // the menu closed
    ApplicationHint({});
    return;
  }
  TMenuItem* item = nullptr;
  if (flags & MF_POPUP) {
    item = MainMenu1.FindByPosition(menu, LOWORD(wp));
    if (!item) item = PopupMenu1.FindByPosition(menu, LOWORD(wp));
  } else {
    item = MainMenu1.FindById(LOWORD(wp));
    if (!item) item = PopupMenu1.FindById(LOWORD(wp));
  }
  ApplicationHint(item ? item->Hint : std::string());
}

}  // namespace filvex
