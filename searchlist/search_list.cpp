#include "searchlist/search_list.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <stdexcept>

#include "searchlist/find_byte.h"
#include "searchlist/mbcs.h"

namespace filvex {

namespace {

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

inline unsigned Two(const char* p) {
  return (p[0] - '0') * 10u + (p[1] - '0');
}

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

constexpr char kUpperHex[] = "0123456789ABCDEF";

// Canonical size text: decimal digits, no leading zero except "0" itself, and
// within 32 bits. Anything else is kept as raw text.
bool ParseCanonicalSize(std::string_view s, uint32_t* out) {
  if (s.empty() || s.size() > 10) return false;
  if (s.size() > 1 && s[0] == '0') return false;
  uint64_t v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  if (v > 0xFFFFFFFFull) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

char* WriteDecimal(uint32_t v, char* p) {
  char tmp[10];
  int n = 0;
  do {
    tmp[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v);
  while (n) *p++ = tmp[--n];
  return p;
}

uint32_t CheckedOffset(size_t n) {
  // Buffers are addressed with 32-bit offsets: 4 GB of names per list is far
  // beyond any real search list; refuse to wrap silently.
  if (n > 0xFFFFFFFFull) throw std::length_error("search list larger than 4 GB");
  return static_cast<uint32_t>(n);
}

}  // namespace

// ---- ByteBuffer ------------------------------------------------------------

void ByteBuffer::release() {
  std::free(p_);
  p_ = nullptr;
  size_ = cap_ = 0;
}

void ByteBuffer::reserve(size_t n) {
  if (n <= cap_) return;
  char* p = static_cast<char*>(std::realloc(p_, n));
  if (!p) throw std::bad_alloc();
  p_ = p;
  cap_ = n;
}

void ByteBuffer::grow(size_t n) {
  if (n > SIZE_MAX / 2 - size_) throw std::bad_alloc();
  // Doubling keeps appends amortised constant; realloc of a large block
  // often extends it where it lies.
  reserve(std::max({size_ + n, cap_ + cap_ / 2, size_t{64}}));
}

void ByteBuffer::shrinkToFit() {
  if (cap_ == size_) return;
  if (size_ == 0) {
    release();
    return;
  }
  if (char* p = static_cast<char*>(std::realloc(p_, size_))) {
    p_ = p;
    cap_ = size_;
  }
}

bool ReadDateTextFields(std::string_view t, DateTextFields* out) {
  if (t.size() != kDateTextLen) return false;
  const char* p = t.data();
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15})
    if (!IsDigit(p[i])) return false;
  if (p[4] != '/' || p[7] != '/' || p[10] != ' ' || p[13] != ':') return false;
  out->year = Two(p) * 100 + Two(p + 2);
  out->month = Two(p + 5);
  out->day = Two(p + 8);
  out->hour = Two(p + 11);
  out->minute = Two(p + 14);
  return true;
}

bool PackDateText(std::string_view t, PackedDate* out) {
  DateTextFields f;
  if (!ReadDateTextFields(t, &f)) return false;
  if (f.year < 1600 || f.year > 1600 + 4095 || f.month < 1 || f.month > 12 || f.day < 1 ||
      f.day > 31 || f.hour > 23 || f.minute > 59)
    return false;
  *out = ((f.year - 1600) << 20) | (f.month << 16) | (f.day << 11) | (f.hour << 6) | f.minute;
  return true;
}

namespace {

// "00" to "99": the two digits of each value, so that a date text is made
// with a few copies instead of a division per digit; a search makes one for
// every hit it keeps.
constexpr auto kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int v = 0; v < 100; ++v) {
    pairs[2 * v] = static_cast<char>('0' + v / 10);
    pairs[2 * v + 1] = static_cast<char>('0' + v % 10);
  }
  return pairs;
}();

void PutTwoDigits(unsigned v, char* o) {
  std::memcpy(o, &kDigitPairs[2 * v], 2);
}

}  // namespace

void UnpackDateText(PackedDate d, char o[kDateTextLen]) {
  // The fields' widths keep each value below 100 (the year's hundreds are
  // at most 56), so every one is a pair of the table.
  const unsigned year = (d >> 20) + 1600, month = (d >> 16) & 15, day = (d >> 11) & 31,
                 hour = (d >> 6) & 31, minute = d & 63;
  PutTwoDigits(year / 100, o);
  PutTwoDigits(year % 100, o + 2);
  o[4] = '/';
  PutTwoDigits(month, o + 5);
  o[7] = '/';
  PutTwoDigits(day, o + 8);
  o[10] = ' ';
  PutTwoDigits(hour, o + 11);
  o[13] = ':';
  PutTwoDigits(minute, o + 14);
}

