#include "results/row_text.h"

#include "searchlist/mbcs.h"

namespace filvex {

std::string GroupedNumber(uint64_t n, int minDigits) {
  std::string digits = n == 0 ? std::string() : std::to_string(n);
  if (static_cast<int>(digits.size()) < minDigits) {
    digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
  }
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  for (size_t k = 0; k < digits.size(); ++k) {
    if (k != 0 && (digits.size() - k) % 3 == 0) out.push_back(',');
    out.push_back(digits[k]);
  }
  return out;
}

std::string FormatSize(uint64_t bytes) {
  constexpr uint64_t kKB = 1024, kMB = kKB << 10, kGB = kMB << 10, kTB = kGB << 10;
  uint64_t unit = 1;
  const char* suffix = "B";
  if (bytes >= kTB) {
    unit = kTB, suffix = "TB";
  } else if (bytes >= kGB) {
    unit = kGB, suffix = "GB";
  } else if (bytes >= kMB) {
    unit = kMB, suffix = "MB";
  } else if (bytes >= kKB) {
    unit = kKB, suffix = "KB";
  }
  // Up to 1 MB the pattern has no decimals; above it, two at most. The
  // rounding is done in whole hundredths with integers: bytes * 100 / unit,
  // half away from zero (every value is positive).
  const int decimals = bytes <= kMB ? 0 : 2;
  const uint64_t scale = decimals ? 100 : 1;
  const unsigned __int128 num = static_cast<unsigned __int128>(bytes) * scale;
  const uint64_t r = static_cast<uint64_t>((num + unit / 2) / unit);
  std::string out = std::to_string(r / scale);
  if (decimals) {
    unsigned frac = static_cast<unsigned>(r % scale);
    if (frac) {
      out.push_back('.');
      out.push_back(static_cast<char>('0' + frac / 10));
      if (frac % 10) out.push_back(static_cast<char>('0' + frac % 10));
    }
  }
  out += suffix;
  return out;
}

std::string AttributeLetters(uint8_t code) {
  if ((code & (kCodeSystem | kCodeHidden | kCodeReadOnly | kCodeNormal)) == 0)
    return (code & kCodeArchive) ? "A" : "";
  char letters[5];
  size_t n = 0;
  if (code & kCodeSystem) letters[n++] = 'S';
  if (code & kCodeHidden) letters[n++] = 'H';
  if (code & kCodeReadOnly) letters[n++] = 'R';
  if (code & kCodeArchive) letters[n++] = 'A';
  if (code & kCodeNormal) letters[n++] = 'N';
  return std::string(letters, n);
}

std::string CaptionText(const HitRecord& r) {
  if (r.Kind == kKindDrive) return r.Name.str();
  return std::string(LastComponent(r.Path));
}

std::string SizeColumnText(const HitRecord& r, bool sizeKB) {
  if (r.Kind == kKindFolder || (r.Kind == kKindDrive && r.SizeKB == 0)) return {};
  if (sizeKB && r.Kind != kKindDrive) return GroupedNumber(r.SizeKB) + "KB";
  return FormatSize(uint64_t{r.SizeKB} * 1024);
}

std::string AttrColumnText(const HitRecord& r, bool checkExistence, bool exists) {
  if (r.Unknown || (checkExistence && !exists)) return std::string(kUnknownMark);
  return AttributeLetters(r.AttrCode);
}

std::string PathColumnText(const HitRecord& r) {
  if (r.Kind == kKindDrive) return r.Path.str();
  return std::string(FolderColumnText(r.Path));
}

std::string RowJoinedPath(const HitRecord& r) {
  std::string path = PathColumnText(r);
  path += '\\';
  path += CaptionText(r);
  return path;
}

std::string RowOpenPath(const HitRecord& r) {
  std::string column = PathColumnText(r);
  if (column.size() == 3) return column;
  return RowJoinedPath(r);
}

std::string ColumnText(const HitRecord& r, int column, const RowOptions& o, bool exists) {
  switch (column) {
    case kColumnName:
      return CaptionText(r);
    case kColumnSize:
      return SizeColumnText(r, o.sizeKB);
    case kColumnDate:
      return r.DateText.str();
    case kColumnAttr:
      return AttrColumnText(r, o.checkExistence, exists);
    case kColumnType:
      return r.TypeName.str();
    case kColumnPath:
      return PathColumnText(r);
    default:
      return {};
  }
}

int FindRowByName(const HitList& hits, std::string_view text, int start, bool wrap) {
  const int n = static_cast<int>(hits.size());
  if (start < 0) start = 0;
  for (int i = start; i < n; ++i)
    if (hits[static_cast<size_t>(i)].Name == text) return i;
  if (wrap && start != 0) {
    for (int i = 0; i < start && i < n; ++i)
      if (hits[static_cast<size_t>(i)].Name == text) return i;
  }
  return -1;
}

HitCountTexts HitCountText(size_t hitCount, bool withinLimit, size_t totalMatches) {
  HitCountTexts t;
  std::string count = GroupedNumber(hitCount);
  if (!withinLimit && totalMatches > 0) count += " < " + GroupedNumber(totalMatches);
  t.caption = std::string(kNameCaption) + "  [ " + count + " ]";
  t.status = std::to_string(hitCount);
  return t;
}

}  // namespace filvex
