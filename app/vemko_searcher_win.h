#pragma once
// TVemkoSearcher, the main window of Filvex and the owner of all its state.
//
// The class is declared once, here; its member bodies live with the
// subsystem they belong to:
//   app/frame_win.cpp              construction, FormCreate, FormShow,
//                                  FormCloseQuery, FormDestroy, settings, command
//                                  line, timers, status-bar hints, message routing
//   app/layout_win.cpp             every control, the menus, ImageList1, glyphs
//   app/search_panel_win.cpp       hit-limit box and spin button, filter panel
//                                  enabling, options dialog
//   searchlist/list_files_win.cpp  LoadSearchList, SaveSearchList, ShowListInfo
//                                  (the files are read and saved as one set:
//                                  searchlist/list_store.h)
//   searchlist/list_build_win.cpp  build start, stop and end
//   searchlist/list_maintenance_win.cpp  cleaning, the unknown-list check and
//                                  removals (dialogs: maintenance_dlg_win.cpp)
//   search/search_run_win.cpp      search start, stop and end, search triggers
//   results/result_view_win.cpp    list-view requests, hit list, sorting
//   results/icons_win.cpp          icons and type names of the rows
//   results/pickup_list_win.cpp    the pickup list's commands
//   results/folder_view_win.cpp    folder view, drive list, row selection
//   shellops/shell_open_win.cpp    open, open-with, explore, properties, keys,
//                                  the popup menu's state, help
//   shellops/clipboard_win.cpp     copy, paste, file drops, drag-out
//   shellops/delete_win.cpp        delete to the recycle bin
//   shellops/send_to_win.cpp       the send-to menu
//   companions/companion_hooks_win.cpp  companion messages and menu commands
//   about/about_hooks_win.cpp      version box
//
// Threads: every member runs on the user-interface thread except the bodies
// of the three workers (search, build, icons). Workers reach the window only
// through win::RunOnUiThread, and every stop waits with
// win::WaitServingUiCalls (WorkerThread::Wait), so a stop never deadlocks.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "about/version_box_win.h"
#include "app/menu_win.h"
#include "app/settings.h"
#include "platform/com.h"
#include "platform/handles.h"
#include "platform/worker_thread.h"
#include "results/hit_record.h"
#include "results/row_icon_cache_win.h"
#include "results/sort.h"
#include "search/match.h"
#include "searchlist/list_builder.h"
#include "searchlist/list_files.h"
#include "searchlist/list_preload.h"
#include "searchlist/list_store.h"
#include "searchlist/search_list.h"
#include "shellops/shell_link_win.h"

namespace filvex {

// How a main window is started. The real program passes its command line and
// leaves the rest empty; tests give a program folder of their own.
struct SearchRun;  // one search's query and hits (search/search_run_win.cpp)

struct StartOptions {
  std::string programFolder;                  // empty: the executable's folder
  std::string exeName;                        // empty: the executable's file name
  std::optional<std::string> launcherFolder;  // empty: Program Files\Vemko\Trelquin
  std::vector<std::string> args;              // arguments after the program name
  bool quitOnDestroy = false;                 // post WM_QUIT when the window is destroyed
};

// Name, hint and Tag of a control, as the window description gives them.
struct ControlInfo {
  std::string name;
  std::string hint;  // "short|long"; the status bar shows the long part
  int tag = 0;
};

class TVemkoSearcher {
 public:
  explicit TVemkoSearcher(const StartOptions& options);
  TVemkoSearcher(const TVemkoSearcher&) = delete;
  TVemkoSearcher& operator=(const TVemkoSearcher&) = delete;
  ~TVemkoSearcher();

  HWND Handle() const { return hwnd_; }
  // Shows the window unless the start mode keeps it hidden (-search); the
  // first showing runs FormShow once the window is painted.
  void Show(int showCommand = SW_SHOWNORMAL);
  // Asks the window to close. Posted, not sent: a close asked from inside a
  // worker's end handler must run after that handler has returned, or the
  // close would wait for the very worker that waits for it.
  void Close();
  bool IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }

  // ---- application frame (app/frame_win.cpp) ----------------------------
  void FormCreate();
  void FormShow();
  // Returns whether the window may close (always true); see the body for the
  // order of stopping, writing and saving.
  bool FormCloseQuery();
  void FormDestroy();
  void Exit1Click();
  void File1Click();
  void Timer2Timer();
  void Timer3Timer();
  void ReadSettings();
  bool WriteSettings();
  void EvaluateCommandLine(const std::vector<std::string>& args);
  // Status-bar hint display: the long part of the hint of the control (or
  // menu item) under the mouse, shown in panel 1 when it changes.
  void ApplicationHint(const std::string& hint);
  std::string HintOf(HWND control) const;
  static std::string LongHint(const std::string& hint);
  void SetStatusText(int panel, const std::string& text);
  std::string StatusText(int panel) const;
  // Handles pending window messages (as long loops and the close query do).
  static void ProcessMessages();
  void EnableTimer(UINT id, UINT intervalMs, bool enable);
  bool TimerEnabled(UINT id) const;