// ---- InfoLines -------------------------------------------------------------

void InfoLines::clear() {
  for (auto* column : {&created_, &written_, &size_}) {
    column->clear();
    column->shrink_to_fit();
  }
  for (auto* column : {&attr_, &form_}) {
    column->clear();
    column->shrink_to_fit();
  }
  raw_.clear();
  raw_.shrink_to_fit();
}

void InfoLines::reserve(size_t n) {
  for (auto* column : {&created_, &written_, &size_}) column->reserve(n);
  for (auto* column : {&attr_, &form_}) column->reserve(n);
}

void InfoLines::push(const InfoRecord& r) {
  created_.push_back(r.created);
  written_.push_back(r.written);
  size_.push_back(r.form == InfoRecord::DatedWithSize ? r.sizeOrRaw : 0);
  attr_.push_back(r.attr);
  form_.push_back(r.form);
}

void InfoLines::appendText(std::string_view line) {
  InfoRecord r;
  if (line.empty()) {
    r.form = InfoRecord::Empty;
  } else if (line == kRootInfoLine) {
    r.form = InfoRecord::Root;
  } else {
    bool ok = line.size() >= 34 && PackDateText(line.substr(0, 16), &r.created) &&
              PackDateText(line.substr(16, 16), &r.written);
    int hi = ok ? HexDigit(line[32]) : -1, lo = ok ? HexDigit(line[33]) : -1;
    // Only upper-case hex is canonical: a lower-case code is kept as typed.
    ok = ok && hi >= 0 && lo >= 0 && !(line[32] >= 'a') && !(line[33] >= 'a');
    if (ok) {
      r.attr = static_cast<uint8_t>(hi * 16 + lo);
      if (line.size() == 34) {
        r.form = InfoRecord::Dated;
      } else if (ParseCanonicalSize(line.substr(34), &r.sizeOrRaw)) {
        r.form = InfoRecord::DatedWithSize;
      } else {
        ok = false;
      }
    }
    if (!ok) {
      // A raw line: its text is kept; the columns hold the index of the text
      // (in created), and the attribute code and size read from it once here,
      // so that the filters read every line's values from the columns.
      const uint32_t index = static_cast<uint32_t>(raw_.size());
      raw_.emplace_back(line);
      created_.push_back(index);
      written_.push_back(0);
      size_.push_back(RawSizeKB(raw_.back()));
      attr_.push_back(RawAttr(raw_.back()));
      form_.push_back(InfoRecord::Raw);
      return;
    }
  }
  push(r);
}

void InfoLines::appendDated(PackedDate created, PackedDate written, uint8_t attr, bool hasSize,
                            uint32_t sizeKB) {
  InfoRecord r;
  r.created = created;
  r.written = written;
  r.attr = attr;
  r.form = hasSize ? InfoRecord::DatedWithSize : InfoRecord::Dated;
  r.sizeOrRaw = hasSize ? sizeKB : 0;
  push(r);
}

void InfoLines::appendRoot() {
  InfoRecord r;
  r.form = InfoRecord::Root;
  push(r);
}

namespace {

template <class Column>
void EraseAscending(Column& column, const std::vector<size_t>& ascending) {
  size_t out = 0, k = 0;
  for (size_t i = 0; i < column.size(); ++i) {
    if (k < ascending.size() && ascending[k] == i) {
      ++k;
      continue;
    }
    column[out++] = column[i];
  }
  column.resize(out);
}

}  // namespace

void InfoLines::erase(size_t i) {
  if (i >= form_.size()) return;
  const auto at = static_cast<ptrdiff_t>(i);
  for (auto* column : {&created_, &written_, &size_}) column->erase(column->begin() + at);
  for (auto* column : {&attr_, &form_}) column->erase(column->begin() + at);
}

void InfoLines::eraseLines(const std::vector<size_t>& ascending) {
  for (auto* column : {&created_, &written_, &size_}) EraseAscending(*column, ascending);
  for (auto* column : {&attr_, &form_}) EraseAscending(*column, ascending);
}

