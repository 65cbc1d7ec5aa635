#include "tools/filvex-find/run_find.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "app/settings.h"
#include "results/row_text.h"
#include "results/sort.h"
#include "search/match.h"
#include "search/scan.h"
#include "searchlist/list_files.h"
#include "searchlist/list_store.h"

namespace filvex {

namespace {

constexpr const char* kUsage =
    "usage: filvex-find [options] QUERY\n"
    "Finds files (and folders) by name in a Filvex search list, as the search\n"
    "window does, and prints their full paths sorted folders first by name.\n"
    "QUERY: name fragments separated by '/', matched without regard to case.\n"
    "\n"
    "  --data DIR          data folder (default: the data folder beside the program)\n"
    "  --folders           search folders too\n"
    "  --no-files          do not search files (needs --folders)\n"
    "  --and               every fragment must match (default: any)\n"
    "  --head              fragments must match at the start of the name\n"
    "  --drives LETTERS    only these drives, ASCII letters, e.g. CD\n"
    "  --attr LIST         attribute boxes: S,H,SH,R or none (default R)\n"
    "  --mode M            name (default), attr, date or size\n"
    "  --date KIND         filter by created or modified date (default modified)\n"
    "  --from DATE         earliest date, \"yyyy/mm/dd hh:nn\" or \"yyyy/mm/dd\"\n"
    "  --to DATE           latest date, same forms (a day alone ends at 23:59:59)\n"
    "  --size REL          size filter: smaller, larger or range\n"
    "  --low N, --high N   size bounds, N with KB or MB (e.g. 16KB, 2MB)\n"
    "  --max N             hit limit, 100 to 100000 (default: setting max)\n"
    "  --no-maxstop        count every match beyond the hit limit\n"
    "  --recy              search recycle folders too\n"
    "  --sort COL          name, size, date, attr, type or path; --desc reverses\n"
    "  --columns           print the six columns of the result list, tab-separated\n"
    "  --count             print the name column's caption (the hit count) last\n"
    "  --raw               print the list's own bytes (CP932), not the terminal's text\n"
    "  --help              this text\n"
    "Settings not given here come from searchdata.ini in the data folder.\n"
    "The query is taken in the locale's code set and the output shown in it\n"
    "(bytes the terminal cannot show read '?'); under LC_ALL=C both are the\n"
    "list's bytes, unchanged.\n"
    "Exit status: 0 hits found, 1 none, 2 usage error or unreadable search list.\n";

struct Options {
  SearchQuery query;
  std::string dataFolder;
  bool maxGiven = false, maxstopOff = false, recy = false;
  int max = 0;
  int sortColumn = kColumnName;
  bool descending = false;
  bool columns = false, count = false, help = false, raw = false;
  bool dateGiven = false, sizeGiven = false, lowGiven = false, highGiven = false;
};

bool ParseUnsigned(std::string_view s, uint64_t limit, uint64_t* out) {
  if (s.empty() || s.size() > 12) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > limit) return false;
  *out = v;
  return true;
}

// "16KB", "2MB" or a bare number of KB.
bool ParseSizeKB(std::string_view s, uint32_t* kb) {
  uint64_t unit = 1;
  auto endsWith = [&](std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    std::string_view tail = s.substr(s.size() - suffix.size());
    for (size_t k = 0; k < tail.size(); ++k) {
      char c = tail[k];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c != suffix[k]) return false;
    }
    return true;
  };
  if (endsWith("MB")) {
    unit = 1024;
    s.remove_suffix(2);
  } else if (endsWith("KB")) {
    s.remove_suffix(2);
  }
  uint64_t n;
  if (!ParseUnsigned(s, 0xFFFFFFFFull / unit, &n)) return false;
  *kb = static_cast<uint32_t>(n * unit);
  return true;
}

// "yyyy/mm/dd hh:nn", or "yyyy/mm/dd" meaning the day's start (from) or its
// last second (to).
bool ParseDate(std::string_view s, bool endOfDay, LocalDateTime* out) {
  std::string text(s);
  bool dayOnly = text.size() == 10;
  if (dayOnly) text += endOfDay ? " 23:59" : " 00:00";
  int64_t key;
  if (!ReadDateText(text, &key)) return false;
  out->year = std::stoi(text.substr(0, 4));
  out->month = std::stoi(text.substr(5, 2));
  out->day = std::stoi(text.substr(8, 2));
  out->hour = std::stoi(text.substr(11, 2));
  out->minute = std::stoi(text.substr(14, 2));
  out->second = dayOnly && endOfDay ? 59 : 0;
  return true;
}

