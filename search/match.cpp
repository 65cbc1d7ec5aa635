#include "search/match.h"

#include <cstdio>

namespace filvex {

SearchMode ModeOfMenuTag(int tag) {
  switch (tag) {
    case kTagAttributeMenu:
      return SearchMode::AttributeSearch;
    case kTagDateMenu:
      return SearchMode::DateSearch;
    case kTagSizeMenu:
      return SearchMode::SizeSearch;
    default:
      return SearchMode::NameSearch;
  }
}

SearchMode SettleMode(SearchMode current, int modeTag) {
  if (modeTag < kTagAttributeMenu) return SearchMode::NameSearch;
  if (modeTag == kTagAttributeBoxes && current != SearchMode::AttributeSearch)
    return SearchMode::NameSearch;
  if (modeTag == kTagDateControls && current != SearchMode::DateSearch)
    return SearchMode::NameSearch;
  if (modeTag == kTagSizeControls && current != SearchMode::SizeSearch)
    return SearchMode::NameSearch;
  return current;
}

uint32_t ModeBackgroundColor(SearchMode mode) {
  auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); };
  switch (mode) {
    case SearchMode::AttributeSearch:
      return rgb(255, 230, 255);
    case SearchMode::DateSearch:
      return rgb(230, 242, 255);
    case SearchMode::SizeSearch:
      return rgb(233, 244, 232);
    case SearchMode::NameSearch:
      break;
  }
  return rgb(255, 255, 255);
}

int64_t DateTimeKey(const LocalDateTime& t) {
  return ((((int64_t{t.year} * 100 + t.month) * 100 + t.day) * 100 + t.hour) * 100 + t.minute) *
             100 +
         t.second;
}

namespace {

bool InNormalRanges(const LocalDateTime& t) {
  return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= 31 && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 &&
         t.second >= 0 && t.second <= 59;
}

// Packs the minute of t (its seconds dropped); false outside the packed range.
bool PackMinute(const LocalDateTime& t, PackedDate* out) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                        t.minute);
  return n == static_cast<int>(kDateTextLen) &&
         PackDateText(std::string_view(buf, kDateTextLen), out);
}

}  // namespace

bool ReadDateText(std::string_view t, int64_t* key) {
  DateTextFields f;
  if (!ReadDateTextFields(t, &f)) return false;
  LocalDateTime d;
  d.year = static_cast<int>(f.year);
  d.month = static_cast<int>(f.month);
  d.day = static_cast<int>(f.day);
  d.hour = static_cast<int>(f.hour);
  d.minute = static_cast<int>(f.minute);
  if (!InNormalRanges(d)) return false;
  *key = DateTimeKey(d);
  return true;
}

void SetQueryText(SearchQuery& q, std::string_view typed) {
  q.text = Lowered(typed);
  q.hasSlash = q.text.find('/') != std::string::npos;
}

void SetDriveLetters(SearchQuery& q, std::string_view typed) {
  q.drives.clear();
  for (char c : typed) {
    // A NUL names no drive: the drive letter of an empty line (or of a
    // damaged one that starts with a NUL) reads as 0, and such a line lies
    // on no drive. A typed text cannot hold a NUL, but letters passed in
    // from elsewhere can.
    if (c == '\0') continue;
    q.drives.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
  }
}

std::vector<std::string_view> SplitFragments(std::string_view text, bool hasSlash) {
  std::vector<std::string_view> out;
  if (!hasSlash) {
    out.push_back(text);
    return out;
  }
  // "/" (0x2F) is never the trail byte of a double-byte character, so a plain
  // byte split is safe here.
  size_t start = 0;
  for (;;) {
    size_t slash = text.find('/', start);
    if (slash == std::string_view::npos) {
      if (start < text.size() || out.empty()) out.push_back(text.substr(start));
      break;
    }
    out.push_back(text.substr(start, slash - start));
    start = slash + 1;
  }
  return out;
}

bool FragmentHits(std::string_view lowerName, std::string_view fragment, bool head) {
  if (fragment.empty()) return false;
  // With head the first occurrence counts only at the start, where the name
  // holds the very bytes of the fragment, so the byte kinds agree as well.
  // The first byte is tested alone first: most names fail there.
  if (head) {
    return lowerName.size() >= fragment.size() && lowerName[0] == fragment[0] &&
           lowerName.substr(0, fragment.size()) == fragment;
  }
  size_t p = lowerName.find(fragment);
  if (p == std::string_view::npos) return false;
  return ByteKindAt(lowerName, p) == ByteKindAt(fragment, 0);
}