  // ---- layout (app/layout_win.cpp) ---------------------------------------
  void CreateImageList();
  void CreateMenus();
  // The controls' font: the system's message font, enlarged by a pixel or two
  // where its "_" (or the descenders of g, y, j) would draw nothing inside the
  // character cell that edits and list rows clip their text to.
  void CreateControlFont();
  // Every control, one function per panel, in this order.
  void CreateControls();
  void CreateSearchPanel();    // Panel1: query row, Panel2 and the tool buttons
  void CreateProgressStrip();  // Panel3 with CancelBtn, over StaticText1
  void CreateFilterPanel();    // Panel5
  void CreateResultList();     // Panel4 with SpeedButton1, ListView1
  void CreateStatusBar();      // StatusBar1
  void CreateHintToolTip();    // HintToolTip, one tool per control with a hint
  void LayoutControls();
  // Shows the build's progress strip above the list information, or hides it.
  void ShowProgressStrip(bool show);
  // Sets a control's hint; its short part becomes the control's tooltip.
  void SetControlHint(HWND control, const std::string& hint);
  static std::string ShortHint(const std::string& hint);
  // Width of a text in the controls' font, in pixels.
  int TextWidth(const std::string& text) const;
  // Window id for the next control created (menu items use 100+ and 500+).
  HMENU NextControlId();
  HWND HintToolTip = nullptr;     // tooltip control of the short hints
  bool HintToolTipTried = false;  // made (or failed) at the first mouse move
  int FontHeight = 0;             // tmHeight of the controls' font
  int RowHeight = 22;             // height of an edit row: FontHeight and margins
  int nextControlId_ = 2000;
  HWND AddControl(HWND control, const char* name, const std::string& hint = {}, int tag = 0);
  HWND FindControl(std::string_view name) const;
  const ControlInfo* InfoOf(HWND control) const;
  int TagOf(HWND control) const;
  win::UniqueBitmap MakeGlyph(int imageIndex) const;
  void SetListColumnCaption(int column, const std::string& caption);
  std::string ListColumnCaption(int column) const;
  // (start: add its own members below this line)
  // The filter panel is made when it is first needed (the first press of
  // 「Option」, or whatever else reads or sets its controls), hidden and at
  // its defaults: its seventeen controls, two combo boxes and two date
  // pickers among them, cost a start under Wine more than all the rest of
  // the search panel. Until then Panel5 and its controls are null, and
  // ReadFilterPanel gives the defaults.
  void EnsureFilterPanel();
  // The date and size filter of a search: the filter panel's values, or its
  // defaults while it has not been made (both filters off, 「更新日」,
  // yesterday to today, 「小さい」, 1 KB to 1 KB).
  void ReadFilterPanel(SearchQuery& query) const;
  // The day the date pickers start from (the second one; the first is the
  // day before), taken in the constructor.
  SYSTEMTIME FilterStartDay{};
  // Set while EnsureFilterPanel makes the panel and sets its defaults: the
  // changes its controls report meanwhile (the size numbers' first texts)
  // are no user's, and start no search.
  bool FilterPanelMaking = false;
  // A memory DC holding the controls' font, made at the first TextWidth and
  // kept: a screen DC per measure costs about half a millisecond under Wine,
  // and the controls' layout measures some thirty texts at start. Released
  // before the font (in the destructor).
  mutable win::UniqueMemoryDC measureDC_;

  // ---- search panel (app/search_panel_win.cpp) ---------------------------
  void NumberEdit1Change();
  void CSpinButton1UpClick();
  void CSpinButton1DownClick();
  void SpeedButton2Click();
  void CheckBox9Click();
  void CheckBox10Click();
  void ComboBox1Change();
  void ComboBox2Change();
  void OptionMenuClick();
  // The filter panel's size text (StaticText2); left for the search panel's
  // size rules.
  void UpdateSizeText();
  // A mouse press on an arrow of UpDown2 or UpDown3 and its end (the
  // release, or the control losing the mouse): SuppressSizeSearch and the
  // arrow's step of 16 last exactly that long.
  void UpDown2MouseDown(HWND updown);
  void UpDown2MouseUp(HWND updown);
  // Lets the two handlers above see the mouse on the arrows.
  void HookSizeArrows();
  int HitLimit() const { return Settings.max; }
  // Routes a control notification of the search panel to its handler.
  bool SearchPanelCommand(HWND control, UINT code);

