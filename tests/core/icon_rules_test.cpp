// Icon, type-name and overlay rules of result rows, against a stand-in shell.
#include "results/icon_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace filvex {
namespace {

// A shell that knows a few paths. Every call is counted; unknown paths do
// not exist (their look-ups fail, as the shell's do for deleted files).
class StandInShell : public IconShell {
 public:
  struct Item {
    int icon;
    uint32_t attributes;
    std::string typeName;
  };
  std::map<std::string, Item> items;
  std::set<std::string> directories;
  bool offersIconOf = true;  // false: like Wine, no per-item icons
  bool offersTypeColumn = true;
  int folderLookups = 0, fileInfoCalls = 0, genericCalls = 0;
  std::vector<std::string> genericPatterns;

  FolderItem LookupInFolder(const std::string& folder, const std::string& name) override {
    ++folderLookups;
    FolderItem r;
    std::string path = folder;
    if (path.back() != '\\') path += '\\';
    path += name;
    auto it = items.find(path);
    if (it == items.end()) return r;
    r.attributesRead = true;
    r.attributes = it->second.attributes;
    r.hasTypeColumn = offersTypeColumn;
    r.typeName = it->second.typeName;
    r.hasIconOf = offersIconOf;
    r.iconIndex = offersIconOf ? it->second.icon : -1;
    return r;
  }
  FileInfo FileInformation(const std::string& path) override {
    ++fileInfoCalls;
    FileInfo r;
    auto it = items.find(path);
    if (it == items.end()) return r;
    r.iconIndex = it->second.icon;
    r.attributes = it->second.attributes;
    r.typeName = it->second.typeName;
    r.displayName = "x";
    return r;
  }
  int GenericIcon(const std::string& pattern, bool folder) override {
    ++genericCalls;
    genericPatterns.push_back(pattern);
    return folder ? 3 : 900;
  }
  bool IsDirectory(const std::string& path) override { return directories.count(path) != 0; }

  int lookups() const { return folderLookups + fileInfoCalls; }
};

struct Fixture {
  StandInShell shell;
  std::vector<std::string> typeCache;
  std::string lastTypeName = "stale";
  int lastOverlay = 7;
  IconRules rules;
  explicit Fixture(int systemKind = 2)
      : rules(shell, systemKind, kSpecialIconExtensions, typeCache, lastTypeName, lastOverlay) {
    shell.items["C:\\a.txt"] = {152, 0, "Text Document"};
    shell.items["C:\\b.txt"] = {153, 0, "Text Document"};
    shell.items["C:\\B.TXT"] = {154, 0, "Text Document"};
    shell.items["C:\\one.exe"] = {40, 0, "Application"};
    shell.items["C:\\two.EXE"] = {41, 0, "Application"};
    shell.items["C:\\i.ico"] = {42, 0, "Icon"};
    shell.items["C:\\s.scr"] = {43, 0, "Screen saver"};
    shell.items["C:\\p.pif"] = {44, kShellLink, "Shortcut to MS-DOS Program"};
    shell.items["C:\\go.lnk"] = {45, kShellLink, "Shortcut"};
    shell.items["C:\\readme"] = {60, 0, "File"};
    shell.items["C:\\license"] = {61, 0, "File"};
    shell.items["C:\\Share"] = {70, kShellFolder | kShellShare, "File folder"};
    shell.items["C:\\Plain"] = {71, kShellFolder, "File folder"};
    shell.items["C:\\dir.d\\makefile"] = {62, 0, "File"};
    shell.items["C:\\表\\x.dat"] = {63, 0, "DAT File"};
    shell.directories = {"C:\\Share", "C:\\Plain", "C:\\dir.d", "C:\\表"};
  }
};

TEST(IconRules, ExtensionsOfPaths) {
  const std::map<std::string, std::string> cases = {
      {"C:\\a.TXT", ".txt"}, {"C:\\dir.d\\makefile", ""}, {"C:\\a.b.c", ".c"}, {"C:\\a.", "."},
      {"readme", ""},        {"C:\\表\\x", ""},           {"C:x.Lnk", ".lnk"}, {"C:\\", ""},
  };
  for (const auto& [path, ext] : cases) EXPECT_EQ(IconExtension(path), ext) << path;
}

TEST(IconRules, OneShellLookupPerCachedExtension) {
  Fixture f;
  const int first = f.rules.LookupIcon("C:\\a.txt", true);
  EXPECT_EQ(first, 152);
  EXPECT_EQ(f.shell.lookups(), 1);
  ASSERT_EQ(f.typeCache.size(), 1u);
  EXPECT_EQ(f.typeCache[0], ".txt=000152Text Document");

  // b.txt and B.TXT share the entry: no shell look-up, same icon and type.
  for (const char* path : {"C:\\b.txt", "C:\\B.TXT", "C:\\gone.txt"}) {
    f.lastTypeName = "stale";
    f.lastOverlay = 7;
    EXPECT_EQ(f.rules.LookupIcon(path, true), 152) << path;
    EXPECT_EQ(f.lastTypeName, "Text Document");
    EXPECT_EQ(f.lastOverlay, kNoOverlay);
  }
  EXPECT_EQ(f.shell.lookups(), 1);
  EXPECT_EQ(f.typeCache.size(), 1u);
}

TEST(IconRules, FilesWithIconsOfTheirOwnAreLookedUpEachTime) {
  struct Case {
    const char* path;
    int icon;
    int overlay;
  };
  const Case cases[] = {
      {"C:\\one.exe", 40, kNoOverlay},         {"C:\\two.EXE", 41, kNoOverlay},
      {"C:\\i.ico", 42, kNoOverlay},           {"C:\\s.scr", 43, kNoOverlay},
      {"C:\\p.pif", 44, kLinkOverlay},         {"C:\\go.lnk", 45, kLinkOverlay},
      {"C:\\readme", 60, kNoOverlay},          {"C:\\license", 61, kNoOverlay},
      {"C:\\dir.d\\makefile", 62, kNoOverlay},
  };
  Fixture f;
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.path);
      const int before = f.shell.lookups();
      EXPECT_EQ(f.rules.LookupIcon(c.path, true), c.icon);
      EXPECT_EQ(f.lastOverlay, c.overlay);
      EXPECT_GT(f.shell.lookups(), before);
    }
  }
  EXPECT_TRUE(f.typeCache.empty());
}

