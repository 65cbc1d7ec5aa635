#include "results/pickup_list.h"

#include <cstring>

#include "searchlist/mbcs.h"

namespace filvex {

namespace {

bool IsDriveLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool IsPickupPath(std::string_view line) {
  if (line.size() < 3 || line.size() > kPickupPathLimit) return false;
  const bool drive =
      IsDriveLetter(static_cast<unsigned char>(line[0])) && line[1] == ':' && line[2] == '\\';
  const bool unc = line[0] == '\\' && line[1] == '\\' && line[2] != '\\';
  if (!drive && !unc) return false;
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (IsLeadByte(c)) {
      // A lead byte at the very end is half a character: the line was cut.
      if (i + 1 >= line.size()) return false;
      const unsigned char trail = static_cast<unsigned char>(line[i + 1]);
      if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
      ++i;  // the trail byte may be "\" or "|" and is part of the character
      continue;
    }
    if (c < 0x20 || c == 0x7F) return false;
    switch (c) {
      case '<':
      case '>':
      case '"':
      case '|':
      case '*':
      case '?':
        return false;
      case ':':
        if (i != 1) return false;
        break;
      default:
        break;
    }
  }
  return true;
}

std::string PickupReadResult::text() const {
  switch (refusal) {
    case PickupRefusal::None:
      return {};
    case PickupRefusal::NotRegularFile:
      return "通常のファイルではありません";
    case PickupRefusal::TooLarge:
      return "ファイルが大きすぎます";
    case PickupRefusal::Unreadable:
      return "ファイルを読み込めません";
    case PickupRefusal::NotAPath:
      return std::to_string(line) + " 行目がフルパスではありません";
  }
  return {};
}

PickupReadResult ParsePickupText(std::string_view text, std::vector<std::string>& paths) {
  paths.clear();
  PickupReadResult result;
  result.exists = true;
  size_t lineNo = 0;
  ForEachLine(text, [&](std::string_view line) {
    ++lineNo;
    if (result.refusal != PickupRefusal::None || line.empty()) return;
    if (!IsPickupPath(line)) {
      result.refusal = PickupRefusal::NotAPath;
      result.line = lineNo;
      return;
    }
    paths.emplace_back(line);
  });
  if (!result.ok()) paths.clear();
  return result;
}

PickupReadResult LoadPickupFile(const std::string& path, std::vector<std::string>& paths) {
  paths.clear();
  std::string text;
  PickupReadResult result;
  switch (ReadDataFile(path, kPickupFileLimit, text)) {
    case FileCheck::Ok:
      return ParsePickupText(text, paths);
    case FileCheck::Missing:
      return result;
    case FileCheck::NotRegularFile:
      result.refusal = PickupRefusal::NotRegularFile;
      break;
    case FileCheck::TooLarge:
      result.refusal = PickupRefusal::TooLarge;
      break;
    case FileCheck::Unreadable:
      result.refusal = PickupRefusal::Unreadable;
      break;
  }
  result.exists = true;
  return result;
}

std::string PickupText(const std::vector<std::string>& paths) {
  std::string text;
  size_t bytes = 0;
  for (const auto& p : paths) bytes += p.size() + 2;
  text.reserve(bytes);
  for (const auto& p : paths) {
    text += p;
    text += "\r\n";
  }
  return text;
}

bool SavePickupFile(const std::string& path, const std::vector<std::string>& paths) {
  return ReplaceFileAtomically(path, PickupText(paths));
}

size_t FindPickupPath(const std::vector<std::string>& paths, std::string_view path) {
  const std::string wanted = Lowered(path);
  for (size_t i = 0; i < paths.size(); ++i) {
    if (paths[i].size() == wanted.size() && Lowered(paths[i]) == wanted) return i;
  }
  return std::string::npos;
}

bool AddPickupPath(std::vector<std::string>& paths, std::string_view path) {
  if (!IsPickupPath(path) || FindPickupPath(paths, path) != std::string::npos) return false;
  paths.emplace_back(path);
  return true;
}

bool RemovePickupPath(std::vector<std::string>& paths, std::string_view path) {
  const size_t i = FindPickupPath(paths, path);
  if (i == std::string::npos) return false;
  paths.erase(paths.begin() + static_cast<std::ptrdiff_t>(i));
  return true;
}

std::string PickupRemovalQuestion(size_t selectedCount, std::string_view firstCaption) {
  std::string q;
  if (selectedCount > 1)
    q = "これらの " + std::to_string(selectedCount) + " 個のファイル";
  else
    q = std::string(firstCaption) + " ";
  return q + "を" + "ピックアップリストから" + "削除します。よろしいですか？";
}

std::string PickupRemovalTitle() {
  return std::string("ピックアップリストから") + "の削除確認";
}

}  // namespace filvex
