#pragma once
// TOptionDlg: the modal "設定" dialog with the six on/off settings.

#include <windows.h>

#include "app/settings.h"

namespace filvex {

class TOptionDlg {
 public:
  // Control ids: the six boxes in order (ico, chk, maxstop, upmode, sizekb,
  // recy), then OKBtn = IDOK and CancelBtn = IDCANCEL.
  static constexpr int kFirstBoxId = 101;

  // Shows the dialog with its boxes set from `settings`; on OK the boxes are
  // copied back and true is returned; Cancel or closing changes nothing.
  static bool Execute(HWND owner, filvex::Settings& settings);
};

}  // namespace filvex
