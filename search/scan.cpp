#include "search/scan.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "searchlist/find_byte.h"
#include "searchlist/mbcs.h"

namespace filvex {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
// Bytes of name buffer searched between two looks at the stop flag: a few
// microseconds of compares, so a stop is never kept waiting.
constexpr size_t kBlock = 64 * 1024;

// How common a byte is in lower-cased file names, from 0 (rare) to 9. The
// memory search looks for the fragment's rarest byte, so that it stops as
// seldom as possible at places that then fail the full comparison.
int ByteCommonness(unsigned char c) {
  static const char kLetters[] = "etaoinsrlcdmphgufbywvkxjqz";  // most to least common
  if (c >= 'a' && c <= 'z') {
    const char* at = std::strchr(kLetters, c);
    return 9 - static_cast<int>((at - kLetters) * 9 / 25);
  }
  if (c >= '0' && c <= '9') return 6;
  if (c == '.') return 8;
  if (c == '_' || c == '-' || c == ' ') return 5;
  if (c == 0x81 || c == 0x82 || c == 0x83) return 7;  // kana and full-width leads
  if (c >= 0x88 && c <= 0x9F) return 4;               // kanji leads
  return 2;
}

// The first occurrence of a fragment at or after a position of the name
// buffer. A fragment of two or more bytes is looked for 16 start positions at
// a time by its two rarest bytes (SSE2 compares of both at their offsets),
// and only positions where both agree are compared in full; one byte is
// found with FindByte. Both keep false candidates rare, which is what makes a
// scan of a million names take about a millisecond.
class Finder {
 public:
  Finder(std::string_view hay, std::string_view needle, const StopFlag* stop)
      : hay_(hay), needle_(needle), stop_(stop) {
    auto common = [&](size_t k) { return ByteCommonness(static_cast<unsigned char>(needle[k])); };
    for (size_t k = 1; k < needle.size(); ++k)
      if (common(k) < common(rare1_)) rare1_ = k;
    rare2_ = rare1_ == 0 ? 1 : 0;
    for (size_t k = 0; k < needle.size(); ++k)
      if (k != rare1_ && common(k) < common(rare2_)) rare2_ = k;
  }

  // Position of the first occurrence at or after from, kNone when there is
  // none; false when the stop flag was raised during the search.
  bool find(size_t from, size_t* at) const {
    const size_t n = needle_.size();
    *at = kNone;
    if (n == 0 || hay_.size() < n || from > hay_.size() - n) return true;
    const size_t lastStart = hay_.size() - n;
    size_t s = from;
    while (s <= lastStart) {
      if (stop_ && stop_->load(std::memory_order_relaxed)) return false;
      const size_t blockEnd = std::min(lastStart + 1, s + kBlock);  // starts [s, blockEnd)
      if (findInBlock(s, blockEnd, at)) return true;
      s = blockEnd;
    }
    return true;
  }

 private:
  bool matchesAt(size_t s) const {
    return std::memcmp(hay_.data() + s, needle_.data(), needle_.size()) == 0;
  }

  // First occurrence starting in [s, end); every start there is a valid one.
  // Kept out of line: inlined into the scan, its vector constants were spilled
  // and read back at every step.
  __attribute__((noinline)) bool findInBlock(size_t s, size_t end, size_t* at) const {
    const char* base = hay_.data();
    if (needle_.size() == 1) {
      // Not memchr: the Windows build's memchr is a byte loop under Wine.
      const char* hit = FindByte(base + s, needle_[0], end - s);
      if (!hit) return false;
      *at = static_cast<size_t>(hit - base);
      return true;
    }
    const char b1 = needle_[rare1_], b2 = needle_[rare2_];
#if defined(__SSE2__)
    // 16 starts at a time; the loads reach byte s + rare + 15, which lies
    // within the buffer because s + 15 is a valid start.
    const __m128i v1 = _mm_set1_epi8(b1), v2 = _mm_set1_epi8(b2);
    for (; s + 16 <= end; s += 16) {
      __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + s + rare1_));
      __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + s + rare2_));
      unsigned mask = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x1, v1), _mm_cmpeq_epi8(x2, v2))));
      // Candidates are rare: the loop is laid out for the case of none, with
      // one taken branch a step (which keeps it at the speed of memory).
      if (__builtin_expect(mask == 0, 1)) continue;
      do {
        size_t c = s + static_cast<size_t>(__builtin_ctz(mask));
        if (matchesAt(c)) {
          *at = c;
          return true;
        }
        mask &= mask - 1;
      } while (mask);
    }