TEST(IconRules, FoldersAreNeverCached) {
  Fixture f;
  EXPECT_EQ(f.rules.LookupIcon("C:\\Share", false), 70);
  EXPECT_EQ(f.lastOverlay, kSharedOverlay);
  EXPECT_EQ(f.rules.LookupIcon("C:\\Plain", false), 71);
  EXPECT_EQ(f.lastOverlay, kNoOverlay);
  EXPECT_EQ(f.rules.LookupIcon("C:\\Plain", false), 71);
  EXPECT_EQ(f.shell.folderLookups, 3);
  EXPECT_TRUE(f.typeCache.empty());
}

TEST(IconRules, OverlaysAndTypeNamesByEachRoute) {
  struct Case {
    const char* path;
    int icon;
    int overlay;
    const char* typeName;
  };
  const Case cases[] = {
      {"C:\\go.lnk", 45, kLinkOverlay, "Shortcut"},
      {"C:\\Share", 70, kSharedOverlay, "File folder"},
      {"C:\\Plain", 71, kNoOverlay, "File folder"},
      {"C:\\a.txt", 152, kNoOverlay, "Text Document"},
      {"C:\\表\\x.dat", 63, kNoOverlay, "DAT File"},
      // Deleted: the generic icon of the extension (or of a folder) and no type.
      {"C:\\gone.txt", 900, kNoOverlay, ""},
      {"C:\\gone", 900, kNoOverlay, ""},
  };
  struct Route {
    const char* what;
    int systemKind;
    bool iconOf;
    bool typeColumn;
  };
  const Route routes[] = {
      {"shell folders with per-item icons", 2, true, true},
      {"shell folders without per-item icons (Wine)", 2, false, true},
      {"file information only", 0, true, true},
  };
  for (const Route& route : routes) {
    SCOPED_TRACE(route.what);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.path);
      Fixture f(route.systemKind);
      f.shell.offersIconOf = route.iconOf;
      f.shell.offersTypeColumn = route.typeColumn;
      EXPECT_EQ(f.rules.ShellIconOf(c.path), c.icon);
      EXPECT_EQ(f.lastOverlay, c.overlay);
      EXPECT_EQ(f.lastTypeName, c.typeName);
      if (route.systemKind == 0) {
        EXPECT_EQ(f.shell.folderLookups, 0);
      }
    }
  }
}

TEST(IconRules, GenericIconsOfVanishedPaths) {
  Fixture f(0);
  f.shell.directories.insert("C:\\empty");  // exists, but the shell says nothing
  EXPECT_EQ(f.rules.FileInfoIcon("C:\\gone.Doc"), 900);
  EXPECT_EQ(f.rules.FileInfoIcon("C:\\noext"), 900);
  EXPECT_EQ(f.rules.FileInfoIcon("C:\\empty"), 3);
  EXPECT_EQ(f.shell.genericPatterns, (std::vector<std::string>{"*.doc", "*", "C:\\empty"}));
}

