#pragma once
// The two small dialogs of the search-list maintenance:
//  - TMsgCanselDlg, the modal progress dialog in which a long command runs on
//    the user-interface thread: an indicator and a message, a progress bar
//    and a cancel button that raises the window's stop flag;
//  - TYesNoChkDlg, a yes/no question with one check box.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace filvex {

class TMsgCanselDlg {
 public:
  static constexpr int kPanel1Id = 101;
  static constexpr int kProgressBar1Id = 102;
  static constexpr UINT_PTR kTimer1 = 1, kTimer2 = 2;

  // The texts in front of the message, turned every second.
  static constexpr const char* kIndicatorA = "∴ ";
  static constexpr const char* kIndicatorB = "∵ ";

  TMsgCanselDlg(std::string caption, std::string message, std::atomic<uint8_t>& stopFlag)
      : caption_(std::move(caption)), message_(std::move(message)), stop_(stopFlag) {}
  TMsgCanselDlg(const TMsgCanselDlg&) = delete;
  TMsgCanselDlg& operator=(const TMsgCanselDlg&) = delete;

  // The work: runs once, 10 ms after the dialog shows; the dialog closes when
  // it returns. It reads the stop flag to end early.
  std::function<void()> Work;

  // Shows the dialog modally over owner until the work has returned.
  void ShowModal(HWND owner);

  // For the work: the progress bar's range and position.
  void SetProgressMax(size_t max);
  void SetProgress(size_t position);
  size_t Progress() const { return position_; }

  // For the work: serves the thread's pending messages, the dialog's keys
  // (Escape is its cancel) included. A quit request is left for the message
  // loop that owns it.
  void ServeMessages();

  HWND Handle() const { return hwnd_; }
  std::string Panel1Text() const;
  // Timer2's tick: the indicator turns. The toggle value is kept for the
  // whole process, so the next dialog goes on from where this one stopped.
  void Timer2Timer();
  // CancelBtn (and Escape): raises the stop flag.
  void CancelBtnClick() { stop_.store(1); }

  // Runs while the dialog is shown, instead of or before the work: tests see
  // the real dialog through it.
  static void SetShowHookForTests(std::function<void(TMsgCanselDlg&)> hook);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
  void InitDialog(HWND dlg);
  void Timer1Timer();
  void ShowIndicator();

  std::string caption_, message_;
  std::atomic<uint8_t>& stop_;
  HWND hwnd_ = nullptr;
  HWND panel1_ = nullptr;
  HWND progressBar1_ = nullptr;
  HFONT font_ = nullptr;
  size_t max_ = 0, position_ = 0;
  int scale_ = 1;  // the bar's range is 32-bit: large counts are divided
  bool workDone_ = false;
};

class TYesNoChkDlg {
 public:
  static constexpr int kLabel1Id = 101;
  static constexpr int kCheckBox1Id = 102;

  // Asks the question; *checked gives the check box's state on opening and
  // receives it on closing, whichever button closed the dialog. True for
  // "はい".
  static bool Execute(HWND owner, const std::string& caption, const std::string& question,
                      bool* checked);

  // Answers instead of the dialog (tests): gets the question, may change the
  // box, returns the answer. Empty: the real dialog.
  using Hook = std::function<bool(const std::string& question, bool* checked)>;
  static Hook SetHookForTests(Hook hook);
};

}  // namespace filvex
