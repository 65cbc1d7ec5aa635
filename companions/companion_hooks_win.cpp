// Messages and menu commands of the companion programs: the launcher
// Trelquin, the folder binder Brontal and the copy tool Pexwick.
//
// Messages go out with SendMessageTimeoutA: the call returns once the
// companion has handled the message, as SendMessageA would, but a hung
// companion cannot freeze this window. While it waits, this thread still
// serves messages sent to it, so a companion that answers a request (code 4)
// from inside its handler reaches WMCopyData at once.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "companions/binder_dlg_win.h"
#include "companions/binder_files.h"
#include "companions/companion_message.h"
#include "companions/companion_names.h"
#include "platform/message_box.h"
#include "platform/path_exists.h"
#include "platform/shell_start.h"
#include "platform/system_info.h"
#include "searchlist/list_files.h"

namespace filvex {

namespace {

// A companion that does not answer within this time is not waited for.
constexpr UINT kSendTimeoutMs = 5000;
// Timer1 runs its one tick right after the reply has been handled.
constexpr UINT kReplyTickMs = 10;
constexpr char kLauncherName[] = "Trelquin";

bool SendCompanionMessage(HWND target, HWND self, uint32_t code, std::string_view text) {
  std::string data = EncodeMessage(text);
  COPYDATASTRUCT cds = {};
  cds.dwData = code;
  cds.cbData = static_cast<DWORD>(data.size());
  cds.lpData = data.data();
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                             reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result) != 0;
}

// True when path names an existing file called exactly exeName.
bool IsCompanionExe(const std::string& path, const char* exeName) {
  return !path.empty() && win::FileNamePart(path) == exeName && win::PathIsPresent(path) &&
         !win::DirectoryExists(path);
}

std::string RegisterHint(const std::string& path) {
  return "選択したフォルダを登録する > [ " + path + " ]";
}

// The two companions that take folders, with what the window keeps of each.
struct FolderCompanion {
  const char* windowClass;
  const char* exeName;
  const char* caption;
};
constexpr FolderCompanion kBinder{kBinderClass, kBinderExe, "Brontal"};
constexpr FolderCompanion kCopyTool{kCopyToolClass, kCopyToolExe, "Pexwick"};

// Why a binder file was refused, for the message the user sees.
const char* RefusalText(FileCheck check) {
  switch (check) {
    case FileCheck::NotRegularFile:
      return "ファイルではありません";
    case FileCheck::TooLarge:
      return "ファイルが大きすぎます";
    default:
      return "読み込みに失敗しました";
  }
}

std::string RegistrationCaption(const FolderCompanion& c) {
  return std::string(c.caption) + " へのフォルダ登録";
}

// The full path a chosen row stands for: a drive row is its root.
std::string ChosenPath(const TVemkoSearcher& w, int row) {
  return w.HitList[static_cast<size_t>(row)].Kind == kKindDrive ? w.RowOpenPath(row)
                                                                : w.RowJoinedPath(row);
}

}  // namespace

bool TVemkoSearcher::NotifyLauncher(uint32_t code, std::string_view text) {
  HWND launcher = FindWindowA(kLauncherClass, nullptr);
  if (!launcher) return false;
  SendCompanionMessage(launcher, hwnd_, code, text);
  return true;
}

std::string TVemkoSearcher::CompanionExePath(HWND window) const {
  if (!IsNT5OrLater) return {};
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == 0) return {};
  win::UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!process) return {};
  // psapi.dll is loaded only for this question, which is asked rarely.
  HMODULE psapi = LoadLibraryA("psapi.dll");
  if (!psapi) return {};
  using ModuleFileNameExW = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
  auto fn = reinterpret_cast<ModuleFileNameExW>(
      reinterpret_cast<void*>(GetProcAddress(psapi, "GetModuleFileNameExW")));
  wchar_t wide[MAX_PATH] = {};
  const DWORD n = fn ? fn(process.get(), nullptr, wide, MAX_PATH) : 0;
  FreeLibrary(psapi);
  if (n == 0 || n >= MAX_PATH) return {};
  char ansi[MAX_PATH * 2] = {};
  const int len = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(n), ansi, sizeof ansi - 1,
                                      nullptr, nullptr);
  return len > 0 ? std::string(ansi, static_cast<size_t>(len)) : std::string();
}

bool TVemkoSearcher::SendToBrontal(uint32_t code, std::string_view text) {
  HWND target = FindWindowA(kBinderClass, nullptr);
  if (!target) return false;
  const std::string exe = CompanionExePath(target);
  if (IsCompanionExe(exe, kBinderExe)) {
    Settings.toolpath = exe;
    SendBinderMenu->Hint = RegisterHint(exe);
  }
  SendCompanionMessage(target, hwnd_, code, text);
  return true;
}