  // ---- search-list files (searchlist/list_files_win.cpp) -----------------
  // Loads the list and its counts as one set. Loaded, NoList, Busy or
  // Damaged (result.files names the file and the reason); a list that is not
  // loaded leaves the live set empty, and it is never searched.
  ListLoadResult LoadSearchList();
  // The start-up question for a damaged list: which file, what is wrong, and
  // the offer to build a new list.
  static std::string DamagedListQuestion(const ListLoadResult& result);
  // serveMessages: pending messages are served so that the caption with the
  // saving note is painted (at close); not right after a build.
  bool SaveSearchList(bool serveMessages = true);
  void ShowListInfo();

  // ---- search-list builder (searchlist/list_build_win.cpp) ---------------
  void SearchNewMenuClick();
  void StartListBuild();
  void StopListBuild();
  void ListBuildDone();
  void CancelBtnClick();

  // ---- search-list maintenance (searchlist/list_maintenance_win.cpp) -----
  void N19Click();
  void NotFileMenuClick();
  // The works that run inside a TMsgCanselDlg (MaintenanceDialog while they
  // run; without one they run without progress).
  void CleanSearchList();
  void CheckUnknownEntries();
  void RemoveSelectedEntries();
  // The delete command's removal of the selected rows' entries, in its
  // dialog 「検索リストの削除」.
  void RemoveSelectedEntriesInDialog();
  // Removes one entry by path (a row whose file has vanished); the line
  // numbers of the remaining rows follow. True when it was found.
  bool RemoveListEntry(const std::string& path, bool isFile, uint8_t& filesChanged,
                       uint8_t& foldersChanged, int& removed);
  // Refuses (with a message) a maintenance command while a build runs; stops
  // a running search first. True when the command must not run.
  bool MaintenanceRefused();
  // The tools menu opens: NotFileMenu's state.
  void UpdateMaintenanceMenus();
  class TMsgCanselDlg* MaintenanceDialog = nullptr;
  uint8_t SkipAbsentDrives = 0;
  // Set while a maintenance command changes the live set or the rows: no
  // search and no build may start from the messages it serves meanwhile.
  uint8_t ListMaintenanceRunning = 0;
  // A close asked for while a maintenance command ran: the command is
  // stopped, and the window closes once it has returned.
  uint8_t CloseAfterMaintenance = 0;

  // ---- search run (search/search_run_win.cpp) ----------------------------
  // trigger: the control (or menu item window-less: nullptr) whose change
  // started the search; its Tag settles the mode.
  void StartSearch(HWND trigger, int modeTag = -1);
  void StopSearch();
  // The worker's body and its end handler, both given the run's state
  // (search/search_run_win.cpp).
  void RunSearch(SearchRun& run);
  void SearchDone(SearchRun& run);
  // Every change of a search-panel control after its own handler: the place
  // where the search decides whether the change starts a search.
  void SearchTrigger(HWND control, UINT code);
  void ModeMenuClick(int tag);  // N7, N13, N14 (Tag 100-102) and N20 (0)
  void Tool1Click();            // the tools menu opens
  // How many StopSearch waits are running. A search asked for from inside
  // one (a worker's call that the wait serves) is left to the StartSearch
  // that waits, which reads the panel afterwards anyway. UI thread only.
  int SearchStopDepth = 0;

  // ---- results view (results/result_view_win.cpp) -----------------------
  // Every WM_NOTIFY of ListView1 and its header; true when handled.
  bool ListView1Notify(NMHDR* header, LRESULT* result);
  void ClearHitList();
  // Lets go of the records of `hits` (left empty) and keeps the larger room
  // of it and SpareHits as SpareHits. UI thread only.
  void KeepHitRoom(filvex::HitList& hits);
  // Clears the rows' selection, focus and selection mark and hides the
  // open-folder button, without the selection handler (the rows are about
  // to be replaced).
  void ClearRowSelection();
  void PlaceOpenFolderButton(int row);
  void GoUpOneFolder();      // SpeedButton4
  void SpeedButton5Click();  // view switch
  void ShowPickupList();     // HitListSpBtn
  void AddToPickupList();    // N15
  // Pickup commands (results/pickup_list_win.cpp). The delete command runs
  // RemoveFromPickupList while the pickup list is shown; it asks first
  // (ConfirmPickupRemoval: true unless the answer is No).
  void RemoveFromPickupList();
  bool ConfirmPickupRemoval();
  void SelectRows(int tag);  // AllSelMenu, SelChgMenu, N5
  void Edit2Click();         // the edit menu opens

