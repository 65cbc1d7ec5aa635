#pragma once
// The files in which the binder Brontal (and the copy tool Pexwick) keep
// their binders, written directly when the companion is not running. They
// lie in the folder "data" beside the companion's executable; all are text
// in the ANSI code page.
//
// titlelist.txt: the binder names, one per line. A line may carry more after
//   a "=": its name is the part before it (see BinderChoiceName). A new name
//   is appended as one line ended by CR LF; the other lines stay as they are.
// folderlist.ini: one section per binder name; each key is the full path of
//   a folder of the binder, with the value "0":
//     [Work]
//     C:\Data=0
// selectlist.ini: one section per binder name + "-" + folder name (the last
//   part of the folder's path; for a drive root the root itself, C:\); each
//   key is the name of a chosen file of that folder, with an empty value:
//     [Work-Data]
//     a.txt=
//
// Both INI files follow the rules of the system's profile functions, which
// the companions read them with: section names and keys compare without
// regard to case, blanks around them do not count, lines starting with ";"
// are comments, the first of two equal sections is the one read. Adding a
// key keeps every other line of the file byte for byte, and the file is
// rewritten with CR LF line ends.
//
// The files belong to another program and may be damaged or hostile: one
// that is no small regular text file is refused whole, with the reason, and
// then nothing is written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace filvex {

struct BinderFileNames {
  static constexpr const char* kTitles = "titlelist.txt";
  static constexpr const char* kFolders = "folderlist.ini";
  static constexpr const char* kSelections = "selectlist.ini";
};

// The binder files of a companion are small; 16 MB is some hundred thousand
// folders, far beyond what a user binds by hand.
inline constexpr uint64_t kBinderFileLimit = uint64_t{16} << 20;

// The lines of a profile file, kept as they are.
class IniText {
 public:
  IniText() = default;
  // Splits text into lines (CR LF, CR or LF ends a line).
  explicit IniText(std::string_view text);

  // Every line followed by CR LF.
  std::string Text() const;
  bool HasSection(std::string_view section) const;
  bool HasKey(std::string_view section, std::string_view key) const;
  // The keys of the first section of that name, in file order.
  std::vector<std::string> Keys(std::string_view section) const;
  // Adds "key=value" after the last line of the section that is not blank,
  // creating the section at the end of the file when there is none; false
  // (and nothing changed) when the key is there already.
  bool AddKey(std::string_view section, std::string_view key, std::string_view value);

 private:
  // Index of the header line of the first section of that name, or npos.
  size_t FindSection(std::string_view section) const;
  // One past the last line of the section whose header is at `header`.
  size_t SectionEnd(size_t header) const;

  std::vector<std::string> lines_;
};

// True when text can be a key of a profile file and reads back as itself:
// no "=", no control character or broken double-byte character, no blank
// at either end, not starting with ";" or "[", and not empty.
bool IsIniKey(std::string_view text);
// True when text can be a section name: no "]" of its own, no control or
// broken double-byte character, no blank at either end, not empty.
bool IsIniSection(std::string_view text);

// Whether titlelist.txt lists the name (a line equal to it, or a line whose
// name part is).
bool TitleListHas(std::string_view titleText, std::string_view name);
// The choices of titlelist.txt: its lines that are not blank.
std::vector<std::string> TitleChoices(std::string_view titleText);

// The folder name of a binder's folder: the last part of its path, or the
// whole path for a drive root (C:\). Trail bytes are never taken for "\".
std::string BinderFolderName(std::string_view folderPath);

// One chosen row: its full path and whether it is a file.
struct BinderItem {
  std::string path;
  bool isFile = false;
};

// What registering chose rows changed.
struct BinderChanges {
  bool titles = false;
  bool folders = false;
  bool selections = false;
  // Paths that the files cannot hold (a name with "=", say): left out.
  std::vector<std::string> refused;
};

// Registers the items in the binder `name` (which IsUsableBinderName
// accepts): the name is appended to the title list when it is not listed; a
// file adds its name to the section name-folder of selections and then its
// folder; a folder adds itself; each folder becomes the key path=0 of the
// section name of folders. Keys that are there already are left alone.
BinderChanges AddToBinder(std::string_view name, const std::vector<BinderItem>& items,
                          std::string& titleText, IniText& folders, IniText& selections);

}  // namespace filvex