#endif
    for (; s < end; ++s) {
      if (base[s + rare1_] == b1 && base[s + rare2_] == b2 && matchesAt(s)) {
        *at = s;
        return true;
      }
    }
    return false;
  }

  std::string_view hay_;
  std::string_view needle_;
  const StopFlag* stop_;
  size_t rare1_ = 0, rare2_ = 0;
};

// Per fragment: the first occurrence at or after `from` in the name buffer.
// Names never hold "\n" and each is followed by one, so the first occurrence
// at or after a name's start is the name's own first occurrence exactly when
// it ends within the name.
struct Cursor {
  std::string_view fragment;
  Finder finder;
  ByteKind firstKind;
  bool never;  // empty, or holds "\n": can never occur within a name
  size_t from = kNone;
  size_t pos = kNone;

  // Makes pos the first occurrence at or after off; false when stopped.
  bool cover(size_t off) {
    if (never) return true;
    if (from != kNone && off >= from && (pos == kNone || off <= pos)) return true;
    from = off;
    return finder.find(off, &pos);
  }
  bool inside(size_t off, size_t len) const {
    return !never && pos != kNone && pos + fragment.size() <= off + len;
  }
};

// The name part of a name search driven by the cursors.
class NameProbe {
 public:
  NameProbe(const Matcher& m, std::string_view buffer, const StopFlag* stop)
      : buffer_(buffer), andMode_(m.query().andMode), head_(m.query().head) {
    cursors_.reserve(m.fragments().size());
    for (std::string_view f : m.fragments()) {
      bool never = f.empty() || f.find('\n') != std::string_view::npos;
      cursors_.push_back(
          Cursor{f, Finder(buffer, f, stop), never ? ByteKind::Single : ByteKindAt(f, 0), never});
    }
  }

  // True when no entry can pass: every fragment (any) or one fragment (AND)
  // can never occur.
  bool hopeless() const {
    bool anyNever = false, allNever = true;
    for (const Cursor& c : cursors_) {
      anyNever = anyNever || c.never;
      allNever = allNever && c.never;
    }
    return andMode_ ? anyNever : allNever;
  }

  // Name part for the entry whose lower-cased name starts at off; false in
  // *stopped when the stop flag ended the memory search.
  bool passes(size_t off, size_t len, bool* stopped) {
    std::string_view name = buffer_.substr(off, len);
    bool any = false;
    for (Cursor& c : cursors_) {
      if (!c.cover(off)) {
        *stopped = true;
        return false;
      }
      // A head search takes only an occurrence at the name's start, where
      // the name holds the fragment's own bytes (and so its byte kinds).
      bool hit = c.inside(off, len) &&
                 (head_ ? c.pos == off : ByteKindAt(name, c.pos - off) == c.firstKind);
      if (andMode_ && !hit) return false;
      any = any || hit;
    }
    return any;
  }

  // Offset in the buffer at or after off before which no entry can pass:
  // the nearest occurrence of any fragment, or (AND) the farthest of the
  // nearest occurrences of each. kNone when no entry at or after off can
  // pass; false when stopped.
  bool nextCandidate(size_t off, size_t* at) {
    size_t best = andMode_ ? 0 : kNone;  // kNone is the largest offset
    for (Cursor& c : cursors_) {
      if (c.never) continue;
      if (!c.cover(off)) return false;
      if (andMode_ && c.pos == kNone) {
        *at = kNone;
        return true;
      }
      best = andMode_ ? std::max(best, c.pos) : std::min(best, c.pos);
    }
    *at = best;
    return true;
  }

 private:
  std::string_view buffer_;
  bool andMode_;
  bool head_;
  std::vector<Cursor> cursors_;
};

// The attribute filter of a mode that compares no names, as one bit test
// that 16 codes can take at once: a code passes when it holds any of `mask`
// (allOf false) or all of it (allOf true). Kind None when the table of
// passing codes is not of that shape; the table then decides code by code.
struct AttrBitTest {
  enum Kind : uint8_t { None, AnyOf, AllOf } kind = None;
  uint8_t mask = 0;
};

AttrBitTest AttrBitTestOf(const bool (&passes)[256], const SearchQuery& q) {
  AttrBitTest t;
  if (q.attrSH) {
    t = {AttrBitTest::AllOf, kCodeSystem | kCodeHidden};
  } else {
    t.kind = AttrBitTest::AnyOf;
    t.mask = static_cast<uint8_t>((q.attrS ? kCodeSystem : 0) | (q.attrH ? kCodeHidden : 0) |
                                  (q.attrR ? kCodeReadOnly : 0));
  }
  // Kept only when it gives the table's answer for every code.
  for (int a = 0; a < 256; ++a) {
    const bool bit = t.kind == AttrBitTest::AllOf ? (a & t.mask) == t.mask : (a & t.mask) != 0;
    if (bit != passes[a]) return AttrBitTest{};
  }
  return t;
}