bool ParseAttr(std::string_view list, SearchQuery& q, std::string& err) {
  q.attrS = q.attrH = q.attrSH = q.attrR = false;
  if (list == "none") return true;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    std::string_view item =
        list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    std::string up(item);
    for (char& c : up)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (up == "S") {
      q.attrS = true;
    } else if (up == "H") {
      q.attrH = true;
    } else if (up == "SH") {
      q.attrSH = true;
    } else if (up == "R") {
      q.attrR = true;
    } else {
      err = "--attr: unknown attribute box '" + std::string(item) + "' (S, H, SH, R or none)";
      return false;
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  // The panel turns S, H and R off when SH goes on, and SH off when any of
  // them goes on: the two never hold together.
  if (q.attrSH && (q.attrS || q.attrH || q.attrR)) {
    err = "--attr: SH cannot be combined with S, H or R";
    return false;
  }
  return true;
}

// Drive letters are ASCII: any other byte would be taken for a letter (the
// trail byte of a full-width "Ｃ" upper-cases to "B").
bool AreDriveLetters(std::string_view letters) {
  for (char c : letters)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  return true;
}

bool ParseArgs(const std::vector<std::string>& args, Options& o, std::string& err,
               TerminalText* terminal) {
  SearchQuery& q = o.query;
  q.folders = false;
  q.files = true;
  bool haveQuery = false, noFiles = false, folders = false, optionsEnd = false;
  for (size_t k = 0; k < args.size(); ++k) {
    const std::string& a = args[k];
    auto value = [&](std::string* v) {
      if (k + 1 >= args.size()) {
        err = a + " needs a value";
        return false;
      }
      *v = args[++k];
      return true;
    };
    std::string v;
    if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
      if (haveQuery) {
        err = "more than one query given: '" + a + "' (separate fragments with '/')";
        return false;
      }
      std::string listBytes = a;
      if (terminal && !terminal->ToList(a, listBytes)) {
        err = "the query '" + a + "' holds characters that the search list's CP932 lacks";
        return false;
      }
      SetQueryText(q, listBytes);
      haveQuery = true;
    } else if (a == "--") {
      optionsEnd = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
      return true;
    } else if (a == "--data") {
      if (!value(&o.dataFolder)) return false;
    } else if (a == "--folders") {
      folders = true;
    } else if (a == "--no-files") {
      noFiles = true;
    } else if (a == "--and") {
      q.andMode = true;
    } else if (a == "--head") {
      q.head = true;
    } else if (a == "--drives") {
      if (!value(&v)) return false;
      if (!AreDriveLetters(v)) {
        err = "--drives: '" + v + "' is not a list of drive letters A to Z";
        return false;
      }
      SetDriveLetters(q, v);
    } else if (a == "--attr") {
      if (!value(&v) || !ParseAttr(v, q, err)) return false;
    } else if (a == "--mode") {
      if (!value(&v)) return false;
      if (v == "name") {
        q.mode = SearchMode::NameSearch;
      } else if (v == "attr") {
        q.mode = SearchMode::AttributeSearch;
      } else if (v == "date") {
        q.mode = SearchMode::DateSearch;
      } else if (v == "size") {
        q.mode = SearchMode::SizeSearch;
      } else {
        err = "--mode: unknown mode '" + v + "' (name, attr, date or size)";
        return false;
      }
    } else if (a == "--date") {
      if (!value(&v)) return false;
      if (v == "created") {
        q.dateKind = DateKind::Created;
      } else if (v == "modified") {
        q.dateKind = DateKind::LastWrite;
      } else {
        err = "--date: unknown date '" + v + "' (created or modified)";
        return false;
      }
      o.dateGiven = true;
    } else if (a == "--from" || a == "--to") {
      if (!value(&v)) return false;
      bool to = a == "--to";
      if (!ParseDate(v, /*endOfDay=*/to, to ? &q.dateTo : &q.dateFrom)) {
        err = a + ": '" + v + "' is not a date of the form yyyy/mm/dd hh:nn";
        return false;
      }
      o.dateGiven = true;
    } else if (a == "--size") {
      if (!value(&v)) return false;
      if (v == "smaller") {
        q.sizeRelation = SizeRelation::Smaller;
      } else if (v == "larger") {
        q.sizeRelation = SizeRelation::Larger;
      } else if (v == "range") {
        q.sizeRelation = SizeRelation::Range;
      } else {
        err = "--size: unknown relation '" + v + "' (smaller, larger or range)";
        return false;
      }
      o.sizeGiven = true;
    } else if (a == "--low" || a == "--high") {
      if (!value(&v)) return false;
      bool high = a == "--high";
      if (!ParseSizeKB(v, high ? &q.sizeHighKB : &q.sizeLowKB)) {
        err = a + ": '" + v + "' is not a size such as 16KB or 2MB";
        return false;
      }
      (high ? o.highGiven : o.lowGiven) = true;
    } else if (a == "--max") {
      uint64_t n;
      if (!value(&v)) return false;
      if (!ParseUnsigned(v, UINT64_MAX / 10, &n)) {
        err = "--max: '" + v + "' is not a number";
        return false;
      }
      o.max = ClampHitLimit(static_cast<long long>(n));
      o.maxGiven = true;
    } else if (a == "--no-maxstop") {
      o.maxstopOff = true;
    } else if (a == "--recy") {
      o.recy = true;
    } else if (a == "--sort") {
      if (!value(&v)) return false;
      const char* names[] = {"name", "size", "date", "attr", "type", "path"};
      o.sortColumn = -1;
      for (int c = 0; c < kColumnCount; ++c)
        if (v == names[c]) o.sortColumn = c;
      if (o.sortColumn < 0) {
        err = "--sort: unknown column '" + v + "' (name, size, date, attr, type or path)";
        return false;
      }
    } else if (a == "--desc") {
      o.descending = true;
    } else if (a == "--columns") {
      o.columns = true;
    } else if (a == "--count") {
      o.count = true;
    } else if (a == "--raw") {
      o.raw = true;
    } else {
      err = "unknown option " + a;
      return false;
    }
  }
  if (!haveQuery) {
    err = "no query given";
    return false;
  }
  q.folders = folders;
  q.files = !noFiles;
  if (!q.folders && !q.files) {
    err = "--no-files leaves nothing to search without --folders";
    return false;
  }
  if (q.andMode && q.head) {
    err = "--and and --head cannot be combined";
    return false;
  }
  q.dateOn = o.dateGiven;  // a range whose ends are crossed finds nothing, as in the window
  if ((o.lowGiven || o.highGiven) && !o.sizeGiven) {
    err = "--low and --high need --size";
    return false;
  }
  if (o.sizeGiven && !o.lowGiven) {
    err = "--size needs --low";
    return false;
  }
  if (o.sizeGiven && q.sizeRelation == SizeRelation::Range && !o.highGiven) {
    err = "--size range needs --high";
    return false;
  }
  q.sizeOn = o.sizeGiven;
  // The window offers the date and size modes only while their filter is on.
  if (q.mode == SearchMode::DateSearch && !q.dateOn) {
    err = "--mode date needs --date, --from or --to";
    return false;
  }
  if (q.mode == SearchMode::SizeSearch && !q.sizeOn) {
    err = "--mode size needs --size";
    return false;
  }
  return true;
}