void InfoLines::setEmpty(size_t i) {
  if (i >= form_.size()) return;
  created_[i] = written_[i] = size_[i] = 0;
  attr_[i] = 0;
  form_[i] = InfoRecord::Empty;
}

std::optional<InfoRecord> InfoLines::record(size_t i) const {
  if (i >= form_.size()) return std::nullopt;
  InfoRecord r;
  r.form = static_cast<InfoRecord::Form>(form_[i]);
  r.created = r.form == InfoRecord::Raw ? 0 : created_[i];
  r.written = written_[i];
  r.attr = r.form == InfoRecord::Raw ? 0 : attr_[i];
  r.sizeOrRaw = r.form == InfoRecord::Raw ? created_[i] : size_[i];
  return r;
}

void InfoLines::appendTextTo(size_t i, std::string& out) const {
  if (i >= form_.size()) return;
  switch (form_[i]) {
    case InfoRecord::Empty:
      return;
    case InfoRecord::Root:
      out.append(kRootInfoLine);
      return;
    case InfoRecord::Raw:
      out.append(raw_[created_[i]]);
      return;
    case InfoRecord::Dated:
    case InfoRecord::DatedWithSize: {
      char buf[34 + 10];
      UnpackDateText(created_[i], buf);
      UnpackDateText(written_[i], buf + 16);
      buf[32] = kUpperHex[attr_[i] >> 4];
      buf[33] = kUpperHex[attr_[i] & 15];
      char* end = buf + 34;
      if (form_[i] == InfoRecord::DatedWithSize) end = WriteDecimal(size_[i], end);
      out.append(buf, static_cast<size_t>(end - buf));
      return;
    }
  }
}

std::string InfoLines::text(size_t i) const {
  std::string s;
  appendTextTo(i, s);
  return s;
}

size_t InfoLines::dateText(size_t i, bool lastWrite, char out[kDateTextLen]) const {
  if (i >= form_.size()) return 0;
  switch (form_[i]) {
    case InfoRecord::Empty:
      return 0;
    case InfoRecord::Root:
      std::memcpy(out, kRootInfoLine.data() + (lastWrite ? 16 : 0), kDateTextLen);
      return kDateTextLen;
    case InfoRecord::Raw: {
      const std::string& s = raw_[created_[i]];
      size_t from = lastWrite ? 16 : 0;
      if (s.size() <= from) return 0;
      size_t n = std::min(kDateTextLen, s.size() - from);
      std::memcpy(out, s.data() + from, n);
      return n;
    }
    default:
      UnpackDateText(lastWrite ? written_[i] : created_[i], out);
      return kDateTextLen;
  }
}

bool InfoLines::packedDate(size_t i, bool lastWrite, PackedDate* out) const {
  if (i >= form_.size()) return false;
  const uint8_t form = form_[i];
  if (form == InfoRecord::Dated || form == InfoRecord::DatedWithSize) {
    *out = lastWrite ? written_[i] : created_[i];
    return true;
  }
  if (form != InfoRecord::Raw) return false;
  char buf[kDateTextLen];
  size_t n = dateText(i, lastWrite, buf);
  return PackDateText(std::string_view(buf, n), out);
}

uint8_t InfoLines::RawAttr(std::string_view s) {
  if (s.size() < 34) {
    // Fewer than two characters: read what is there as hex, as a number
    // conversion of a short text would.
    if (s.size() == 33 && HexDigit(s[32]) >= 0) return static_cast<uint8_t>(HexDigit(s[32]));
    return 0;
  }
  int hi = HexDigit(s[32]), lo = HexDigit(s[33]);
  return hi >= 0 && lo >= 0 ? static_cast<uint8_t>(hi * 16 + lo) : 0;
}