// Lines [k, e) of a column whose value fails a test are passed over 16 (or
// 4) values at a time with SSE2; each returns the first line that may pass,
// or e. The scalar loops of skipByColumns finish what these leave.
#if defined(__SSE2__)
size_t SkipAttrCodes(const uint8_t* attr, size_t k, size_t e, AttrBitTest t) {
  const __m128i mask = _mm_set1_epi8(static_cast<char>(t.mask));
  const __m128i zero = _mm_setzero_si128();
  for (; k + 16 <= e; k += 16) {
    const __m128i v =
        _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(attr + k)), mask);
    if (t.kind == AttrBitTest::AllOf) {
      // Lanes holding all of the mask pass.
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, mask)) != 0) break;
    } else if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) != 0xFFFF) {
      break;  // a lane holding some of the mask passes
    }
  }
  return k;
}

static_assert(InfoRecord::Dated == 2 && InfoRecord::DatedWithSize == 3,
              "the date skip tests both forms with one mask");

// Values v with v - low > width (unsigned), four at a time.
size_t SkipOutOfRange(const uint32_t* value, size_t k, size_t e, uint32_t low, uint32_t width,
                      const uint8_t* form) {
  const __m128i lowV = _mm_set1_epi32(static_cast<int>(low));
  const __m128i bias = _mm_set1_epi32(static_cast<int>(0x80000000u));
  const __m128i widthV = _mm_xor_si128(_mm_set1_epi32(static_cast<int>(width)), bias);
  for (; k + 4 <= e; k += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(value + k));
    const __m128i off = _mm_xor_si128(_mm_sub_epi32(v, lowV), bias);
    // All four out of range: off > width for each (as signed after the bias).
    if (_mm_movemask_epi8(_mm_cmpgt_epi32(off, widthV)) != 0xFFFF) break;
    if (form) {
      // A date counts only where the line holds it packed (Dated or
      // DatedWithSize, which differ in the lowest bit only).
      uint32_t f;
      std::memcpy(&f, form + k, 4);
      if ((f & 0xFEFEFEFEu) != 0x02020202u) break;
    }
  }
  return k;
}

// The lines of 16 column values from line k on that may pass the column
// test, as the bits of a mask (bit i for line k + i).
uint32_t AttrPassMask16(const uint8_t* attr, size_t k, AttrBitTest t) {
  const __m128i mask = _mm_set1_epi8(static_cast<char>(t.mask));
  const __m128i v =
      _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(attr + k)), mask);
  if (t.kind == AttrBitTest::AllOf)
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, mask)));
  return ~static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128()))) &
         0xFFFFu;
}

// Values v with v - low <= width (unsigned); with `form`, also every line
// whose date is not held packed, as the full test decides those.
uint32_t InRangeMask16(const uint32_t* value, size_t k, uint32_t low, uint32_t width,
                       const uint8_t* form) {
  const __m128i lowV = _mm_set1_epi32(static_cast<int>(low));
  const __m128i bias = _mm_set1_epi32(static_cast<int>(0x80000000u));
  const __m128i widthV = _mm_xor_si128(_mm_set1_epi32(static_cast<int>(width)), bias);
  uint32_t out = 0;
  for (int q = 0; q < 4; ++q) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(value + k + 4 * q));
    const __m128i off = _mm_xor_si128(_mm_sub_epi32(v, lowV), bias);
    const uint32_t outside =
        static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(off, widthV))));
    out |= (~outside & 15u) << (4 * q);
  }
  if (form) {
    const __m128i f = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(form + k)),
                                    _mm_set1_epi8(static_cast<char>(0xFE)));
    const uint32_t packed = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(f, _mm_set1_epi8(InfoRecord::Dated))));
    out |= ~packed & 0xFFFFu;
  }
  return out;
}
#endif

class Scanner {
 public:
  Scanner(const SearchList& list, const SearchQuery& query, HitList& hits, const StopFlag* stop,
          HitIcons icons)
      : list_(list),
        m_(query),
        hits_(hits),
        stop_(stop),
        icons_(icons),
        limit_(static_cast<size_t>(std::max(query.hitLimit, 0))),
        restrict_(!query.drives.empty()),
        probeNames_(m_.comparesNames()) {
    for (char c : query.drives) allowed_[static_cast<unsigned char>(c)] = true;
    for (int a = 0; a < 256; ++a) attrPasses_[a] = m_.attributesPass(static_cast<uint8_t>(a));
    attrBits_ = AttrBitTestOf(attrPasses_, query);
  }

  ScanResult run() {
    const SearchQuery& q = m_.query();
    if (q.text.empty()) return result_;
    if (restrict_) blocks_ = list_.driveBlocks();
    if (q.folders) folderPass();
    if (q.files) filePass();
    return result_;
  }

