#include "shellops/send_to.h"

#include "searchlist/mbcs.h"

namespace filvex {
namespace {

constexpr uint32_t kHidden = 0x2;
constexpr uint32_t kSystem = 0x4;

// Everything before the last "." (the whole text when it has none). A "."
// byte is never part of a double-byte character.
std::string_view WithoutExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

}  // namespace

SendToAction SendToActionOf(std::string_view target, bool targetIsFolder) {
  const std::string lower = Lowered(target);
  if (lower.find("desklink") != std::string::npos) return SendToAction::DesktopShortcut;
  if (lower.find("mydocs") != std::string::npos) return SendToAction::Documents;
  if (lower.find(".mapimail") != std::string::npos) return SendToAction::Mail;
  if (targetIsFolder) return SendToAction::CopyToFolder;
  return SendToAction::StartProgram;
}

bool IsSendToEntry(std::string_view name, uint32_t attributes) {
  if (name == "." || name == "..") return false;
  return (attributes & (kHidden | kSystem)) == 0;
}

std::string SendToCaption(std::string_view entryPath) {
  std::string caption;
  for (char c : WithoutExtension(LastComponent(entryPath))) {
    caption += c;
    // "&" (0x26) is never the second byte of a double-byte character.
    if (c == '&') caption += '&';
  }
  return caption;
}

std::string SendToArguments(const std::vector<std::string>& paths) {
  std::string text;
  for (const auto& p : paths) {
    if (!text.empty()) text += '\n';
    text += '"';
    text += p;
    text += '"';
  }
  return text;
}

std::string DesktopShortcutName(std::string_view path) {
  return std::string(WithoutExtension(LastComponent(path))) + " へのショートカット";
}

std::string FileExtension(std::string_view path) {
  const std::string_view name = LastComponent(path);
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace filvex