uint32_t InfoLines::RawSizeKB(std::string_view s) {
  if (s.size() <= 34) return 0;
  std::string_view t = s.substr(34, 16);
  uint64_t v = 0;
  for (char c : t) {
    if (!IsDigit(c)) return 0;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  return static_cast<uint32_t>(v);  // as an unsigned 32-bit number
}

size_t InfoLines::memoryBytes() const {
  size_t n = (created_.capacity() + written_.capacity() + size_.capacity()) * sizeof(uint32_t) +
             attr_.capacity() + form_.capacity() + raw_.capacity() * sizeof(std::string);
  for (const auto& s : raw_) n += s.capacity() > 15 ? s.capacity() + 1 : 0;
  return n;
}

// ---- FolderLines -----------------------------------------------------------

void FolderLines::clear() {
  paths_.clear();
  paths_.shrink_to_fit();
  lower_.clear();
  lower_.shrink_to_fit();
  spans_.clear();
  spans_.shrink_to_fit();
  flags_.clear();
  flags_.shrink_to_fit();
  stamp_.touch();
}

void FolderLines::reserve(size_t lines, size_t bytes) {
  reserveLines(lines);
  paths_.reserve(bytes + lines);
  // Folder names are a fraction of the paths; let the lower buffer grow.
}

void FolderLines::reserveLines(size_t lines) {
  spans_.reserve(lines);
  flags_.reserve(lines);
}

void FolderLines::shrinkToFit() {
  // Copies: worth it only when much is unused (room never written costs
  // address space only).
  auto fit = [](auto& v) {
    if (v.capacity() - v.size() > v.size() / 4) v.shrink_to_fit();
  };
  fit(paths_);
  fit(lower_);
  fit(spans_);
  fit(flags_);
}

void FolderLines::append(std::string_view path) {
  Span s;
  s.pathOff = CheckedOffset(paths_.size());
  s.pathLen = CheckedOffset(path.size());
  paths_.append(path);
  paths_.push_back('\n');
  std::string_view name = LastComponent(path);
  s.nameOff = CheckedOffset(lower_.size());
  s.nameLen = static_cast<uint32_t>(name.size());
  size_t at = lower_.size();
  lower_.append(name);
  LowerInPlace(lower_.data() + at, name.size());
  lower_.push_back('\n');
  spans_.push_back(s);
  bool recycled = path.size() >= 11 && path.substr(1, 10) == ":\\Recycled";
  const bool noDrive = !path.empty() && path[0] == '\0';
  flags_.push_back(static_cast<uint8_t>((recycled ? 1 : 0) | (noDrive ? 2 : 0)));
  stamp_.touch();
}

void FolderLines::setEmpty(size_t i) {
  if (i >= spans_.size()) return;
  spans_[i].pathLen = 0;
  spans_[i].nameLen = 0;
  flags_[i] = 0;
  stamp_.touch();
}

std::string_view FolderLines::name(size_t i) const {
  if (i >= spans_.size()) return {};
  const Span& s = spans_[i];
  // The name is the tail of the path, of the same length as the lower name.
  return std::string_view(paths_).substr(s.pathOff + s.pathLen - s.nameLen, s.nameLen);
}

std::string_view FolderLines::lowerName(size_t i) const {
  if (i >= spans_.size()) return {};
  return std::string_view(lower_).substr(spans_[i].nameOff, spans_[i].nameLen);
}

char FolderLines::driveLetter(size_t i) const {
  std::string_view p = path(i);
  if (p.empty()) return 0;
  char c = p[0];
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool FolderLines::isRecycled(size_t i) const {
  return i < flags_.size() && (flags_[i] & 1);
}

bool FolderLines::onNoDrive(size_t i) const {
  return i < flags_.size() && (flags_[i] & 2);
}

size_t FolderLines::lineAtLowerOffset(size_t pos) const {
  auto it = std::upper_bound(spans_.begin(), spans_.end(), pos,
                             [](size_t p, const Span& s) { return p < s.nameOff; });
  return static_cast<size_t>(it - spans_.begin()) - 1;
}

size_t FolderLines::memoryBytes() const {
  return paths_.capacity() + lower_.capacity() + spans_.capacity() * sizeof(Span) +
         flags_.capacity();
}

// ---- FileLines -------------------------------------------------------------

void FileLines::clear() {
  lower_.release();
  originals_.release();
  entries_.clear();
  entries_.shrink_to_fit();
  stamp_.touch();
}

void FileLines::reserve(size_t lines, size_t nameBytes) {
  entries_.reserve(lines);
  lower_.reserve(nameBytes);
  // The same bound holds for the names with capitals. Grown as they come,
  // a realloc under Windows moves the buffer at each step (a copy of all of
  // it, and fresh pages to fault in); room never written costs nothing but
  // address space, and shrinkToFit gives it back in place.
  originals_.reserve(nameBytes);
}

void FileLines::shrinkToFit() {
  lower_.shrinkToFit();
  originals_.shrinkToFit();
  // A vector gives back room only by copying; room that was reserved but
  // never written costs address space only, so it is copied only when much
  // is unused.
  if (entries_.capacity() - entries_.size() > entries_.size() / 4) entries_.shrink_to_fit();
}

void FileLines::append(uint32_t folder, std::string_view name) {
  if (name.data() >= lower_.data() && name.data() < lower_.data() + lower_.capacity()) {
    // A name of this very list: growing the buffer would move it first.
    const std::string copy(name);
    append(folder, copy);
    return;
  }
  Entry e{folder, CheckedOffset(lower_.size()), kSameAsLower};
  char* lower = lower_.extend(name.size() + 1);
  if (LowerCopy(name.data(), name.size(), lower)) {
    // Below the flag bit: 2 GB of upper-case names is far beyond any list.
    if (originals_.size() >= kSameAsLower) throw std::length_error("search list larger than 4 GB");
    e.original = static_cast<uint32_t>(originals_.size());
    originals_.append(name.data(), name.size());
  }
  lower[name.size()] = '\n';
  entries_.push_back(e);
  stamp_.touch();
}

void FileLines::appendText(std::string_view line) {
  size_t eq = line.find('=');
  uint32_t folder = kBrokenLine;
  if (eq != std::string_view::npos && eq > 0 && eq <= 10 && !(eq > 1 && line[0] == '0')) {
    uint64_t v = 0;
    bool digits = true;
    for (size_t k = 0; k < eq; ++k) {
      if (!IsDigit(line[k])) {
        digits = false;
        break;
      }
      v = v * 10 + static_cast<unsigned>(line[k] - '0');
    }
    if (digits && v < kBrokenLine) folder = static_cast<uint32_t>(v);
  }
  if (folder == kBrokenLine) {
    append(kBrokenLine, line);  // kept whole, written back as it was
  } else {
    append(folder, line.substr(eq + 1));
  }
}

void FileLines::erase(size_t i) {
  if (i < entries_.size()) {
    if (i > 0) entries_[i - 1].original |= kGapAfter;
    entries_.erase(entries_.begin() + static_cast<ptrdiff_t>(i));
  }
  stamp_.touch();
}

void FileLines::eraseLines(const std::vector<size_t>& ascending) {
  // The bytes of the deleted names stay in the buffers, unreferenced, as
  // erase() leaves them; the order of the rest is kept.
  size_t out = 0, k = 0;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (k < ascending.size() && ascending[k] == i) {
      ++k;
      if (out > 0) entries_[out - 1].original |= kGapAfter;
      continue;
    }
    entries_[out++] = entries_[i];
  }
  entries_.resize(out);
  stamp_.touch();
}

size_t FileLines::nameLengthBeforeGap(size_t i) const {
  const char* at = lower_.data() + entries_[i].off;
  // Every name in lower_ ends with its "\n".
  return static_cast<size_t>(FindByte(at, '\n', lower_.size() - entries_[i].off) - at);
}

std::string_view FileLines::lowerName(size_t i) const {
  if (i >= entries_.size()) return {};
  return {lower_.data() + entries_[i].off, nameLength(i)};
}

void FileLines::appendTextTo(size_t i, std::string& out) const {
  if (i >= entries_.size()) return;
  if (entries_[i].folder != kBrokenLine) {
    char buf[12];
    char* end = WriteDecimal(entries_[i].folder, buf);
    *end++ = '=';
    out.append(buf, static_cast<size_t>(end - buf));
  }
  out.append(name(i));
}

std::string FileLines::text(size_t i) const {
  std::string s;
  appendTextTo(i, s);
  return s;
}

size_t FileLines::lineAtLowerOffset(size_t pos) const {
  // Offsets grow with the line number (erase keeps the order of the rest).
  auto it = std::upper_bound(entries_.begin(), entries_.end(), pos,
                             [](size_t p, const Entry& e) { return p < e.off; });
  return static_cast<size_t>(it - entries_.begin()) - 1;
}

size_t FileLines::memoryBytes() const {
  return lower_.capacity() + originals_.capacity() + entries_.capacity() * sizeof(Entry);
}

// ---- counts and helpers ----------------------------------------------------

uint32_t DriveCounts::countOf(char letter) const {
  for (const auto& c : counts_)
    if (c.letter == letter) return c.count;
  return 0;
}

void DriveCounts::set(char letter, uint32_t count) {
  for (auto& c : counts_) {
    if (c.letter == letter) {
      c.count = count;
      return;
    }
  }
  counts_.push_back({letter, count});
}

void SearchList::clear() {
  FolderList.clear();
  FolderInfoList.clear();
  FileList.clear();
  FileInfoList.clear();
}

size_t SearchList::memoryBytes() const {
  return FolderList.memoryBytes() + FolderInfoList.memoryBytes() + FileList.memoryBytes() +
         FileInfoList.memoryBytes();
}

DriveBlocks FindDriveBlocks(const SearchList& list) {
  // Runs of lines whose letter is the same; a line without a letter (0)
  // extends the run it is in, and lines without a letter at the start join
  // the first run that has one.
  auto runs = [](size_t n, auto letterOf) {
    std::vector<DriveBlock> out;
    for (size_t i = 0; i < n; ++i) {
      const char c = letterOf(i);
      if (out.empty()) {
        out.push_back({c, i, i + 1});
      } else if (c == 0 || c == out.back().letter) {
        out.back().end = i + 1;
      } else if (out.back().letter == 0) {
        out.back().letter = c;
        out.back().end = i + 1;
      } else {
        out.push_back({c, i, i + 1});
      }
    }
    return out;
  };
  const FolderLines& folders = list.FolderList;
  const FileLines& files = list.FileList;
  DriveBlocks b;
  b.folders = runs(folders.size(), [&](size_t i) { return folders.driveLetter(i); });
  b.files = runs(files.size(), [&](size_t j) -> char {
    const uint32_t f = files.folder(j);
    if (f == FileLines::kBrokenLine || f >= folders.size()) return 0;
    return folders.driveLetter(f);  // 0 for a removed folder
  });
  return b;
}

std::shared_ptr<const DriveBlocks> SearchList::driveBlocks() const {
  std::lock_guard<std::mutex> hold(blockCache_.lock);
  const uint64_t folderStamp = FolderList.stamp(), fileStamp = FileList.stamp();
  if (!blockCache_.blocks || blockCache_.folderStamp != folderStamp ||
      blockCache_.fileStamp != fileStamp) {
    blockCache_.blocks = std::make_shared<const DriveBlocks>(FindDriveBlocks(*this));
    blockCache_.folderStamp = folderStamp;
    blockCache_.fileStamp = fileStamp;
  }
  return blockCache_.blocks;
}

std::string FileEntryPath(const SearchList& list, size_t j) {
  uint32_t f = list.FileList.folder(j);
  if (f == FileLines::kBrokenLine || f >= list.FolderList.size()) return {};
  return JoinPath(list.FolderList.path(f), list.FileList.name(j));
}

void CountEntriesPerDrive(const SearchList& list, DriveCounts& folderCounts,
                          DriveCounts& fileCounts) {
  auto countRuns = [](size_t n, auto letterOf, DriveCounts& out) {
    out.clear();
    char run = 0;
    uint32_t len = 0;
    bool any = false;
    for (size_t i = 0; i < n; ++i) {
      int l = letterOf(i);
      if (l < 0) continue;  // not counted
      char c = static_cast<char>(l);
      if (any && c != run) {
        out.add(run, len);
        len = 0;
      }
      run = c;
      any = true;
      ++len;
    }
    if (any) out.add(run, len);
  };
  const FolderLines& folders = list.FolderList;
  countRuns(
      folders.size(),
      [&](size_t i) {
        char c = folders.driveLetter(i);
        return c ? static_cast<int>(static_cast<unsigned char>(c)) : -1;  // removed folder
      },
      folderCounts);
  const FileLines& files = list.FileList;
  countRuns(
      files.size(),
      [&](size_t j) {
        uint32_t f = files.folder(j);
        if (f == FileLines::kBrokenLine || f >= folders.size()) return -1;
        char c = folders.driveLetter(f);
        return c ? static_cast<int>(static_cast<unsigned char>(c)) : -1;
      },
      fileCounts);
}

uint8_t PackAttributes(uint32_t a) {
  uint8_t code = 0;
  if (a & kAttrSystem) code |= kCodeSystem;
  if (a & kAttrHidden) code |= kCodeHidden;
  if (a & kAttrReadOnly) code |= kCodeReadOnly;
  if (a & kAttrNormal) code |= kCodeNormal;
  if (a & kAttrArchive) code |= kCodeArchive;
  if (a & kAttrDirectory) code |= kCodeDirectory;
  return code;
}

uint32_t SizeInKB(uint64_t bytes) {
  uint64_t kb = bytes / 1024;
  if (kb == 0 && bytes > 0) return 1;
  return kb > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(kb);
}

}  // namespace filvex