 private:
  bool mustEnd() {
    if (stop_ && stop_->load(std::memory_order_relaxed)) {
      result_.Stopped = true;
      return true;
    }
    return !result_.WithinLimit && m_.query().maxstop;
  }

  // The ranges of lines a pass visits, in order: the whole list, or under a
  // drive restriction the blocks of the allowed drives, found from the lines
  // themselves. The stored per-drive counts are not used for this: removals
  // leave emptied folder lines in place, and counts from an older program or
  // a hand edit need not fit the blocks, so a skip by count could land
  // inside the next drive's block and pass over its entries.
  std::vector<std::pair<size_t, size_t>> ranges(const std::vector<DriveBlock>* blocks,
                                                size_t n) const {
    std::vector<std::pair<size_t, size_t>> out;
    if (!restrict_) {
      out.emplace_back(0, n);
      return out;
    }
    for (const DriveBlock& b : *blocks) {
      if (!allowed_[static_cast<unsigned char>(b.letter)] || b.letter == 0) continue;
      const size_t end = std::min(b.end, n);
      if (b.begin >= end) continue;
      if (!out.empty() && out.back().second == b.begin) {
        out.back().second = end;
      } else {
        out.emplace_back(b.begin, end);
      }
    }
    return out;
  }

  // The one test of a mode that compares no names, on the information
  // columns: an attribute-code table, a closed size range or a closed
  // packed-date range. Every line it fails would fail filtersPass, so the
  // pass skips such lines without looking at anything else; the lines it
  // lets through are tested in full.
  enum class ColumnTest { None, Attr, Size, Date, Nothing };
  struct ColumnFilter {
    ColumnTest test = ColumnTest::None;
    uint32_t low = 0, high = 0;
  };

  ColumnFilter columnFilter(bool isFile) const {
    ColumnFilter f;
    if (probeNames_) return f;  // a name search is driven by the names
    if (m_.attributesApply()) {
      f.test = ColumnTest::Attr;
    } else if (m_.sizeApplies()) {
      const SearchQuery& q = m_.query();
      f.test = ColumnTest::Size;
      switch (q.sizeRelation) {
        case SizeRelation::Smaller:
          f.high = q.sizeLowKB;
          break;
        case SizeRelation::Larger:
          f.low = q.sizeLowKB;
          f.high = 0xFFFFFFFFu;
          break;
        case SizeRelation::Range:
          f.low = q.sizeLowKB;
          f.high = q.sizeHighKB;
          break;
      }
      if (f.low > f.high) f.test = ColumnTest::Nothing;
      // A folder's size is 0 whatever its line holds.
      if (!isFile) f.test = m_.sizePasses(0) ? ColumnTest::None : ColumnTest::Nothing;
    } else if (m_.dateApplies() && m_.packedBoundsUsable()) {
      f.test = m_.packedDateRange(&f.low, &f.high) ? ColumnTest::Date : ColumnTest::None;
    }
    return f;
  }

  // Moves *i forward, up to end, past the lines that fail the column test.
  // Lines beyond the information list, and lines whose date is not held
  // packed, stop the move: the full test decides those. Polls the stop flag
  // every kBlock lines; false on a stop.
  bool skipByColumns(const InfoLines& info, const ColumnFilter& f, size_t* i, size_t end) {
    if (f.test == ColumnTest::None) return true;
    const size_t last = std::min(end, info.size());
    size_t k = *i;
    if (f.test == ColumnTest::Nothing) k = std::max(k, last);
    while (k < last) {
      if (stop_ && stop_->load(std::memory_order_relaxed)) {
        result_.Stopped = true;
        return false;
      }
      const size_t e = std::min(last, k + kBlock);
      switch (f.test) {
        case ColumnTest::Attr: {
          const uint8_t* attr = info.attrColumn();
#if defined(__SSE2__)
          if (attrBits_.kind != AttrBitTest::None) k = SkipAttrCodes(attr, k, e, attrBits_);
#endif
          while (k < e && !attrPasses_[attr[k]]) ++k;
          break;
        }
        case ColumnTest::Size: {
          const uint32_t* size = info.sizeColumn();
          const uint32_t width = f.high - f.low;
#if defined(__SSE2__)
          k = SkipOutOfRange(size, k, e, f.low, width, /*form=*/nullptr);
#endif
          while (k < e && size[k] - f.low > width) ++k;
          break;
        }
        case ColumnTest::Date: {
          const PackedDate* date = info.dateColumn(m_.lastWrite());
          const uint8_t* form = info.formColumn();
          const uint32_t width = f.high - f.low;
#if defined(__SSE2__)
          k = SkipOutOfRange(date, k, e, f.low, width, form);
#endif
          while (k < e && date[k] - f.low > width &&
                 (form[k] == InfoRecord::Dated || form[k] == InfoRecord::DatedWithSize))
            ++k;
          break;
        }
        default:
          break;
      }
      if (k < e) break;
    }
    *i = std::max(*i, k);
    return true;
  }

