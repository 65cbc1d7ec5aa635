#include "shellops/path_list.h"

namespace filvex {

std::string ListText(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& p : paths) {
    text += p;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> ListLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) lines.emplace_back(text.substr(start, end - start));
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::string DoubleNulList(std::string_view listText) {
  std::string bytes;
  bytes.reserve(listText.size() + 2);
  for (size_t i = 0; i < listText.size(); ++i) {
    if (listText[i] == '\r' && i + 1 < listText.size() && listText[i + 1] == '\n') {
      bytes += '\0';
      ++i;
    } else {
      bytes += listText[i];
    }
  }
  bytes.append(2, '\0');
  return bytes;
}

}  // namespace filvex