bool TVemkoSearcher::SendToPexwick(uint32_t code, std::string_view text) {
  HWND target = FindWindowA(kCopyToolClass, nullptr);
  if (!target) return false;
  const std::string exe = CompanionExePath(target);
  if (IsCompanionExe(exe, kCopyToolExe)) {
    Settings.simpcppath = exe;
    Pexwick1->Hint = RegisterHint(exe);
  }
  SendCompanionMessage(target, hwnd_, code, text);
  return true;
}

LRESULT TVemkoSearcher::WMCopyData(HWND sender, const COPYDATASTRUCT* data) {
  // Only the companions are obeyed, and only with a well-formed message;
  // everything else is answered alike and changes nothing.
  if (!data) return 1;
  char cls[129] = {};
  if (!sender || GetClassNameA(sender, cls, sizeof cls) == 0) return 1;
  if (!IsCompanionClass(cls)) return 1;
  const std::optional<std::string> text = DecodeMessage(data->lpData, data->cbData);
  if (!text) return 1;
  switch (RequestOf(data->dwData)) {
    case CompanionRequest::StartBuild:
      EnableTimer(Timer3, 500, true);
      break;
    case CompanionRequest::RestoreCaption:
      SetWindowTextA(hwnd_, win::ApplicationTitle().c_str());
      break;
    case CompanionRequest::BinderList:
      // The reply opens the dialog of the companion that sent it; the
      // launcher keeps no binders, and a reply while the dialog is open
      // would stack a second one on it.
      if (std::string_view(cls) == kLauncherClass || BinderDialogOpen) break;
      if (!ParseBinderChoices(*text)) break;
      BinderChoices = *text;
      ReplySenderClass = cls;
      EnableTimer(Timer1, kReplyTickMs, true);
      break;
    case CompanionRequest::None:
      break;
  }
  return 1;
}

void TVemkoSearcher::Timer1Timer() {
  EnableTimer(Timer1, 0, false);
  const bool toBinder = ReplySenderClass == kBinderClass;
  const FolderCompanion& companion = toBinder ? kBinder : kCopyTool;
  const std::vector<std::string> choices =
      ParseBinderChoices(BinderChoices).value_or(std::vector<std::string>{});
  BinderDialogOpen = true;
  const std::optional<std::string> name =
      TBinderAddDlg::Execute(hwnd_, RegistrationCaption(companion), choices, ImageList1.get());
  BinderDialogOpen = false;
  if (!name || SelectedRow() < 0) return;
  if (!IsUsableBinderName(*name)) {
    win::ShowError(hwnd_, "バインダー名「" + *name + "」は使用できません。");
    return;
  }
  std::vector<std::string> paths;
  for (int row = SelectedRow(); row >= 0;
       row = ListView_GetNextItem(ListView1, row, LVNI_SELECTED)) {
    paths.push_back(ChosenPath(*this, row));
  }
  const std::string payload = RegistrationPayload(*name, paths);
  const bool sent =
      toBinder ? SendToBrontal(kCodeRegister, payload) : SendToPexwick(kCodeRegister, payload);
  if (!sent) {
    win::ShowError(hwnd_, std::string(companion.caption) +
                              " が終了したため、フォルダを登録できませんでした。");
  }
}

void TVemkoSearcher::RegisterChosenRows(bool copyTool) {
  if (SelectedRow() < 0) return;
  const bool sent =
      copyTool ? SendToPexwick(kCodeBinderList, "") : SendToBrontal(kCodeBinderList, "");
  if (sent) return;  // the rest follows the reply
  const FolderCompanion& companion = copyTool ? kCopyTool : kBinder;
  const std::string& exe = copyTool ? Settings.simpcppath : Settings.toolpath;
  if (IsCompanionExe(exe, companion.exeName)) WriteBinderFiles(exe, RegistrationCaption(companion));
}

void TVemkoSearcher::SendBinderMenuClick() {
  RegisterChosenRows(/*copyTool=*/false);
}

void TVemkoSearcher::Pexwick1Click() {
  RegisterChosenRows(/*copyTool=*/true);
}