  // Whether line k of the information columns may pass the column test
  // (which is not None or Nothing); the full test decides the lines that do.
  bool columnMayPass(const InfoLines& info, const ColumnFilter& f, size_t k) const {
    switch (f.test) {
      case ColumnTest::Attr:
        return attrPasses_[info.attrColumn()[k]];
      case ColumnTest::Size:
        return info.sizeColumn()[k] - f.low <= f.high - f.low;
      case ColumnTest::Date: {
        const uint8_t form = info.formColumn()[k];
        return info.dateColumn(m_.lastWrite())[k] - f.low <= f.high - f.low ||
               (form != InfoRecord::Dated && form != InfoRecord::DatedWithSize);
      }
      default:
        return true;
    }
  }

  // The mask of 16 lines from k on (within the information list) that may
  // pass the column test, as columnMayPass gives them.
  uint32_t columnMask16(const InfoLines& info, const ColumnFilter& f, size_t k) const {
#if defined(__SSE2__)
    switch (f.test) {
      case ColumnTest::Attr:
        if (attrBits_.kind != AttrBitTest::None)
          return AttrPassMask16(info.attrColumn(), k, attrBits_);
        break;
      case ColumnTest::Size:
        return InRangeMask16(info.sizeColumn(), k, f.low, f.high - f.low, /*form=*/nullptr);
      case ColumnTest::Date:
        return InRangeMask16(info.dateColumn(m_.lastWrite()), k, f.low, f.high - f.low,
                             info.formColumn());
      default:
        break;
    }
#endif
    uint32_t mask = 0;
    for (uint32_t b = 0; b < 16; ++b) mask |= uint32_t{columnMayPass(info, f, k + b)} << b;
    return mask;
  }

  // Gathers into batch[*count, room) the lines from *j on, up to end, that
  // may pass the column test, and moves *j past the lines looked at. Lines
  // beyond the information list are all gathered (the full test decides
  // those). Dense hits (a size range that a fifth of the files fall in) made
  // a skip per hit cost more than the test; masks of 16 lines keep both the
  // sparse and the dense case to a few instructions a line. Polls the stop
  // flag every kBlock lines; false on a stop.
  bool collectByColumns(const InfoLines& info, const ColumnFilter& f, size_t* j, size_t end,
                        size_t* batch, size_t* count, size_t room) {
    size_t k = *j;
    const size_t last = std::min(end, info.size());
    if (f.test == ColumnTest::Nothing) k = std::max(k, last);
    if (f.test == ColumnTest::None) {
      while (k < end && *count < room) batch[(*count)++] = k++;
      *j = k;
      return true;
    }
    while (k < last && *count < room) {
      if (stop_ && stop_->load(std::memory_order_relaxed)) {
        result_.Stopped = true;
        return false;
      }
      const size_t blockEnd = std::min(last, k + kBlock);
      for (; k + 16 <= blockEnd && *count < room; k += 16) {
        uint32_t mask = columnMask16(info, f, k);
        if (!mask) continue;
        // Room for the whole group is the common case; otherwise the lines
        // past the filled batch are looked at again by the next call.
        for (; mask; mask &= mask - 1) {
          const size_t line = k + static_cast<size_t>(__builtin_ctz(mask));
          if (*count == room) {
            *j = line;
            return true;
          }
          batch[(*count)++] = line;
        }
      }
      for (; k < blockEnd && k + 16 > blockEnd && *count < room; ++k)
        if (columnMayPass(info, f, k)) batch[(*count)++] = k;
    }
    while (k >= last && k < end && *count < room) batch[(*count)++] = k++;
    *j = k;
    return true;
  }

  // Writes a record in its place at the end of the hit list; a record whose
  // writing fails (out of memory) is taken off again, so that no half-made
  // record (without a path) is ever shown.
  template <class FillRecord>
  void appendRecord(FillRecord&& fill) {
    HitRecord& r = hits_.emplace_back();
    try {
      fill(r);
    } catch (...) {
      hits_.pop_back();
      throw;
    }
  }

  bool filtersPass(const InfoLines& info, size_t i, bool isFile) const {
    if (m_.dateApplies() && !m_.infoDatePasses(info, i)) return false;
    if (m_.sizeApplies() && !m_.sizePasses(isFile ? info.sizeKB(i) : 0)) return false;
    if (m_.attributesApply() && !m_.attributesPass(info.attr(i))) return false;
    return true;
  }

