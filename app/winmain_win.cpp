// Entry point of Filvex.exe: the application title, the common controls, the
// main window and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  using namespace filvex;
  win::SetApplicationTitle("Filvex");
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES |
                                           ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&icc);

  StartOptions options;
  for (int i = 1; i < __argc; ++i) options.args.emplace_back(__argv[i]);
  options.quitOnDestroy = true;

  std::unique_ptr<TVemkoSearcher> window;
  try {
    window = std::make_unique<TVemkoSearcher>(options);
    window->Show(showCommand);
  } catch (const std::exception& e) {
    win::ShowMessageBox(nullptr, e.what(), win::ApplicationTitle(), MB_OK | MB_ICONSTOP);
    return 1;
  }

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  window.reset();
  return static_cast<int>(msg.wParam);
}