  // ---- folder view and drive list (results/folder_view_win.cpp) ---------
  // Plays the navigation sound, then lists the folder's entries (nothing
  // more when path is not an existing folder).
  void OpenFolderView(const std::string& path);
  void ListFolderContents(const std::string& path);
  // Whether an entry with these attributes is shown under the S/H/R boxes.
  bool PassesAttributeBoxes(uint32_t attributes) const;
  // Makes the record of a directory entry and appends it (row -1), or
  // rewrites row `row`; returns `row`, or -1 when the entry was appended (also
  // for a row that is no longer listed). Appending leaves the row count to
  // the caller.
  int AddEntryRow(const std::string& path, bool isFile, bool fetchNow, int row,
                  const DirEntry& entry);
  void ShowDriveList();
  static std::string DriveDisplayName(const std::string& drive);
  struct DriveSpace {
    uint64_t total = 0;
    uint64_t free = 0;
  };
  DriveSpace DriveCapacity(const std::string& drive) const;
  void SelectRowByName(const std::string& name, bool scroll);
  // (folder view: add its own members below this line)
  // Background of the result list while a folder opened from a row is shown
  // (a pale yellow); a search puts back the colour of its mode.
  static constexpr COLORREF FolderViewColour = RGB(253, 255, 232);

  // ---- icons and type names (results/icons_win.cpp) ---------------------
  int LookupIcon(const std::string& path, bool useCache);
  int ShellIconOf(const std::string& path);
  int FileInfoIcon(const std::string& path);
  // The shell makes its system image lists on a thread of its own (started
  // a tick after FormShow); EnsureSystemImages then attaches them to ListView1
  // and takes FolderIconIndex and FileIconIndex, at the first search, the
  // first rows or the first Timer2 tick, whichever comes first. Without the
  // thread it makes them itself.
  void StartSystemImagesFetch();
  void EnsureSystemImages();
  // Sets ListView1's row count; rows are never shown without the system
  // image lists (their height and icons come from the small one).
  void SetRowCount(int rows, DWORD flags = 0);
  // Rows about to be painted (first..last), when ico is on or the pickup
  // list is shown.
  void FetchPaintedIcons(int first, int last);
  void FetchVisibleIcons();
  void StartIconFetch();
  void StopIconFetch();

  // ---- open, explore, properties (shellops/shell_open_win.cpp) ----------
  void ListView1DblClick();     // also Open1 and Enter
  void Explore1Click(int tag);  // Explore1 (0), N4 (1), SpeedButton1 (0)
  void Property1Click();
  void PopupMenu1Popup();
  void Help2Click();
  // The list view's selected row (the first selected in list order), or -1.
  int SelectedRow() const;
  // The two path rules of a row (results/row_text.h), by row index.
  std::string RowJoinedPath(int row) const;
  std::string RowOpenPath(int row) const;
  // Opens a file with the shell; offers the open-with dialog when no
  // application is associated.
  void ShellOpen(HWND window, const std::string& path);
  void ShowOpenWithDialog(HWND window, const std::string& path);
  // Key handling of the result list; true when the key was used. ctrl and
  // alt tell whether those keys were held (Alt+Enter arrives as a system key).
  bool ListView1KeyDown(WPARAM key, bool ctrl = false, bool alt = false);
  // (open: add its own members below this line)
  // Shows a folder that the open command reached in the folder view, with
  // its colour and the one-folder-up button.
  void EnterFolderView(const std::string& path);
  // Starts the shell's verb (here "properties") on an item identifier list:
  // the given one, or the one parsed from path; with a file no list is used.
  // Nothing is started without either. A list given stays the caller's.
  void ShowShellProperties(LPCITEMIDLIST itemIdList, const std::string& file,
                           const std::string& parameters, const std::string& verb,
                           const std::string& path);
  // The absolute item identifier list of a path, empty when the shell cannot
  // parse it (or it is longer than 511 UTF-16 units).
  win::ItemIdList ParseShellPath(const std::string& path) const;
  // Whether the item binds to a shell folder that lists its children (no
  // list: the desktop).
  bool IsEnumerableShellFolder(LPCITEMIDLIST itemIdList) const;
  // Lets the result list see Alt+Enter, which it never reports itself.
  void HookListSystemKeys();
  TShellLink ShellLink1;

  // ---- clipboard, drops and drag-out (shellops/clipboard_win.cpp) -------
  void Copy1Click();
  void Paste1Click();
  void WMDropFiles(HDROP drop);
  void DragWatchTick();
  // Copies the listed paths (text form, shellops/path_list.h) into target,
  // or into the folder the paste rules choose when target is empty.
  void CopyPathsTo(const std::string& target, const std::string& listText);
  // Adds or refreshes the folder-view rows named like the given items.
  void RefreshCopiedRows(const std::vector<std::string>& paths);
  // (clipboard: add its own members below this line)
  // The selected rows' files on the clipboard as a shell file list (CF_HDROP
  // with the preferred effect copy); nothing changes without a selection.
  void CopySelectionToClipboard();
  // The clipboard's file list in text form; empty when it holds none.
  std::string ReadClipboardFiles();
  // SHFileOperationA copy of each source to its own destination (the two
  // DoubleNulList blocks hold equally many paths); true when the shell
  // reports success and nothing was cancelled.
  static bool ShellCopy(HWND window, const std::string& sourceBlock,
                        const std::string& destinationBlock);
  // The in-window drag of rows (started by the list view's LVN_BEGINDRAG)
  // and its events; the list accepts nothing dropped inside the window.
  void ListView1BeginDrag();
  void ListView1DragOver(HWND source, bool& accept);
  void ListView1EndDrag();
  // Ends the in-window drag (mouse capture released, end event raised).
  void EndRowDrag();
  // Hands the selected rows' files to the shell's drag-and-drop (copy only).
  void StartFileDrag();
  // A shell data object for files of one folder (see drag_out_win.cpp for the
  // rows of several folders); empty when no item can be named.
  win::ComPtr<IDataObject> BuildShellDataObject(const std::vector<std::string>& paths);
  // Lets ListView1 report the mouse of a row drag and the Ctrl+C key.
  void HookRowDragAndCopyKey();
  // True while a row drag that started inside the window is in progress.
  bool InternalDragActive = false;
  // True from LVN_BEGINDRAG until the in-window drag ends (mouse captured).
  bool RowDragCaptured = false;