TEST(IconRules, CacheKeepsOnlyIndexesItCanReadBack) {
  Fixture f;
  f.shell.items["C:\\big.bin"] = {1234567, 0, "Binary"};
  f.shell.items["C:\\neg.neg"] = {-1, 0, "Nothing"};
  f.shell.offersIconOf = true;
  EXPECT_EQ(f.rules.LookupIcon("C:\\big.bin", true), 1234567);
  EXPECT_TRUE(f.typeCache.empty());

  // An entry whose digits are not a number gives -1 and the rest as type.
  f.typeCache.push_back(".zz=00x001Odd");
  f.typeCache.push_back(".Up=000005Upper");
  EXPECT_EQ(f.rules.LookupIcon("C:\\a.zz", true), -1);
  EXPECT_EQ(f.lastTypeName, "Odd");
  EXPECT_EQ(f.rules.LookupIcon("C:\\a.UP", true), 5);
  EXPECT_EQ(f.lastTypeName, "Upper");
  EXPECT_EQ(IconRules::CacheEntry(".txt", 7, "T"), ".txt=000007T");
}

TEST(IconRules, FetchesStoreWhatTheirRouteSays) {
  Fixture f;
  f.shell.offersIconOf = true;
  auto row = [](const char* path, int kind) {
    HitRecord r;
    r.Path = path;
    r.Kind = kind;
    r.ImageIndex = 1;
    return r;
  };
  HitList hits = {row("C:\\a.txt", kKindFile), row("C:\\go.lnk", kKindFile),
                  row("C:\\gone.txt", kKindFile), row("C:\\Share", kKindFolder)};
  hits[2].IconSet = true;  // already fetched: left alone

  FetchPaintedIcons(hits, -3, 99, f.rules);
  EXPECT_EQ(hits[0].ImageIndex, 152);
  EXPECT_EQ(hits[0].TypeName, "Text Document");
  EXPECT_EQ(hits[1].ImageIndex, 45);
  EXPECT_EQ(hits[1].OverlayIndex, kLinkOverlay);
  EXPECT_EQ(hits[2].ImageIndex, 1);
  EXPECT_EQ(hits[3].OverlayIndex, kSharedOverlay);
  for (const HitRecord& r : hits) EXPECT_TRUE(r.IconSet);

  // A failed look-up keeps the default icon and type but counts as attempted.
  f.shell.items["C:\\x.lnk"] = {-1, kShellLink, "Shortcut"};
  HitList shown = {row("C:\\x.lnk", kKindFile), row("C:\\Plain", kKindFolder)};
  FetchShownIcons(shown, 0, 5, f.rules);
  EXPECT_EQ(shown[0].ImageIndex, 1);
  EXPECT_EQ(shown[0].OverlayIndex, -1);
  EXPECT_TRUE(shown[0].TypeName.empty());
  EXPECT_TRUE(shown[0].IconSet);
  EXPECT_EQ(shown[1].ImageIndex, 71);
  EXPECT_EQ(shown[1].TypeName, "File folder");

  // The background step stores -1 too, and never the type name.
  struct Step {
    const char* path;
    int icon;
    int overlay;
  };
  for (const Step& s :
       {Step{"C:\\go.lnk", 45, kLinkOverlay}, Step{"C:\\x.lnk", -1, kLinkOverlay}}) {
    HitRecord one = row(s.path, kKindFile);
    FetchOneIcon(one, f.rules);
    EXPECT_EQ(one.ImageIndex, s.icon);
    EXPECT_EQ(one.OverlayIndex, s.overlay);
    EXPECT_TRUE(one.TypeName.empty());
    EXPECT_TRUE(one.IconSet);
  }
}

TEST(IconRules, RowsOnScreen) {
  struct Case {
    bool report;
    int top, perPage, visFirst, visLast, rows;
    bool any;
    int first, last;
  };
  const Case cases[] = {
      {true, 10, 20, 0, 0, 100, true, 10, 30}, {true, 90, 20, 0, 0, 100, true, 90, 99},
      {true, -1, 20, 0, 0, 100, false, 0, 0},  {true, 0, 20, 0, 0, 0, false, 0, 0},
      {false, 0, 0, 5, 40, 30, true, 5, 29},
  };
  for (const Case& c : cases) {
    int first = 0, last = 0;
    ASSERT_EQ(ShownRows(c.report, c.top, c.perPage, c.visFirst, c.visLast, c.rows, &first, &last),
              c.any);
    if (c.any) {
      EXPECT_EQ(first, c.first);
      EXPECT_EQ(last, c.last);
    }
  }
}

}  // namespace
}  // namespace filvex