void TVemkoSearcher::WriteBinderFiles(const std::string& exePath, const std::string& caption) {
  const std::string folder = win::FolderWithSeparator(exePath) + "data\\";
  // Reads one binder file; a missing one is empty, a damaged one is
  // reported and stops the registration.
  auto read = [&](const char* name, std::string& text) {
    const std::string path = folder + name;
    const FileCheck check = ReadDataFile(path, kBinderFileLimit, text);
    if (check == FileCheck::Ok) {
      if (text.find('\0') == std::string::npos) return true;
      win::ShowError(hwnd_, path + " はテキストファイルではありません。");
      return false;
    }
    text.clear();
    if (check == FileCheck::Missing) return true;
    win::ShowError(hwnd_, path + " を読み込めません (" + RefusalText(check) + ")。");
    return false;
  };
  std::string titles;
  if (!read(BinderFileNames::kTitles, titles)) return;
  BinderDialogOpen = true;
  const std::optional<std::string> name =
      TBinderAddDlg::Execute(hwnd_, caption, TitleChoices(titles), ImageList1.get());
  BinderDialogOpen = false;
  if (!name) return;
  if (!IsUsableBinderName(*name)) {
    win::ShowError(hwnd_, "バインダー名「" + *name + "」は使用できません。");
    return;
  }
  std::string folderText, selectText;
  if (!read(BinderFileNames::kFolders, folderText) ||
      !read(BinderFileNames::kSelections, selectText)) {
    return;
  }
  IniText folders(folderText), selections(selectText);
  if (!folders.HasSection(*name) &&
      !win::AskYesNo(hwnd_, "'" + *name + "' の名前で新しいバインダーを作成しますか？",
                     "作成確認")) {
    return;
  }
  std::vector<BinderItem> items;
  for (int row = SelectedRow(); row >= 0;
       row = ListView_GetNextItem(ListView1, row, LVNI_SELECTED)) {
    items.push_back({ChosenPath(*this, row), HitList[static_cast<size_t>(row)].Kind == kKindFile});
  }
  const BinderChanges changes = AddToBinder(*name, items, titles, folders, selections);
  // Each file is replaced whole, so a failed write leaves it as it was.
  std::string failed;
  auto write = [&](bool changed, const char* file, const std::string& text) {
    if (changed && !ReplaceFileAtomically(folder + file, text)) failed += "\n" + folder + file;
  };
  write(changes.selections, BinderFileNames::kSelections, selections.Text());
  write(changes.folders, BinderFileNames::kFolders, folders.Text());
  write(changes.titles, BinderFileNames::kTitles, titles);
  if (!failed.empty())
    win::ShowError(hwnd_, "バインダーのファイルを保存できませんでした:" + failed);
  if (!changes.refused.empty()) {
    std::string list;
    for (const std::string& p : changes.refused) list += "\n" + p;
    win::ShowError(hwnd_, "次の項目は名前に使えない文字を含むため、登録しませんでした:" + list);
  }
}

void TVemkoSearcher::UpdateCompanionPopupItems() {
  const int row = SelectedRow();
  const bool exists = row >= 0 && win::PathExists(ChosenPath(*this, row));
  SendBinderMenu->SetVisible(exists && (IsCompanionExe(Settings.toolpath, kBinderExe) ||
                                        FindWindowA(kBinderClass, nullptr) != nullptr));
  Pexwick1->SetVisible(exists && (IsCompanionExe(Settings.simpcppath, kCopyToolExe) ||
                                  FindWindowA(kCopyToolClass, nullptr) != nullptr));
  // An empty submenu would open to nothing.
  N16->SetVisible(SendBinderMenu->Visible() || Pexwick1->Visible());
}

void TVemkoSearcher::UpdateCompanionToolItems() {
  Brontal1->SetEnabled(IsCompanionExe(Settings.toolpath, kBinderExe));
}

void TVemkoSearcher::Brontal1Click() {
  if (HWND binder = FindWindowA(kBinderClass, nullptr)) {
    SetForegroundWindow(binder);
    return;
  }
  if (!IsCompanionExe(Settings.toolpath, kBinderExe)) return;
  if (win::ShellExecuteCall(hwnd_, nullptr, Settings.toolpath, nullptr, SW_SHOWNORMAL) <= 32) {
    win::ShowError(hwnd_, Settings.toolpath + " を起動できませんでした。");
  }
}

void TVemkoSearcher::N10Click() {
  // The executable first; the data files and the help file only when it
  // arrived. Folders are not created, and a data file that cannot be copied
  // is left out: the copy then starts as on a first run.
  const std::string target = LauncherFolder + "\\";
  if (!CopyFileA((ProgramFolder + ExeName).c_str(), (target + ExeName).c_str(),
                 /*bFailIfExists=*/FALSE)) {
    win::ShowError(hwnd_, target + ExeName + " にコピーできませんでした。統合は行われていません。");
    return;
  }
  for (const char* file : {"data\\searchdata.ini", "data\\sachfile.txt", "data\\sach.txt",
                           "data\\sachinfo1.txt", "data\\sachinfo2.txt"}) {
    CopyFileA((ProgramFolder + file).c_str(), (target + file).c_str(), /*bFailIfExists=*/TRUE);
  }
  CopyFileA((ProgramFolder + "Help\\Filvex.htm").c_str(), (target + "Help\\Filvex.htm").c_str(),
            /*bFailIfExists=*/FALSE);
  const std::string& title = win::ApplicationTitle();
  win::ShowMessage(
      hwnd_, std::string(kLauncherName) + "との統合が終わりました。\n" + title + "は、" +
                 kLauncherName +
                 "のタスクトレイアイコンのメニューから開くことができます。\n尚、現在ご使用の" +
                 title + "は、フォルダごと削除して下さい");
  N10->SetVisible(false);
}

void TVemkoSearcher::N12Click() {
  SetWindowTextA(hwnd_, "スケジュールの編集");
  NotifyLauncher(kCodeSchedule, "");
}

}  // namespace filvex
