#pragma once
// TBinderAddDlg: the modal dialog in which the user picks (or types) the
// binder that the chosen folders are added to.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace filvex {

class TBinderAddDlg {
 public:
  // Control ids: Edit1 (the name), ComboBox1 (the choices), OKBtn = IDOK,
  // CancelBtn = IDCANCEL.
  static constexpr int kEdit1 = 101;
  static constexpr int kComboBox1 = 102;

  // Shows the dialog with the caption and the choices (one binder-list line
  // each; rows show the name part with image 16 of `images`). Returns the
  // text of Edit1 on OK, nothing on Cancel or close.
  static std::optional<std::string> Execute(HWND owner, const std::string& caption,
                                            const std::vector<std::string>& choices,
                                            HIMAGELIST images);

  // Tests: called with the dialog window once it is set up, before the user
  // could act; the test drives the controls and ends the dialog. Empty: none.
  static void SetShownHookForTests(std::function<void(HWND dialog)> hook);
};

}  // namespace filvex
