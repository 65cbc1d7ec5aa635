#include "companions/binder_files.h"

#include "companions/companion_message.h"
#include "searchlist/mbcs.h"

namespace filvex {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

// The section name of a header line "[name]", or nothing for other lines.
bool SectionOfLine(std::string_view line, std::string_view& name) {
  line = Trimmed(line);
  if (line.empty() || line.front() != '[') return false;
  // The first "]" of its own ends the name; 0x5D is also a trail byte.
  for (size_t close = line.find(']'); close != std::string_view::npos;
       close = line.find(']', close + 1)) {
    if (ByteKindAt(line, close) != ByteKind::Trail) {
      name = Trimmed(line.substr(1, close - 1));
      return true;
    }
  }
  return false;
}

// The key of a line of a section; false for blank lines and comments.
bool KeyOfLine(std::string_view line, std::string_view& key) {
  line = Trimmed(line);
  if (line.empty() || line.front() == ';') return false;
  key = Trimmed(line.substr(0, line.find('=')));
  return true;
}

// Profile names compare without regard to case (double-byte safe fold).
bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Lowered(a) == Lowered(b);
}

// Control characters, and lead bytes without a proper trail byte: the
// profile reader would take such a trail (a tab, say) for a character of
// its own.
bool HasBadCharacter(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsLeadByte(c)) {
      if (i + 1 == s.size() || !IsTrailByte(static_cast<unsigned char>(s[i + 1]))) return true;
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      return true;
    }
  }
  return false;
}

bool HasBlankEnds(std::string_view s) {
  return kBlanks.find(s.front()) != std::string_view::npos ||
         kBlanks.find(s.back()) != std::string_view::npos;
}

// True when `pos` is a character of its own (not a trail byte).
bool IsOwnByte(std::string_view s, size_t pos) {
  return ByteKindAt(s, pos) != ByteKind::Trail;
}

// "X:" or "X:\": the root of a drive.
bool IsDriveRoot(std::string_view path) {
  return (path.size() == 2 || (path.size() == 3 && path[2] == '\\')) && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// The path a folder is registered under: a drive root always as "X:\",
// other folders without a trailing "\".
std::string FolderKey(std::string_view path) {
  if (IsDriveRoot(path)) return std::string(path.substr(0, 2)) + "\\";
  while (path.size() > 1 && EndsWithSeparator(path)) path.remove_suffix(1);
  return std::string(path);
}

}  // namespace

IniText::IniText(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines_.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n') {
      ++start;
    }
  }
}

std::string IniText::Text() const {
  std::string s;
  for (const std::string& line : lines_) {
    s += line;
    s += "\r\n";
  }
  return s;
}

size_t IniText::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionOfLine(lines_[i], name) && SameName(name, section)) return i;
  }
  return std::string::npos;
}

size_t IniText::SectionEnd(size_t header) const {
  size_t i = header + 1;
  std::string_view name;
  while (i < lines_.size() && !SectionOfLine(lines_[i], name)) ++i;
  return i;
}

bool IniText::HasSection(std::string_view section) const {
  return FindSection(section) != std::string::npos;
}

std::vector<std::string> IniText::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const size_t header = FindSection(section);
  if (header == std::string::npos) return keys;
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    std::string_view key;
    if (KeyOfLine(lines_[i], key)) keys.emplace_back(key);
  }
  return keys;
}

bool IniText::HasKey(std::string_view section, std::string_view key) const {
  for (const std::string& k : Keys(section)) {
    if (SameName(k, key)) return true;
  }
  return false;
}

bool IniText::AddKey(std::string_view section, std::string_view key, std::string_view value) {
  if (HasKey(section, key)) return false;
  std::string line(key);
  line += '=';
  line += value;
  const size_t header = FindSection(section);
  if (header == std::string::npos) {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(line));
    return true;
  }
  size_t at = SectionEnd(header);
  while (at > header + 1 && Trimmed(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  return true;
}

bool IsIniKey(std::string_view text) {
  if (text.empty() || HasBlankEnds(text) || HasBadCharacter(text)) return false;
  if (text.front() == ';' || text.front() == '[') return false;
  // "=" never occurs as a trail byte (0x3D is below 0x40), so a plain search
  // finds only real ones.
  return text.find('=') == std::string_view::npos;
}

bool IsIniSection(std::string_view text) {
  if (text.empty() || HasBlankEnds(text) || HasBadCharacter(text)) return false;
  for (size_t i = text.find(']'); i != std::string_view::npos; i = text.find(']', i + 1)) {
    if (IsOwnByte(text, i)) return false;
  }
  return true;
}

bool TitleListHas(std::string_view titleText, std::string_view name) {
  for (const std::string& line : TitleChoices(titleText)) {
    if (line == name || BinderChoiceName(line) == name) return true;
  }
  return false;
}

std::vector<std::string> TitleChoices(std::string_view titleText) {
  std::vector<std::string> choices;
  size_t start = 0;
  while (start < titleText.size()) {
    size_t end = titleText.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = titleText.size();
    if (end > start) choices.emplace_back(titleText.substr(start, end - start));
    start = end + 1;
  }
  return choices;
}

std::string BinderFolderName(std::string_view folderPath) {
  const std::string key = FolderKey(folderPath);
  if (IsDriveRoot(key)) return key;
  return std::string(LastComponent(key));
}

BinderChanges AddToBinder(std::string_view name, const std::vector<BinderItem>& items,
                          std::string& titleText, IniText& folders, IniText& selections) {
  BinderChanges changes;
  if (!TitleListHas(titleText, name)) {
    if (!titleText.empty() && titleText.back() != '\n' && titleText.back() != '\r') {
      titleText += "\r\n";
    }
    titleText.append(name);
    titleText += "\r\n";
    changes.titles = true;
  }
  for (const BinderItem& item : items) {
    std::string folder;
    if (item.isFile) {
      folder = FolderKey(ContainingFolder(item.path));
      const std::string section = std::string(name) + "-" + BinderFolderName(folder);
      const std::string_view file = LastComponent(item.path);
      if (folder.empty() || !IsIniKey(file) || !IsIniSection(section) || !IsIniKey(folder)) {
        changes.refused.push_back(item.path);
        continue;
      }
      changes.selections |= selections.AddKey(section, file, "");
    } else {
      folder = FolderKey(item.path);
      if (!IsIniKey(folder)) {
        changes.refused.push_back(item.path);
        continue;
      }
    }
    changes.folders |= folders.AddKey(name, folder, "0");
  }
  return changes;
}

}  // namespace filvex