  // Name part of entry with lower-cased name `lower` lying in `buffer`.
  bool namePasses(NameProbe* probe, std::string_view buffer, std::string_view lower) {
    if (!probe) return m_.namePasses(lower);
    bool stopped = false;
    bool pass =
        probe->passes(static_cast<size_t>(lower.data() - buffer.data()), lower.size(), &stopped);
    if (stopped) result_.Stopped = true;
    return pass;
  }

  // Moves i forward to the first line at or after it whose name can pass:
  // every line passed over would only have gone to the next position. False
  // when no such line is left in the list or on a stop.
  template <class Lines>
  bool jumpToCandidate(NameProbe& probe, const Lines& lines, size_t* i) {
    size_t at;
    if (!probe.nextCandidate(lines.lowerNameOffset(*i), &at)) {
      result_.Stopped = true;
      return false;
    }
    if (at == kNone) return false;
    *i = std::max(*i, LineAtOffsetFrom(lines, *i, at));
    return true;
  }

  // The line whose lower-cased name holds byte pos, searched forward from
  // line `from`, whose name starts at or before pos: steps that double, then
  // halve. Hits lie close together when there are many, so each costs a few
  // compares instead of a search over the whole list. (A first look where
  // the average name length puts pos saved cache misses for hits far apart
  // but cost more than it saved for hits close together.)
  template <class Lines>
  static size_t LineAtOffsetFrom(const Lines& lines, size_t from, size_t pos) {
    const size_t n = lines.size();
    // Many hits lie within a few lines of each other: up to 128 lines are
    // looked at kNear at a time, each group counted without a branch (the
    // offsets rise, so the count of those starting at or before pos is the
    // distance to the line). That costs a few cycles where the search below
    // mispredicts a branch at each step. For hits further apart those cycles
    // come on top of the search, small beside the lines passed over to reach
    // them.
    constexpr size_t kNear = 16;
    for (int block = 0; block < 8 && from + kNear < n; ++block) {
      size_t ahead = 0;
      for (size_t k = 1; k <= kNear; ++k) ahead += lines.lowerNameOffset(from + k) <= pos;
      if (ahead < kNear) return from + ahead;
      from += kNear;
    }
    size_t lo = from, step = 1;
    size_t hi = lo + step;
    while (hi < n && lines.lowerNameOffset(hi) <= pos) {
      lo = hi;
      step *= 2;
      hi = lo + step;
    }
    hi = std::min(hi, n);
    return LineBetween(lines, lo, hi, pos);
  }

  // The line in [lo, hi) whose name holds pos, given offset(lo) <= pos and
  // that hi is the end or offset(hi) > pos.
  template <class Lines>
  static size_t LineBetween(const Lines& lines, size_t lo, size_t hi, size_t pos) {
    while (hi - lo > 1) {
      const size_t mid = lo + (hi - lo) / 2;
      if (lines.lowerNameOffset(mid) <= pos) {
        lo = mid;
      } else {
        hi = mid;
      }
    }
    return lo;
  }

  // The pass over the folder lines; the records still waiting are written
  // on every way out of it, an exception included.
  void folderPass() {
    try {
      folderPassLines();
    } catch (...) {
      writeFolderRecords();
      throw;
    }
    writeFolderRecords();
  }

  // Folder hits are kept a batch at a time as file hits are (see below):
  // their paths are fetched a few records ahead of the one being written.
  void recordFolder(size_t i) {
    ++result_.TotalMatches;
    if (hits_.size() + pendingLines_ < limit_) {
      pending_[pendingLines_++] = i;
      if (pendingLines_ == kFileBatch) writeFolderRecords();
    } else {
      result_.WithinLimit = false;
    }
  }

  void fetchFolderLine(size_t i) const {
    const InfoLines& info = list_.FolderInfoList;
    __builtin_prefetch(list_.FolderList.path(i).data());
    if (i < info.size()) {
      __builtin_prefetch(info.dateColumn(m_.lastWrite()) + i);
      __builtin_prefetch(info.formColumn() + i);
    }
  }

  void writeFolderRecords() {
    const size_t n = pendingLines_;
    pendingLines_ = 0;
    for (size_t k = 0; k < std::min(n, kFetchAhead); ++k) fetchFolderLine(pending_[k]);
    for (size_t k = 0; k < n; ++k) {
      if (k + kFetchAhead < n) fetchFolderLine(pending_[k + kFetchAhead]);
      appendRecord([&](HitRecord& r) {
        FillFolderHitRecord(r, list_, pending_[k], m_.lastWrite(), icons_.folder, &texts_);
      });
    }
  }

