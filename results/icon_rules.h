#pragma once
// Which shell look-ups give a result row its icon, type name and overlay.
//
// A shell look-up costs a file-system access, so files of most types share
// one look-up per extension through TypeCache; files whose icon is their own
// (.ico .exe .lnk .scr .pif), files without extension and folders are looked
// up one by one. The shell itself is behind IconShell, so these rules run with
// the Windows shell in the program and with a stand-in in the tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "results/hit_record.h"

namespace filvex {

// Item attribute bits of the shell that the rules read (the values of the
// shell's SFGAO_ flags).
constexpr uint32_t kShellLink = 0x00010000;
constexpr uint32_t kShellShare = 0x00020000;
constexpr uint32_t kShellFolder = 0x20000000;

constexpr int kNoOverlay = -1;
constexpr int kSharedOverlay = 0;
constexpr int kLinkOverlay = 1;

// The extensions whose files each carry an icon of their own.
inline const std::vector<std::string> kSpecialIconExtensions = {".ico", ".exe", ".lnk", ".scr",
                                                                ".pif"};

class IconShell {
 public:
  // One item looked up through its parent shell folder.
  struct FolderItem {
    bool attributesRead = false;  // parse, bind, child parse and attributes all worked
    uint32_t attributes = 0;
    bool hasTypeColumn = false;  // the folder offers the type column (IShellFolder2)
    std::string typeName;
    bool hasIconOf = false;  // the folder offers per-item icons (IShellIcon)
    int iconIndex = -1;
  };
  // One answer of the shell's file-information call.
  struct FileInfo {
    int iconIndex = 0;
    uint32_t attributes = 0;
    std::string typeName;
    std::string displayName;
  };

  virtual ~IconShell() = default;
  // Looks up item `name` in the shell folder `folder`.
  virtual FolderItem LookupInFolder(const std::string& folder, const std::string& name) = 0;
  // File information of an existing path: icon, attributes, type and display
  // name.
  virtual FileInfo FileInformation(const std::string& path) = 0;
  // The generic icon of a folder (folder true) or of a file name pattern such
  // as "*.txt", without touching the disk.
  virtual int GenericIcon(const std::string& pattern, bool folder) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
};

// Extension of a path (from the last "." after the last separator, dot
// included), lower-cased; empty when the name has none.
std::string IconExtension(std::string_view path);

// The look-ups, bound to the window's cache and hand-back values. Every
// look-up sets LastTypeName and LastOverlay for the file it looked up.
class IconRules {
 public:
  // systemKind 0 uses the file-information call only; 1 and 2 try the shell
  // folders first.
  IconRules(IconShell& shell, int systemKind, const std::vector<std::string>& specialExtensions,
            std::vector<std::string>& typeCache, std::string& lastTypeName, int& lastOverlay)
      : shell_(shell),
        systemKind_(systemKind),
        special_(specialExtensions),
        typeCache_(typeCache),
        lastTypeName_(lastTypeName),
        lastOverlay_(lastOverlay) {}

  // Icon of a row: through TypeCache when useCache (files) and the extension
  // is neither empty nor special; -1 when the shell gave none.
  int LookupIcon(const std::string& path, bool useCache);
  // Icon of one file or folder through its shell folder, falling back to
  // FileInfoIcon.
  int ShellIconOf(const std::string& path);
  // Icon through the file-information call; the generic icon of a folder or
  // of the extension when the path does not exist (type name then empty).
  int FileInfoIcon(const std::string& path);

  const std::string& LastTypeName() const { return lastTypeName_; }
  int LastOverlay() const { return lastOverlay_; }

  // TypeCache entry ".txt=000152Text Document": extension, "=", the icon in
  // six digits, the type name. Exposed for the tests.
  static std::string CacheEntry(std::string_view ext, int index, std::string_view typeName);

 private:
  bool IsSpecial(std::string_view ext) const;
  const std::string* FindCached(std::string_view ext) const;

  IconShell& shell_;
  int systemKind_;
  const std::vector<std::string>& special_;
  std::vector<std::string>& typeCache_;
  std::string& lastTypeName_;
  int& lastOverlay_;
};

// Rows about to be painted: each row of first..last without an icon gets
// LookupIcon (cached for files), its type name and overlay; IconSet is set
// after the attempt either way.
void FetchPaintedIcons(HitList& hits, int first, int last, IconRules& rules);
// Rows on screen when a row is selected: the same with ShellIconOf for every
// row.
void FetchShownIcons(HitList& hits, int first, int last, IconRules& rules);
// One step of the folder view's background fetch: the row's icon through
// ShellIconOf, stored even when -1; the type name is left alone.
void FetchOneIcon(HitRecord& record, IconRules& rules);

// Rows on screen: in the report view from the top row for one page, in the
// icon view the last painted range; clamped to the rows that exist. False
// when there is nothing to fetch.
bool ShownRows(bool reportView, int topIndex, int perPage, int visibleFirst, int visibleLast,
               int rowCount, int* first, int* last);

}  // namespace filvex
