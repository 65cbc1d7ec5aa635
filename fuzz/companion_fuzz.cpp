// Fuzz target for what the companion programs hand over: a received message
// and its binder list, and the binder files read before a registration. The
// input is cut into four parts at 0xFF bytes: the message data, the title
// list, folderlist.ini and selectlist.ini. Checks: nothing reads out of
// range (sanitizers); a taken message re-encodes to its data; every choice
// is a non-empty line without line ends; an INI text written and read again
// gives the same text; a registration never adds a key that cannot be read
// back, and registering the same again changes nothing.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "companions/binder_files.h"
#include "companions/companion_message.h"
#include "fuzz/fuzz_input.h"

using namespace filvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string_view> parts = fuzz::CutAtFF(in, 4);

  if (auto payload = DecodeMessage(parts[0].data(), parts[0].size())) {
    std::string_view raw = parts[0];
    while (!raw.empty() && raw.back() == '\0') raw.remove_suffix(1);
    if (EncodeMessage(*payload) != raw) std::abort();
    if (auto choices = ParseBinderChoices(*payload)) {
      for (const std::string& c : *choices) {
        if (c.empty() || c.find_first_of("\r\n") != std::string::npos) std::abort();
        (void)BinderChoiceName(c);
      }
    }
  }

  std::string titles(parts[1]);
  IniText folders(parts[2]);
  IniText selections(parts[3]);
  if (IniText(folders.Text()).Text() != folders.Text()) std::abort();

  // Paths and a name taken from the title list, so that hostile bytes reach
  // the registration too.
  std::vector<BinderItem> items;
  bool isFile = false;
  for (const std::string& line : TitleChoices(parts[1])) {
    items.push_back({line, isFile});
    isFile = !isFile;
  }
  const std::vector<std::string> choices = TitleChoices(parts[1]);
  const std::string name = choices.empty() ? "Work" : std::string(BinderChoiceName(choices[0]));
  if (!IsUsableBinderName(name)) return 0;
  AddToBinder(name, items, titles, folders, selections);
  if (!TitleListHas(titles, name)) std::abort();
  if (IniText(folders.Text()).Keys(name) != folders.Keys(name)) std::abort();
  const BinderChanges again = AddToBinder(name, items, titles, folders, selections);
  if (again.titles || again.folders || again.selections) std::abort();
  return 0;
}