  void folderPassLines() {
    const FolderLines& folders = list_.FolderList;
    const size_t n = folders.size();
    std::string_view buffer = folders.lowerNameBuffer();
    NameProbe probe(m_, buffer, stop_);
    if (probeNames_ && probe.hopeless()) return;
    NameProbe* p = probeNames_ ? &probe : nullptr;
    const bool recy = m_.query().recy;
    const ColumnFilter columns = columnFilter(/*isFile=*/false);
    for (const auto& [begin, end] : ranges(restrict_ ? &blocks_->folders : nullptr, n)) {
      size_t i = begin;
      while (i < end) {
        if (mustEnd()) return;
        if (p && !jumpToCandidate(probe, folders, &i)) return;
        if (!skipByColumns(list_.FolderInfoList, columns, &i, end)) return;
        if (i >= end) break;
        if (folders.path(i).empty()) {  // removed folder
          ++i;
          continue;
        }
        if ((!recy && folders.isRecycled(i)) || (restrict_ && folders.onNoDrive(i))) {
          ++i;
          continue;
        }
        std::string_view lower = folders.lowerName(i);
        if (lower.empty()) {  // a drive root has no name and is never a hit
          ++i;
          continue;
        }
        bool hit = namePasses(p, buffer, lower);
        if (result_.Stopped) return;
        if (hit && filtersPass(list_.FolderInfoList, i, /*isFile=*/false)) recordFolder(i);
        ++i;
      }
    }
  }

  // The records of file hits are written a batch at a time, after the scan
  // has found the batch: the lines of sparse hits lie far apart, and each
  // record reads several places (entry, name, folder span, folder path,
  // information columns), each found from the one before, so read record by
  // record every step would miss the cache and wait alone. The entries of
  // the whole batch are read first, in a short loop of independent reads
  // whose waits overlap; then the places they lead to are fetched a few
  // records ahead of the one being written. The records and their order are
  // the same.
  static constexpr size_t kFileBatch = 64;
  static constexpr size_t kFetchAhead = 8;

  void recordFile(size_t j) {
    ++result_.TotalMatches;
    if (hits_.size() + pendingLines_ < limit_) {
      pending_[pendingLines_++] = j;
      if (pendingLines_ == kFileBatch) writeFileRecords();
    } else {
      result_.WithinLimit = false;
    }
  }

  // The folder numbers of the file lines batch[0, n), read together.
  void readFolders(const size_t* batch, size_t n, uint32_t* folderOf) const {
    for (size_t k = 0; k < n; ++k) folderOf[k] = list_.FileList.folder(batch[k]);
  }

  // Fetches what file line j of folder `folder` leads to.
  void fetchFileLine(size_t j, uint32_t folder) const {
    const InfoLines& info = list_.FileInfoList;
    // The name as the record shows it: a name with capitals has its own
    // bytes apart from the lower-cased ones. Finding them reads only the
    // entry, which readFolders has just read.
    const FileLines& files = list_.FileList;
    if (j < files.size()) __builtin_prefetch(files.name(j).data());
    __builtin_prefetch(list_.FolderList.path(folder).data());
    if (j < info.size()) {
      __builtin_prefetch(info.dateColumn(m_.lastWrite()) + j);
      __builtin_prefetch(info.sizeColumn() + j);
      __builtin_prefetch(info.attrColumn() + j);
      __builtin_prefetch(info.formColumn() + j);
    }
  }

  void writeFileRecords() {
    const size_t n = pendingLines_;
    pendingLines_ = 0;
    uint32_t folderOf[kFileBatch];
    readFolders(pending_, n, folderOf);
    for (size_t k = 0; k < std::min(n, kFetchAhead); ++k) fetchFileLine(pending_[k], folderOf[k]);
    for (size_t k = 0; k < n; ++k) {
      if (k + kFetchAhead < n) fetchFileLine(pending_[k + kFetchAhead], folderOf[k + kFetchAhead]);
      appendRecord([&](HitRecord& r) {
        FillFileHitRecord(r, list_, pending_[k], m_.lastWrite(), icons_.file, &texts_);
      });
    }
  }

  // The pass over the file lines; the records still waiting are written on
  // every way out of it, an exception included.
  void filePass() {
    try {
      filePassLines();
    } catch (...) {
      writeFileRecords();
      throw;
    }
    writeFileRecords();
  }

  void filePassLines() {
    const FileLines& files = list_.FileList;
    NameProbe probe(m_, files.lowerNameBuffer(), stop_);
    if (probeNames_ && probe.hopeless()) return;
    NameProbe* p = probeNames_ ? &probe : nullptr;
    const ColumnFilter columns = columnFilter(/*isFile=*/true);
    for (const auto& [begin, end] : ranges(restrict_ ? &blocks_->files : nullptr, files.size()))
      if (!fileRange(p, columns, begin, end)) return;
  }

