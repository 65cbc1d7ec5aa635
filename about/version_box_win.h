#pragma once
// The version window (TVersionBox) and the about component that fills it
// (TAboutDialog): title, version, year and maker, the animated program icon,
// and the manual update check with its download.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace filvex {

class TVersionBox;

// The about component of the main window: the texts and the update site's
// settings shown and used by the version window.
class TAboutDialog {
 public:
  std::string ApplicationTitle = "Filvex";
  std::string VerNo;  // appended to the title after two spaces
  std::string VerNoMain = "[ 1.1.2.1 ]";
  std::string ProgramerName = "Vemko";
  std::string Year = "2003-2026";
  std::string Corp = "Vemko";
  std::string UpdateFileName = "FreeSoftware.htm";  // empty: "UpdateFilePage.html"
  std::string UpdateFolderName = " ";               // one space: no sub-folder
  std::string UpdateName = "Filvex_";               // prefix of the archive's name
  std::string UpdateDownFolder = "VemkoInstFile";
  std::string VerStr = "1121";  // this release's number, four digits
  bool NoChkDownLoad = false;   // offer any archive found, newer or not
  int JumpXY = 2;               // jitter of the animated icon, in pixels
  int StretchMax = 5;           // size drift of the animated icon, in pixels
  COLORREF BackColor = RGB(241, 255, 191);
  COLORREF TitleFontColor = RGB(0, 0, 128);
  COLORREF VerFontColor = RGB(0, 0, 0);
  COLORREF DateColor = RGB(96, 96, 96);

  // Shows the version window modally over owner and frees it; does nothing
  // while it is already open.
  void Execute(HWND owner);
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

class TVersionBox {
 public:
  TVersionBox() = default;
  TVersionBox(const TVersionBox&) = delete;
  TVersionBox& operator=(const TVersionBox&) = delete;

  // Values handed over by TAboutDialog::Execute before the window shows.
  std::string TitleText, VersionText, ProgrammerText, YearText, CorpText;
  COLORREF PanelColor = RGB(255, 255, 255);
  COLORREF TitleColor = 0, VersionColor = 0, YearColor = 0;
  int JumpXY = 2, StretchMax = 5;
  std::string PageName, UpdateName, UpdateFolderName, UpdateDownFolder, VerStr;
  bool NoChkDownLoad = false;
  // The site's base address, a folder ending in "/" (UpdateBaseAddress).
  std::string BaseAddress;

  // State of the update check.
  std::string FoundArchive;
  uint8_t DownloadIdle = 1;  // 0 while a download runs; set to 1 to stop it

  void ShowModal(HWND owner);
  HWND Handle() const { return hwnd_; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  void Close();

  // The "Update" button: stops a running download, or checks the site's page
  // for a newer release and offers it.
  void UpdateChkBtnClick();
  // Asks, lets the user choose a folder, and downloads FoundArchive into it
  // under a temporary name that becomes the archive's only when complete.
  void DownloadArchive();
  // The maker line: the maker's home page in the browser.
  void Label4Click();

  // Control ids.
  static constexpr int kImage1 = 101, kStaticText1 = 102, kStaticText2 = 103, kLabel2 = 104,
                       kLabel3 = 105, kLabel4 = 106, kProgressBar = 107, kUpdateChkBtn = 108;

  // Tests: runs once the window is shown (instead of a user); and replaces the
  // folder dialog (nullopt: cancelled).
  static void SetShowHookForTests(std::function<void(TVersionBox&)> hook);
  static void SetFolderChooserForTests(std::function<std::optional<std::string>()> chooser);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ImageProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                    DWORD_PTR self);
  void InitDialog(HWND dlg);
  void Timer1Timer();
  void DrawImage(const DRAWITEMSTRUCT& item);
  std::optional<std::string> ChooseFolder();
  // The download proper once the folder is chosen; returns the message to
  // show (empty: none) and whether the folder is to be opened.
  void Download(const std::string& folder);
  void ServeMessages();
  void Message(const std::string& text);

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH panelBrush_ = nullptr;
  int frame_ = 0;
  RECT iconRect_{};
  bool hover_ = false, pressed_ = false;
};

}  // namespace filvex
