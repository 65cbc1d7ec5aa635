#include "shellops/link_names.h"

#include "searchlist/mbcs.h"

namespace filvex {

void MogChange(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  const ByteKind fromKind = ByteKindAt(from, 0);
  size_t start = 0;
  while (start <= text.size()) {
    size_t pos = text.find(from, start);
    if (pos == std::string::npos) return;
    if (ByteKindAt(text, pos) != fromKind) {
      // Inside a double-byte character: not the character asked for.
      start = pos + 1;
      continue;
    }
    text.replace(pos, from.size(), to);
    start = pos + to.size();
  }
}

std::string FileMogChk(std::string_view name) {
  // Each character a file name may not hold, and its full-width twin.
  static const struct {
    const char* from;
    const char* to;
  } kTwins[] = {
      {"/", "\x81\x5E"}, {"\"", "\x81\x68"}, {":", "\x81\x46"},
      {"*", "\x81\x96"}, {"<", "\x81\x83"},  {">", "\x81\x84"},
      {"?", "\x81\x48"}, {"\\", "\x81\x8F"}, {"|", "\x81\x62"},
  };
  std::string out(name);
  for (const auto& t : kTwins) MogChange(out, t.from, t.to);
  return out;
}

std::string PathToSetKugiriMog(std::string_view folder, bool namesFile) {
  std::string out(folder);
  if (namesFile) return out;
  if (!EndsWithSeparator(out)) out += '\\';
  return out;
}

namespace {

// Everything before the last "." (the whole text when it has none). A "."
// byte is never part of a double-byte character.
std::string_view WithoutExtension(std::string_view name) {
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

}  // namespace

std::string ShortcutBaseName(std::string_view wantedName, std::string_view targetPath,
                             bool targetIsFolder) {
  std::string name = FileMogChk(wantedName);
  if (name.empty()) name = WithoutExtension(LastComponent(targetPath));
  if (!targetIsFolder) name = WithoutExtension(name);
  return name;
}

ShortcutPlace ShortcutPlaceFor(std::string_view folder, std::string_view baseName, bool overwrite,
                               bool checkOnly,
                               const std::function<bool(const std::string&)>& exists) {
  const std::string stem = std::string(folder) + std::string(baseName);
  ShortcutPlace place{stem + ".lnk", false};
  if (overwrite && !checkOnly) return place;
  for (unsigned n = 1; exists(place.path); ++n) {
    place.path = stem + "(" + std::to_string(n) + ").lnk";
    place.renamed = true;
  }
  return place;
}

}  // namespace filvex