  // ---- delete (shellops/delete_win.cpp) ----------------------------------
  void Delete1Click();
  // (delete: add its own members below this line)

  // ---- send-to menu (shellops/send_to_win.cpp) ---------------------------
  void SendToMenuBuild();
  void SendToMenuFree();
  // (send-to: add its own members below this line)
  // Adds folder + name of every entry of the SendTo folder that is not
  // hidden or system, in the file system's order.
  static void ListSendToEntries(const std::string& folder, std::vector<std::string>& list);
  // A send-to item was chosen: its Hint holds the entry's path.
  void SendToItemClick(const TMenuItem& item);
  // Hands the listed paths to the mail handler registered for the extension
  // (".MAPIMail") as a drop.
  void SendToMail(const std::string& extension, const std::string& listText);
  // Per send-to item, in item order: its icon's index in ImageList1 (-1 when
  // the shell gave none), and the bitmaps its menu entry shows.
  std::vector<int> SendToImages;
  std::vector<win::UniqueBitmap> SendToGlyphs;

  // ---- companion programs (companions/companion_hooks_win.cpp) ----------
  // (companions: add its own members below this line)
  // Send a message (companions/companion_message.h) to the companion's
  // window when one runs; false without one. The binder and copy tool are
  // first asked for their executable, which is remembered in toolpath or
  // simpcppath when it is the expected program.
  bool NotifyLauncher(uint32_t code, std::string_view text);
  bool SendToBrontal(uint32_t code, std::string_view text);
  bool SendToPexwick(uint32_t code, std::string_view text);
  // Full path of the executable of a window's process; empty before NT 5.0
  // or when the process cannot be asked.
  std::string CompanionExePath(HWND window) const;
  // The result list's popup menu opens: shows the binder submenu N16 and its
  // items SendBinderMenu and Pexwick1 as the companions allow (called from
  // PopupMenu1Popup).
  void UpdateCompanionPopupItems();
  // The tools menu opens: Brontal1's state.
  void UpdateCompanionToolItems();
  // The shared body of SendBinderMenuClick and Pexwick1Click.
  void RegisterChosenRows(bool copyTool);
  // Registers the chosen rows in the binder files beside the companion's
  // executable, as the companion would (it does not run).
  void WriteBinderFiles(const std::string& exePath, const std::string& caption);
  // Set while TBinderAddDlg is open: another binder-list reply is ignored.
  bool BinderDialogOpen = false;
  LRESULT WMCopyData(HWND sender, const COPYDATASTRUCT* data);
  void Timer1Timer();
  void N10Click();
  void N12Click();
  void Brontal1Click();
  void SendBinderMenuClick();
  void Pexwick1Click();

  // ---- about box (about/about_hooks_win.cpp) -----------------------------
  void N1Click();
  // (about: add its own members below this line)
  TAboutDialog AboutDialog1;  // the version box's texts and update site

  // ---- image preview (results/preview_win.cpp) ---------------------------
  // (preview: add its own members below this line)
  // Panel6 with Image1 over the list, and the list's hooks that follow the
  // selection; made with the result list.
  void CreatePreviewPanel();
  // Shows the selected row's file in the preview, or hides the preview (the
  // toggle up, no picture, a folder).
  void ShowPreview();
  void SpeedButton6Click();
  void ListView1MouseDown();
  void ListView1KeyUp(WPARAM key);
  void HidePreview();
  // The shell's thumbnail of a file, at most width x height; null when the
  // file has none. The caller owns the bitmap.
  HBITMAP ShellThumbnail(const std::string& path, int width, int height);
  // Moves Panel6 to the other side of the list, centred on it vertically.
  void Image1MouseMove();
  HWND SpeedButton6 = nullptr;       // toggle 「画像表示」: the image preview
  HWND Panel6 = nullptr;             // grey panel of the preview, 381 x 271
  HWND Image1 = nullptr;             // the preview picture, 361 x 251
  win::UniqueBitmap PreviewPicture;  // what Image1 shows

