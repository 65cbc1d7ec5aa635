#pragma once
// The texts of the result list: a row's six columns made from its hit
// record, keyboard find, and the hit count of a finished search. Texts are
// made for the rows being painted only, never stored.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "results/hit_record.h"

namespace filvex {

// Column indexes of the result list.
enum ResultColumn : int {
  kColumnName = 0,
  kColumnSize = 1,
  kColumnDate = 2,
  kColumnAttr = 3,
  kColumnType = 4,
  kColumnPath = 5,
  kColumnCount = 6
};

// n with a "," every three digits from the right, padded with leading zeros
// to at least minDigits digits: minDigits 1 (the row texts' "#,##0") gives "0"
// for 0 and "1,234" for 1234; 0 gives "" for 0 ("###,###,###"); 3 gives "100"
// and "1,000" ("#,000").
std::string GroupedNumber(uint64_t n, int minDigits = 1);

// A byte count scaled to B, KB, MB, GB or TB with no space before the unit:
// whole numbers up to 1 MB, up to two decimals (trailing zeros dropped)
// above, rounded to nearest with halves away from zero. 0B, 1KB, 1.5MB.
std::string FormatSize(uint64_t bytes);

// Attribute letters in the order S H R A N; "A" alone when only the archive
// bit (with the directory bit) is set; empty for 0 and for a plain folder.
std::string AttributeLetters(uint8_t code);

// Display options of the rows (settings sizekb and chk).
struct RowOptions {
  bool sizeKB = true;  // sizes as "1,234KB" instead of scaled units (not for drives)
  bool checkExistence = false;
};

// Column texts of one row. `exists` is the result of the existence test of
// the row's path; it matters only with checkExistence on, so a caller may
// pass true without testing otherwise (see NeedsExistenceTest).
std::string CaptionText(const HitRecord& r);
std::string SizeColumnText(const HitRecord& r, bool sizeKB);
std::string AttrColumnText(const HitRecord& r, bool checkExistence, bool exists);
std::string PathColumnText(const HitRecord& r);
inline bool NeedsExistenceTest(const HitRecord& r, const RowOptions& o) {
  return o.checkExistence && !r.Unknown;
}
// The two paths a selected row stands for, made from what the row shows (the
// path column and the caption), not from its record. RowJoinedPath: path
// column, "\", caption (explore, open-with, copy, drag-out, send-to, delete).
// RowOpenPath: the path column alone when it is a drive root of exactly three
// bytes ("C:\"), else the joined path (open and properties).
std::string RowJoinedPath(const HitRecord& r);
std::string RowOpenPath(const HitRecord& r);
// The text of column `column` (ResultColumn) of a row.
std::string ColumnText(const HitRecord& r, int column, const RowOptions& o, bool exists = true);
// Rows of hidden entries are drawn with a dimmed (cut) icon.
inline bool ShowsCut(const HitRecord& r) { return (r.AttrCode & kCodeHidden) != 0; }

// The "不明" (missing) marker of the attribute column.
inline constexpr std::string_view kUnknownMark = "不明";

// Keyboard find: the first row from `start` on whose Name equals text byte
// for byte; then, when wrap is asked for and start is not 0, rows 0 to
// start - 1. -1 when none matches (a start past the end finds nothing before
// wrapping).
int FindRowByName(const HitList& hits, std::string_view text, int start, bool wrap);

// Caption of the name column and the status text after a search: "名前  [ 12 ]",
// "名前  [ 500 < 12,345 ]" when the hit limit refused matches, and the count
// in plain digits.
struct HitCountTexts {
  std::string caption;
  std::string status;
};
HitCountTexts HitCountText(size_t hitCount, bool withinLimit, size_t totalMatches);

inline constexpr std::string_view kNameCaption = "名前";

}  // namespace filvex