Matcher::Matcher(const SearchQuery& q) : q_(q) {
  fragments_ = SplitFragments(q_.text, q_.hasSlash);
  fromKey_ = DateTimeKey(q_.dateFrom);
  toKey_ = DateTimeKey(q_.dateTo);

  // Bounds on the packed dates of the search list, so that the common,
  // well-formed information line is compared without making its text. A
  // packed date stands for its minute with 0 seconds, and packed values order
  // as their texts do.
  static const int64_t kFirstPacked = DateTimeKey({1600, 1, 1, 0, 0, 0});
  static const int64_t kLastPacked = DateTimeKey({5695, 12, 31, 23, 59, 0});
  if (!InNormalRanges(q_.dateFrom) || !InNormalRanges(q_.dateTo)) return;  // text path only
  if (fromKey_ <= kFirstPacked) {
    packedLow_ = 0;
  } else if (fromKey_ > kLastPacked) {
    packedNone_ = true;
  } else if (!PackMinute(q_.dateFrom, &packedLow_)) {
    return;
  } else {
    packedLowStrict_ = q_.dateFrom.second > 0;
  }
  if (toKey_ >= kLastPacked) {
    packedHigh_ = 0xFFFFFFFFu;
  } else if (toKey_ < kFirstPacked) {
    packedNone_ = true;
  } else if (!PackMinute(q_.dateTo, &packedHigh_)) {
    return;
  }
  packedUsable_ = true;
}

bool Matcher::namePasses(std::string_view lowerName) const {
  if (!comparesNames()) return true;
  if (q_.andMode) {
    for (std::string_view f : fragments_)
      if (!FragmentHits(lowerName, f, q_.head)) return false;
    return true;
  }
  for (std::string_view f : fragments_)
    if (FragmentHits(lowerName, f, q_.head)) return true;
  return false;
}

bool Matcher::datePasses(std::string_view dateText) const {
  if (dateText.substr(0, 2) == "yy") return false;  // drive root placeholder
  int64_t key;
  // A text that cannot be read as a date counts as outside the range: one
  // damaged line must not end the whole search.
  if (!ReadDateText(dateText, &key)) return false;
  return key >= fromKey_ && key <= toKey_;
}

bool Matcher::packedDatePasses(PackedDate d) const {
  if (packedNone_) return false;
  if (packedLowStrict_ ? d <= packedLow_ : d < packedLow_) return false;
  return d <= packedHigh_;
}

bool Matcher::packedDateRange(PackedDate* low, PackedDate* high) const {
  if (packedNone_) return false;
  PackedDate lo = packedLow_;
  if (packedLowStrict_) {
    if (lo == 0xFFFFFFFFu) return false;
    ++lo;
  }
  if (lo > packedHigh_) return false;
  *low = lo;
  *high = packedHigh_;
  return true;
}

bool Matcher::sizePasses(uint32_t sizeKB) const {
  switch (q_.sizeRelation) {
    case SizeRelation::Smaller:
      return sizeKB <= q_.sizeLowKB;
    case SizeRelation::Larger:
      return sizeKB >= q_.sizeLowKB;
    case SizeRelation::Range:
      return q_.sizeLowKB <= sizeKB && sizeKB <= q_.sizeHighKB;
  }
  return false;
}

bool Matcher::attributesPass(uint8_t attrCode) const {
  if ((attrCode & (kCodeSystem | kCodeHidden | kCodeReadOnly)) == 0)
    return q_.mode == SearchMode::NameSearch;
  if (q_.attrSH) return (attrCode & (kCodeSystem | kCodeHidden)) == (kCodeSystem | kCodeHidden);
  return (q_.attrS && (attrCode & kCodeSystem)) || (q_.attrH && (attrCode & kCodeHidden)) ||
         (q_.attrR && (attrCode & kCodeReadOnly));
}

bool Matcher::infoDatePasses(const InfoLines& info, size_t i) const {
  PackedDate d;
  if (packedUsable_ && info.packedDate(i, lastWrite(), &d)) return packedDatePasses(d);
  char buf[kDateTextLen];
  size_t n = info.dateText(i, lastWrite(), buf);
  return datePasses(std::string_view(buf, n));
}

bool MatchEntry(const Matcher& m, std::string_view lowerName, uint32_t sizeKB, uint8_t attrCode,
                std::string_view dateText) {
  if (!m.namePasses(lowerName)) return false;
  if (m.dateApplies() && !m.datePasses(dateText)) return false;
  if (m.sizeApplies() && !m.sizePasses(sizeKB)) return false;
  if (m.attributesApply() && !m.attributesPass(attrCode)) return false;
  return true;
}

}  // namespace filvex