  // ======================================================================
  // State. Names follow the window description; members are public so that
  // the handlers of every subsystem (and the window tests) reach them.

  // Folders and files, fixed in the constructor.
  std::string ProgramFolder;  // with a trailing "\"
  std::string DataFolder;     // ProgramFolder + "data"
  std::string ExeName;        // file name of the executable
  std::string SettingsPath;   // data\searchdata.ini
  std::string FolderListPath, FileListPath, FolderInfoPath, FileInfoPath;
  std::string FolderCountsPath, FileCountsPath;
  std::string PickupFile;  // data\hitkeep.txt
  std::string LauncherFolder;
  bool IntegratedInstall = false;
  bool CloseWithLauncher = false;
  bool ShowMainForm = true;  // false in the start mode -search
  std::string DateTextFormat;
  int SystemKind = 0;
  bool IsNT5OrLater = false;

  filvex::Settings Settings;
  // False when searchdata.ini was found to be no plain file of plausible size
  // at start: it is neither read nor written over.
  bool SettingsFileUsable = true;

  // Search list: the live set (searched and saved) and the building set
  // (filled by a build while upmode is on), the drives of a build, the
  // per-drive counts.
  SearchList LiveList;
  // The first load's early read, started as the window is created and taken
  // by the first LoadSearchList (searchlist/list_preload.h).
  ListPreload ListPreloader;
  // Makes the shell's system image lists once the list is shown
  // (StartSystemImagesFetch; EnsureSystemImages waits for it).
  std::jthread ShellImagesWarmUp;
  SearchList BuildingList;
  std::vector<std::string> DriveList;
  DriveCounts FolderCounts;
  DriveCounts FileCounts;

  // Flags: single bytes; stop flags read 1 for stopped or idle, 0 for running.
  // The stop flags are read by workers, hence atomic.
  uint8_t ListDirty = 0;
  std::atomic<uint8_t> SearchStopFlag{1};
  std::atomic<uint8_t> BuildStop{1};
  std::atomic<uint8_t> BuildCancelled{0};
  std::atomic<uint8_t> IconStop{1};  // the icon thread's stop request
  uint8_t NotifyAfterBuild = 0;
  filvex::SearchMode SearchMode = filvex::SearchMode::NameSearch;

  // Results view.
  filvex::HitList HitList;
  // Room of a list of rows let go of, without records: the next search
  // writes its hits into it (see ClearHitRecords).
  filvex::HitList SpareHits;
  // The working room of the sort of each search's hits, kept between
  // searches. Search worker only (one search runs at a time).
  filvex::HitSortRoom SearchSortRoom;
  // The same for the sorts of this thread (a column click, a folder's
  // entries): a click on a header of tens of thousands of rows sorted in
  // fresh room paid a page fault per page of it. User-interface thread only,
  // so that it never meets a search worker's sort.
  filvex::HitSortRoom ColumnSortRoom;
  bool ShowsSearchHits = false;
  std::string CurrentFolder;
  int VisibleFirst = 0, VisibleLast = -1;
  // The report view's repaint under way (from its custom-draw start to its
  // end): the plain rows' icons are drawn from RowIcons then, not by the
  // list view. CachedRowIcons off leaves every icon to the list view.
  RowPaintState RowPaint;
  bool CachedRowIcons = true;
  RowIconCache RowIcons;
  bool SuppressSelectEvents = false;
  int TotalMatches = 0;
  bool WithinLimit = true;
  // Sort state: the column and direction of the last sort, the next
  // direction of column 0, and the next directions of columns 1-5.
  int SortColumn = 0;
  uint8_t SortAscending = 1;
  uint8_t NameSortToggle = 0;
  std::array<uint8_t, 5> ColumnSortToggles{};
  std::vector<std::string> SpecialIconExtensions;
  std::vector<std::string> TypeCache;
  std::string LastTypeName;
  int LastOverlay = -1;
  int FolderIconIndex = -1;
  int FileIconIndex = -1;
  std::vector<std::string> WorkList;    // paths for the shell file operations
  std::vector<std::string> PickupList;  // loaded only inside the pickup commands

  // Companion programs.
  std::string BinderChoices;
  std::string ReplySenderClass;

  // Search panel.
  bool NumberEditFromUser = true;  // cleared by the spin buttons
  bool SuppressSizeSearch = false;

  // The thread that runs the search workers one after another, kept rather
  // than made anew at every keystroke; declared first, so it outlives them.
  win::ThreadSlot SearchSlot;
  // Workers: at most one of each; a finished one is released by the next stop.
  std::unique_ptr<win::WorkerThread> SearchThread;
  std::unique_ptr<win::WorkerThread> BuildThread;
  std::unique_ptr<win::WorkerThread> IconThread;