  // The file lines [begin, end); false when the pass ends here (a stop, the
  // hit limit with maxstop, or no name hit left in the list).
  bool fileRange(NameProbe* p, const ColumnFilter& columns, size_t begin, size_t end) {
    if (!p) return fileRangeByColumns(columns, begin, end);
    const FileLines& files = list_.FileList;
    const std::string_view buffer = files.lowerNameBuffer();
    size_t j = begin;
    while (j < end) {
      if (mustEnd()) return false;
      if (!jumpToCandidate(*p, files, &j)) return false;
      if (j >= end) break;
      if (folderUsable(files.folder(j))) {
        const bool hit = namePasses(p, buffer, files.lowerName(j));
        if (result_.Stopped) return false;
        if (hit) testFileLine(j, /*nameTested=*/true);
      }
      ++j;
    }
    return true;
  }

  // The same in a mode that compares no names: the column test (or, without
  // one, every line) gives a batch of lines, whose entries are read
  // together, their folders fetched, and each line is tested in full. The
  // lines of a batch lie far apart, and read one at a time each would wait
  // alone for memory.
  bool fileRangeByColumns(const ColumnFilter& columns, size_t begin, size_t end) {
    const FolderLines& folders = list_.FolderList;
    size_t batch[kFileBatch];
    uint32_t lastFolder = FileLines::kBrokenLine;
    bool lastUsable = false;
    size_t j = begin;
    while (j < end) {
      if (mustEnd()) return false;
      size_t count = 0;
      if (!collectByColumns(list_.FileInfoList, columns, &j, end, batch, &count, kFileBatch))
        return false;
      uint32_t folderOf[kFileBatch];
      bool usable[kFileBatch];
      readFolders(batch, count, folderOf);
      // Files lie grouped by folder, so most lines ask about the folder of
      // the line before.
      for (size_t k = 0; k < count; ++k) {
        if (folderOf[k] != lastFolder) {
          lastFolder = folderOf[k];
          lastUsable = folderUsable(lastFolder);
        }
        usable[k] = lastUsable;
      }
      // The folders' paths are read only by records still to be kept; a
      // scan that only counts would fetch them for nothing.
      if (hits_.size() + pendingLines_ < limit_) {
        for (size_t k = 0; k < count; ++k) __builtin_prefetch(folders.path(folderOf[k]).data());
      }
      for (size_t k = 0; k < count; ++k) {
        if (mustEnd()) return false;
        if (usable[k]) testFileLine(batch[k], /*nameTested=*/false);
      }
    }
    return true;
  }

  // Whether the files of folder number `folder` can be hits. A line without
  // "=" or whose folder number is not a number of the folder list names no
  // entry: it is passed over, and the lines after it are still searched. The
  // files of a removed folder, unless asked for those of a recycle folder,
  // and under a drive restriction those of a folder on no drive (whose
  // damaged line lies inside some drive's block) are passed over too.
  bool folderUsable(uint32_t folder) const {
    const FolderLines& folders = list_.FolderList;
    if (folder == FileLines::kBrokenLine || folder >= folders.size()) return false;
    if (folders.path(folder).empty()) return false;
    if (restrict_ && folders.onNoDrive(folder)) return false;
    return m_.query().recy || !folders.isRecycled(folder);
  }

  // Tests file line j, of a usable folder, in full (but for its name when
  // the name probe has passed it) and counts it, keeping its record, when
  // it is a hit.
  void testFileLine(size_t j, bool nameTested) {
    // In a mode that compares no names the name is not read at all.
    if (!nameTested && m_.comparesNames() && !m_.namePasses(list_.FileList.lowerName(j))) return;
    if (filtersPass(list_.FileInfoList, j, /*isFile=*/true)) recordFile(j);
  }

  const SearchList& list_;
  std::shared_ptr<const DriveBlocks> blocks_;
  Matcher m_;
  HitList& hits_;
  const StopFlag* stop_;
  HitIcons icons_;
  size_t limit_;
  bool restrict_;
  bool probeNames_;
  bool allowed_[256] = {};
  bool attrPasses_[256] = {};  // attributesPass of every code
  AttrBitTest attrBits_;       // the same as one bit test, when it has that shape
  ScanResult result_;
  RecordTextWriter texts_;           // the records' paths and names, in shared blocks
  size_t pending_[kFileBatch] = {};  // lines of the pass whose records wait, in order
  size_t pendingLines_ = 0;
};

}  // namespace

ScanResult ScanSearchList(const SearchList& list, const SearchQuery& query, HitList& hits,
                          const StopFlag* stop, HitIcons icons) {
  return Scanner(list, query, hits, stop, icons).run();
}

}  // namespace filvex
