#pragma once
// Search modes, the values a search takes from the search panel, and the
// predicate that decides whether one search-list entry is a hit.
//
// Everything compares the bytes the search list stores (ANSI code page). The
// query and the names are lower-cased by the one rule of searchlist/mbcs.h;
// the search list keeps its names lower-cased already, so a search folds only
// its query, once.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "searchlist/mbcs.h"
#include "searchlist/search_list.h"

namespace filvex {

enum class SearchMode : uint8_t { NameSearch, AttributeSearch, DateSearch, SizeSearch };

// Tags of the controls that start a search; every other control carries 0.
constexpr int kTagAttributeMenu = 100;  // N7  "ファイル属性で検索"
constexpr int kTagDateMenu = 101;       // N13 "日付で検索"
constexpr int kTagSizeMenu = 102;       // N14 "サイズで検索"
constexpr int kTagAttributeBoxes = 110;
constexpr int kTagDateControls = 120;
constexpr int kTagSizeControls = 130;

// The mode a mode menu item (Tag 100-102) enters; NameSearch for any other tag.
SearchMode ModeOfMenuTag(int tag);

// The mode at the start of a search, given the mode so far and the Tag of the
// control whose change started it: a control of the active mode's own group
// (or a mode menu item, which set the mode just before) keeps the mode; any
// other control returns to NameSearch.
SearchMode SettleMode(SearchMode current, int modeTag);

// Background colour of the result list in each mode, as 0x00BBGGRR.
uint32_t ModeBackgroundColor(SearchMode mode);

enum class DateKind : uint8_t { Created = 0, LastWrite = 1 };  // ComboBox1 items
enum class SizeRelation : uint8_t { Smaller = 0, Larger = 1, Range = 2 };  // ComboBox2 items

// A local date-time as the date pickers hold it, seconds included.
struct LocalDateTime {
  int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
// Order-preserving number of a date-time: yyyymmddhhnnss.
int64_t DateTimeKey(const LocalDateTime& t);

// Reads a date text "yyyy/mm/dd hh:nn" (exactly 16 characters; year 1-9999,
// month 1-12, day 1-31, hour 0-23, minute 0-59) into its key with 0 seconds.
// False for anything else, including the drive-root placeholder.
bool ReadDateText(std::string_view text, int64_t* key);

// The values of one search, taken from the search panel when it starts.
struct SearchQuery {
  SearchMode mode = SearchMode::NameSearch;
  std::string text;         // lower-cased query (see SetQueryText)
  bool hasSlash = false;    // the query holds a half-width "/"
  std::string drives;       // upper-cased drive letters; empty: all drives
  bool folders = true;      // CheckBox1 "フォルダ"
  bool files = true;        // CheckBox2 "ファイル"
  bool andMode = false;     // CheckBox5 "AND"
  bool head = false;        // CheckBox7 "先頭"
  bool attrS = false, attrH = false, attrSH = false, attrR = true;  // CheckBox3/4/6/8
  bool dateOn = false;      // CheckBox9 "日付"
  DateKind dateKind = DateKind::LastWrite;
  LocalDateTime dateFrom, dateTo;
  bool sizeOn = false;      // CheckBox10 "サイズ"
  SizeRelation sizeRelation = SizeRelation::Smaller;
  uint32_t sizeLowKB = 1, sizeHighKB = 1;  // SizeBoundLow, SizeBoundHigh
  int hitLimit = 1000;      // setting max
  bool maxstop = true;      // stop at the first match beyond the limit
  bool recy = false;        // search recycle folders too
};

// Sets the query from the typed text: lower-cased, and whether it holds "/".
void SetQueryText(SearchQuery& q, std::string_view typed);
// Sets the drive restriction from the typed letters (ASCII upper-cased; a
// NUL is left out, as it names no drive).
void SetDriveLetters(SearchQuery& q, std::string_view typed);

// Cuts a query into its fragments: without "/" the whole text is the one
// fragment; with it, the pieces between slashes, where a "/" at the very end
// adds no empty last piece. Empty fragments stay (they never hit).
std::vector<std::string_view> SplitFragments(std::string_view text, bool hasSlash);

// One fragment against one lower-cased name: 0-based position of the first
// occurrence whose byte kind (single, lead or trail byte under the code page)
// equals that of the fragment's first byte; only the first occurrence is
// examined. With head, only an occurrence at the very start counts.
bool FragmentHits(std::string_view lowerName, std::string_view fragment, bool head);

// The query prepared once per search: its own copy of the values, the
// fragments (views into that copy, hence not copyable) and the date bounds in
// the search list's packed form.
class Matcher {
 public:
  explicit Matcher(const SearchQuery& q);
  Matcher(const Matcher&) = delete;
  Matcher& operator=(const Matcher&) = delete;

  const SearchQuery& query() const { return q_; }
  const std::vector<std::string_view>& fragments() const { return fragments_; }

  bool comparesNames() const { return q_.mode == SearchMode::NameSearch; }
  bool dateApplies() const {
    return q_.dateOn &&
           (q_.mode == SearchMode::NameSearch || q_.mode == SearchMode::DateSearch);
  }
  bool sizeApplies() const {
    return q_.sizeOn &&
           (q_.mode == SearchMode::NameSearch || q_.mode == SearchMode::SizeSearch);
  }
  bool attributesApply() const {
    return q_.mode == SearchMode::NameSearch || q_.mode == SearchMode::AttributeSearch;
  }
  bool lastWrite() const { return q_.dateKind == DateKind::LastWrite; }

  // Name part: passes in the modes that compare no names.
  bool namePasses(std::string_view lowerName) const;
  // Date filter on a date text. A text that cannot be read as a date (the
  // drive-root placeholder, a damaged line) is outside every range.
  bool datePasses(std::string_view dateText) const;
  // The same on a packed date (a line of the exact stored form).
  bool packedDatePasses(PackedDate d) const;
  // True when packedDatePasses gives the same answer as datePasses on the
  // unpacked text, for every packed date.
  bool packedBoundsUsable() const { return packedUsable_; }
  // The packed dates packedDatePasses accepts, as one closed range
  // [*low, *high]; false when it accepts none.
  bool packedDateRange(PackedDate* low, PackedDate* high) const;
  bool sizePasses(uint32_t sizeKB) const;
  bool attributesPass(uint8_t attrCode) const;

  // Date filter of information line i (only when dateApplies()).
  bool infoDatePasses(const InfoLines& info, size_t i) const;

 private:
  SearchQuery q_;
  std::vector<std::string_view> fragments_;
  int64_t fromKey_ = 0, toKey_ = 0;
  bool packedUsable_ = false;
  bool packedNone_ = false;  // no packed date lies within the range
  PackedDate packedLow_ = 0, packedHigh_ = 0;
  bool packedLowStrict_ = false;  // DateFrom has seconds: its own minute is before it
};

// Whether one entry is a hit: the name part, then the date, size and attribute
// filters of the mode, in that order. lowerName is the lower-cased name.
bool MatchEntry(const Matcher& m, std::string_view lowerName, uint32_t sizeKB, uint8_t attrCode,
                std::string_view dateText);

}  // namespace filvex