  // Shell and COM, obtained in FormCreate and released in FormDestroy.
  std::unique_ptr<win::OleInitGuard> OleInit;
  std::unique_ptr<win::ComInitGuard> ComInit;
  win::ComPtr<IMalloc> ShellAllocator;
  win::ComPtr<IShellFolder> ShellDesktopFolder;
  using DiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                          PULARGE_INTEGER);
  DiskFreeSpaceExFn DiskFreeSpaceEntry = nullptr;
  HIMAGELIST SystemSmallImages = nullptr;  // owned by the shell
  HIMAGELIST SystemLargeImages = nullptr;
  bool SystemImagesAttached = false;  // EnsureSystemImages has run

  // Controls (children of the main window; they die with it). The names are
  // those of the window description; each comment gives the role and the
  // caption or hint a user sees.
  HWND Panel1 = nullptr;        // search panel, the top strip holding the rows below
  HWND Panel2 = nullptr;        // white frame 「 検索対象」 of the target boxes
  HWND Panel3 = nullptr;        // build progress strip "X: ドライブのリストを作成中..."
  HWND Panel4 = nullptr;        // narrow strip left of the list, holds SpeedButton1
  HWND Panel5 = nullptr;        // filter panel (date and size), shown by 「Option」
  HWND Label1 = nullptr;        // label 「検索ファイル名」 of Edit1
  HWND Label2 = nullptr;        // label 「最大列挙数」 of NumberEdit1
  HWND Label3 = nullptr;        // label 「ドライブ」 of Edit3
  HWND Edit1 = nullptr;         // query box 「検索ファイル名」 (fragments split by "/")
  HWND Edit3 = nullptr;         // drive letters box 「ドライブ」
  HWND NumberEdit1 = nullptr;   // hit limit 「最大列挙数」, 100 to 100,000
  HWND NumberEdit2 = nullptr;   // first size bound (1 to 1024)
  HWND NumberEdit3 = nullptr;   // second size bound, for 「範囲」
  HWND CSpinButton1 = nullptr;  // up/down buttons of the hit limit 「100～100,000」
  HWND UpDown2 = nullptr;       // arrows of NumberEdit2
  HWND UpDown3 = nullptr;       // arrows of NumberEdit3
  HWND SpeedButton1 = nullptr;  // open-folder button beside the selected row 「フォルダを開く」
  HWND SpeedButton2 = nullptr;  // toggle 「Option」: shows the filter panel
  HWND SpeedButton3 = nullptr;  // magnifier glyph 「再検索」: search again
  HWND SpeedButton4 = nullptr;  // arrow glyph 「一つ上のフォルダ」: folder view one level up
  HWND SpeedButton5 = nullptr;     // tiles glyph 「表示の切換」: report / large icons
  HWND SpeedButton7 = nullptr;     // toggle 「I」: incremental search
  HWND HitListSpBtn = nullptr;     // pin glyph 「ピックアップ」: shows the pickup list
  HWND CheckBox1 = nullptr;        // 「フォルダ」: search folders
  HWND CheckBox2 = nullptr;        // 「ファイル」: search files
  HWND CheckBox3 = nullptr;        // 「S」: system attribute
  HWND CheckBox4 = nullptr;        // 「H」: hidden attribute
  HWND CheckBox5 = nullptr;        // 「AND」: every fragment must match
  HWND CheckBox6 = nullptr;        // 「SH」: system and hidden
  HWND CheckBox7 = nullptr;        // 「先頭」: match at the start of the name
  HWND CheckBox8 = nullptr;        // 「R」: read-only
  HWND CheckBox9 = nullptr;        // 「日付」: date filter on
  HWND CheckBox10 = nullptr;       // 「サイズ」: size filter on
  HWND ComboBox1 = nullptr;        // date kind 「作成日」/「更新日」
  HWND ComboBox2 = nullptr;        // size relation 「小さい」/「大きい」/「範囲」
  HWND ComboBox3 = nullptr;        // unit 「KB」/「MB」 of the first bound
  HWND ComboBox4 = nullptr;        // unit of the second bound
  HWND DateTimePicker1 = nullptr;  // date filter: from
  HWND DateTimePicker2 = nullptr;  // date filter: to
  HWND StaticText1 = nullptr;      // list information "Folder: n  File: n"
  HWND StaticText2 = nullptr;      // size filter text, such as 「1KB ～ 1MB」
  HWND CancelBtn = nullptr;        // 「中止」 on Panel3: stops the build
  HWND ListView1 = nullptr;        // result list (owner-data report or large icons)
  HWND StatusBar1 = nullptr;       // status bar: hit count, long hint

  // Menus: the main menu and the result list's popup menu.
  TMenu MainMenu1;
  TMenu PopupMenu1;
  TMenuItem* File1 = nullptr;          // 「ファイル(&F)」
  TMenuItem* SearchNewMenu = nullptr;  // 「検索リストの更新」: build the search list
  TMenuItem* Exit1 = nullptr;          // 「終了(&X)」
  TMenuItem* Edit2 = nullptr;          // 「編集(&E)」
  TMenuItem* AllSelMenu = nullptr;     // 「全て選択(&A)」
  TMenuItem* SelChgMenu = nullptr;     // 「選択の切り替え(&I)」: invert the selection
  TMenuItem* N5 = nullptr;             // 「不明の選択」: select the vanished rows
  TMenuItem* Tool1 = nullptr;          // 「ツール(&T)」
  TMenuItem* N7 = nullptr;             // 「ファイル属性で検索」: attribute mode
  TMenuItem* N13 = nullptr;            // 「日付で検索」: date mode
  TMenuItem* N14 = nullptr;            // 「サイズで検索」: size mode
  TMenuItem* N20 = nullptr;            // 「ファイル名で検索」: back to the name mode
  TMenuItem* N19 = nullptr;            // 「検索リストの掃除」: remove vanished entries
  TMenuItem* NotFileMenu = nullptr;    // 「不明リストを調べる」: mark vanished rows
  TMenuItem* Brontal1 = nullptr;       // 「Brontal」: start the folder binder
  TMenuItem* N10 = nullptr;            // 「統合」: copy into the launcher's folder
  TMenuItem* N12 = nullptr;            // 「スケジュール」: the launcher's schedule
  TMenuItem* OptionMenu = nullptr;     // 「設定(&O)」: options dialog
  TMenuItem* Help1 = nullptr;          // 「ヘルプ(&H)」 menu
  TMenuItem* Help2 = nullptr;          // 「ヘルプ(&H)」: open the help file
  TMenuItem* N1 = nullptr;             // 「バージョン」: version box
  TMenuItem* Open1 = nullptr;          // popup 「開く(&O)」
  TMenuItem* N4 = nullptr;  // popup 「開くアプリケーションを選択(&H)」: open with
  TMenuItem* Explore1 = nullptr;        // popup 「エクスプローラ(&E)」: containing folder
  TMenuItem* Copy1 = nullptr;           // popup 「コピー(&C)」
  TMenuItem* Paste1 = nullptr;          // popup 「貼り付け(&P)」
  TMenuItem* Delete1 = nullptr;         // popup 「削除(&D)」: to the recycle bin
  TMenuItem* SendToMenu = nullptr;      // popup 「送る(&N)」: send-to submenu
  TMenuItem* N16 = nullptr;             // popup 「バインダーに登録(&R)」 submenu
  TMenuItem* SendBinderMenu = nullptr;  // 「Brontal」 in N16: register with the binder
  TMenuItem* Pexwick1 = nullptr;        // 「Pexwick」 in N16: hand to the copy tool
  TMenuItem* N15 = nullptr;             // popup 「ピックアップリストに追加」
  TMenuItem* Property1 = nullptr;       // popup 「プロパティ(&P)」

  // ImageList1 (16 x 16): glyphs, menu images and the header's sort marks
  // (23 descending, 24 ascending). Send-to icons are appended at run time.
  win::UniqueImageList ImageList1;
  // Holds the rows' height until the system image lists are attached
  // (FormCreate, EnsureSystemImages); the list view shares its image lists.
  win::UniqueImageList RowHeightImages;
  static constexpr int kImageCount = 25;

  // Timers of the main window: Timer1 one tick after a companion's binder-list
  // reply; Timer2 every 500 ms (open-folder button, drag watch, launcher
  // watch); Timer3 one tick 500 ms before an ordered build; ImagesTimer one
  // tick after the first showing, to start the system image lists' fetch.
  static constexpr UINT Timer1 = 1, Timer2 = 2, Timer3 = 3, ImagesTimer = 4;

 private:
  static LRESULT CALLBACK StaticWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK HintHookProc(int code, WPARAM wp, LPARAM lp);
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnCommand(WPARAM wp, LPARAM lp);
  LRESULT OnNotify(NMHDR* header);
  void OnMenuSelect(WPARAM wp, LPARAM lp);
  void OnInitMenuPopup(HMENU menu);
  void CreateMainWindow();
  void SetLauncherMenuStates();

  HWND hwnd_ = nullptr;
  StartOptions options_;
  HFONT font_ = nullptr;  // owned by fontOwner_
  win::UniqueFont fontOwner_;
  std::vector<win::UniqueBitmap> glyphs_;
  std::unordered_map<HWND, ControlInfo> controls_;
  std::string currentHint_;
  std::array<std::string, 2> statusTexts_;
  std::array<bool, 5> timers_{};
  bool formCreated_ = false;
  bool formShown_ = false;  // FormShow has run (the first Show)
  bool destroyed_ = false;
  win::UniqueHook hintHook_;
};

}  // namespace filvex