// Turns the output (the list's bytes) into the terminal's text, line by line,
// and counts on err the lines that hold a replaced sequence, so that a damaged
// name never passes for another one in silence.
void ShowInTerminal(TerminalText& terminal, std::string& out, std::string& err) {
  std::string shown, line;
  size_t marked = 0;
  for (size_t start = 0; start < out.size();) {
    size_t end = out.find('\n', start);
    end = end == std::string::npos ? out.size() : end + 1;
    if (terminal.FromList(std::string_view(out).substr(start, end - start), line) > 0) ++marked;
    shown += line;
    start = end;
  }
  out.swap(shown);
  if (marked > 0) {
    err += "filvex-find: " + std::to_string(marked) +
           " line(s) hold bytes that are not CP932 or that this terminal cannot show; they read '" +
           kReplacementChar + "' (--raw prints the list's own bytes)\n";
  }
}

}  // namespace

int RunFind(const std::vector<std::string>& args, const std::string& defaultDataFolder,
            std::string& out, std::string& err, TerminalText* terminal) {
  Options o;
  o.query.dateFrom = {1, 1, 1, 0, 0, 0};
  o.query.dateTo = {9999, 12, 31, 23, 59, 59};
  std::string message;
  if (!ParseArgs(args, o, message, terminal)) {
    err += "filvex-find: " + message + "\n(filvex-find --help shows the options)\n";
    return kFindUsageError;
  }
  if (o.help) {
    out += kUsage;
    return kFindHits;
  }
  const std::string folder = o.dataFolder.empty() ? defaultDataFolder : o.dataFolder;

  // A settings or count file that cannot be used (a folder, a pipe, a file
  // of implausible size) does not stop the search: the settings take their
  // defaults and the counts are computed from the list, each with a note.
  Settings settings;
  std::string ini;
  const std::string iniPath = DataFilePath(folder, kSettingsFileName);
  const FileCheck iniCheck = ReadDataFile(iniPath, kSmallFileLimit, ini);
  if (iniCheck == FileCheck::Ok) {
    settings = ParseSettingsText(ini);
  } else if (iniCheck != FileCheck::Missing) {
    err += "filvex-find: note: " + iniPath + ": " + FileCheckText(iniCheck) +
           "; default settings used\n";
  }
  SearchQuery& q = o.query;
  q.hitLimit = o.maxGiven ? o.max : settings.max;
  q.maxstop = settings.maxstop && !o.maxstopOff;
  q.recy = settings.recy || o.recy;

  // The six files are read as one set: never a mix of two saves, and an
  // interrupted save is completed or discarded first (and said so).
  SearchList list;
  DriveCounts folderCounts, fileCounts;
  const ListLoadResult loaded = LoadListStore(folder, list, folderCounts, fileCounts);
  if (loaded.recovery != ListRecovery::None) {
    err += "filvex-find: " + RecoveryNote(loaded.recovery) + "\n";
  }
  switch (loaded.outcome) {
    case ListLoadOutcome::Loaded:
      break;
    case ListLoadOutcome::Damaged:
      err += "filvex-find: " + loaded.reason + "\n(build a new list in Filvex)\n";
      return kFindUsageError;
    case ListLoadOutcome::NoList:
    case ListLoadOutcome::Busy:
      err += "filvex-find: " + loaded.reason + "\n";
      return kFindUsageError;
  }
  if (!loaded.countsUsable()) {
    // Counts that are missing or cannot be used would make a drive-restricted
    // search skip entries: they are computed from the list instead.
    const std::pair<const char*, FileCheck> checks[] = {
        {ListFileNames::kFolderCounts, loaded.folderCounts},
        {ListFileNames::kFileCounts, loaded.fileCounts}};
    for (const auto& [name, check] : checks) {
      if (check == FileCheck::Ok || check == FileCheck::Missing) continue;
      err += "filvex-find: note: " + DataFilePath(folder, name) + ": " + FileCheckText(check) +
             "; drive counts computed from the list\n";
    }
    CountEntriesPerDrive(list, folderCounts, fileCounts);
  }

  HitList hits;
  hits.reserve(static_cast<size_t>(q.hitLimit));
  ScanResult r = ScanSearchList(list, q, hits);
  SortHitList(hits, o.sortColumn, !o.descending);

  RowOptions rows;
  rows.sizeKB = settings.sizekb;
  for (const HitRecord& h : hits) {
    if (o.columns) {
      for (int c = 0; c < kColumnCount; ++c) {
        if (c) out += '\t';
        // The existence check of the window does not apply to a list read
        // away from its drives: every row counts as present.
        out += ColumnText(h, c, rows, /*exists=*/true);
      }
    } else {
      out += h.Path;
    }
    out += '\n';
  }
  if (o.count) out += HitCountText(hits.size(), r.WithinLimit, r.TotalMatches).caption + "\n";
  if (terminal && !o.raw) ShowInTerminal(*terminal, out, err);
  return hits.empty() ? kFindNoHits : kFindHits;
}

}  // namespace filvex
