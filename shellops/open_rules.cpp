#include "shellops/open_rules.h"

#include "searchlist/mbcs.h"

namespace filvex {

bool IsShortcutName(std::string_view path) {
  // "." is never the second byte of a double-byte character, so a plain
  // search from the end is safe inside the last component.
  const std::string_view name = LastComponent(path);
  const size_t dot = name.rfind('.');
  return dot != std::string_view::npos && name.substr(dot) == ".lnk";
}

std::string ExploreFolder(std::string_view path, bool isFolder) {
  if (isFolder) return std::string(path);
  return std::string(ContainingFolder(path));
}

std::string OpenWithParameters(std::string_view path) {
  std::string parameters = "shell32.dll,OpenAs_RunDLL ";
  parameters += path;
  return parameters;
}

PopupState PopupMenuState(const PopupInputs& in) {
  PopupState s;
  s.rowCommands = in.selected > 0;
  s.pasteVisible = in.inFolder && !in.showsSearchHits && in.clipboardHasFiles;
  s.deleteEnabled = !in.showsSearchHits || (s.rowCommands && in.searchIdle);
  s.deleteVisible = in.showsSearchHits || in.pickupShown || in.inFolder;
  s.sendToVisible = in.selected > 0;
  s.propertiesVisible = in.selected == 1;
  s.pickupAddVisible = !in.pickupShown && s.rowCommands;
  return s;
}

}  // namespace filvex
