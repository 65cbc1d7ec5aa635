#pragma once
// The search list in memory: four parallel line lists (FolderList,
// FolderInfoList, FileList, FileInfoList) and the per-drive counts.
//
// The lists are held for millions of lines, so no line is a string object of
// its own:
//  - names and paths lie end to end in one byte buffer per list, each followed
//    by a "\n" (which no line can contain), addressed by offset;
//  - the searchable names are kept lower-cased once, so a search folds
//    nothing per entry and can run one memory search over the whole buffer;
//    a file name's original bytes are kept beside them only when lowering
//    changes them (most names are all lower-case already);
//  - information lines are kept as 16-byte binary records when they have the
//    exact form a build writes, and as their original text otherwise, so that
//    any hand-edited line survives a save unchanged.
// Accessors never read out of range: a line index beyond a list yields the
// values of an empty line.

#include <atomic>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace filvex {

// A growable byte buffer on malloc and realloc. Reserving more than will be
// used costs address space only until the bytes are written, and giving the
// unused end back (shrinkToFit) moves nothing where the allocator can shrink
// the block in place; a std::string would copy its whole content for that.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer& o) { append(o.data(), o.size()); }
  ByteBuffer(ByteBuffer&& o) noexcept : p_(o.p_), size_(o.size_), cap_(o.cap_) {
    o.p_ = nullptr;
    o.size_ = o.cap_ = 0;
  }
  ByteBuffer& operator=(const ByteBuffer& o) {
    if (this != &o) {
      size_ = 0;
      append(o.data(), o.size());
    }
    return *this;
  }
  ByteBuffer& operator=(ByteBuffer&& o) noexcept {
    if (this != &o) {
      std::free(p_);
      p_ = o.p_;
      size_ = o.size_;
      cap_ = o.cap_;
      o.p_ = nullptr;
      o.size_ = o.cap_ = 0;
    }
    return *this;
  }
  ~ByteBuffer() { std::free(p_); }

  size_t size() const { return size_; }
  size_t capacity() const { return cap_; }
  const char* data() const { return p_; }
  std::string_view view() const { return {p_, size_}; }
  // Frees the bytes, not only forgets them.
  void release();
  // Room for n bytes in all; throws std::bad_alloc when there is none.
  void reserve(size_t n);
  void shrinkToFit();
  // Appends n bytes left for the caller to write; the pointer is valid until
  // the next change of the buffer.
  char* extend(size_t n) {
    if (cap_ - size_ < n) grow(n);
    char* at = p_ + size_;
    size_ += n;
    return at;
  }
  void append(const char* bytes, size_t n) {
    if (n) std::memcpy(extend(n), bytes, n);
  }
  void push_back(char c) { *extend(1) = c; }

 private:
  void grow(size_t n);
  char* p_ = nullptr;
  size_t size_ = 0, cap_ = 0;
};

// A number that changes whenever the lines it belongs to change, so that
// facts derived from the lines (the drive blocks below) can be kept until
// then. Every value is issued once per process: a copy shares its source's
// value (and content), a moved-from object takes a new one, so two lists
// with equal stamps always hold equal lines.
class ChangeStamp {
 public:
  ChangeStamp() : v_(Next()) {}
  ChangeStamp(const ChangeStamp& o) : v_(o.v_) {}
  ChangeStamp(ChangeStamp&& o) noexcept : v_(o.v_) { o.v_ = Next(); }
  ChangeStamp& operator=(const ChangeStamp& o) {
    v_ = o.v_;
    return *this;
  }
  ChangeStamp& operator=(ChangeStamp&& o) noexcept {
    const uint64_t v = o.v_;
    o.v_ = Next();
    v_ = v;
    return *this;
  }
  void touch() { v_ = Next(); }
  uint64_t value() const { return v_; }

 private:
  static uint64_t Next() {
    static std::atomic<uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
  }
  uint64_t v_;
};

// Packed local date-time "yyyy/mm/dd hh:nn": year-1600 (12 bits), month (4),
// day (5), hour (5), minute (6). Packed values order as the texts do.
using PackedDate = uint32_t;
constexpr size_t kDateTextLen = 16;

// The five numbers of a date text, as written (no range checked).
struct DateTextFields {
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
// Reads a text of the shape "yyyy/mm/dd hh:nn" (16 characters, digits and
// separators in place); false for any other shape.
bool ReadDateTextFields(std::string_view text, DateTextFields* out);

// Packs a well-formed date text (digits and separators in place, year 1600 to
// 5695, month 1-12, day 1-31, hour 0-23, minute 0-59); false otherwise.
bool PackDateText(std::string_view text, PackedDate* out);
// Writes the 16 characters of a packed date.
void UnpackDateText(PackedDate d, char out[kDateTextLen]);

// The information line of a drive root: the date pattern's letters, not a date.
inline constexpr std::string_view kRootInfoLine = "yyyy/mm/dd hh:nnyyyy/mm/dd hh:nn00";
inline constexpr std::string_view kUnconvertibleDate = "1900/01/01 00:00";

// One information line. Form says how it is held.
struct InfoRecord {
  enum Form : uint8_t { Empty, Root, Dated, DatedWithSize, Raw };
  PackedDate created = 0;
  PackedDate written = 0;
  uint32_t sizeOrRaw = 0;  // size in KB, or the index of the raw text
  uint8_t attr = 0;
  Form form = Empty;
};

class InfoLines {
 public:
  size_t size() const { return form_.size(); }
  void clear();
  void reserve(size_t n);
  void reserveLines(size_t n) { reserve(n); }
  size_t lineCapacity() const { return form_.capacity(); }
  // Appends one line as read from a file or written by a build.
  void appendText(std::string_view line);
  // Appends the line a build writes for a folder (hasSize false) or a file.
  void appendDated(PackedDate created, PackedDate written, uint8_t attr, bool hasSize,
                   uint32_t sizeKB);
  void appendRoot();
  void erase(size_t i);
  // Deletes the lines at the given positions (ascending, no repeats; out of
  // range ones are ignored) in one pass, however many there are.
  void eraseLines(const std::vector<size_t>& ascending);
  void setEmpty(size_t i);

  // The full line text (as it is written to the file).
  std::string text(size_t i) const;
  void appendTextTo(size_t i, std::string& out) const;

  // Characters 1-16 (creation) or 17-32 (last write); fewer when the line is
  // shorter. Writes into out and returns the length (0 to 16).
  size_t dateText(size_t i, bool lastWrite, char out[kDateTextLen]) const;
  // Packed date when the line holds a well-formed one; false for the root
  // placeholder, empty, short or hand-edited text that does not pack.
  bool packedDate(size_t i, bool lastWrite, PackedDate* out) const;
  // Characters 33-34 read as hexadecimal; 0 when they are not hex digits.
  uint8_t attr(size_t i) const { return i < attr_.size() ? attr_[i] : 0; }
  // Characters 35 onward (at most 16) as a decimal number, 0 when not a number.
  uint32_t sizeKB(size_t i) const { return i < size_.size() ? size_[i] : 0; }
  // How line i is held; nothing beyond the list.
  std::optional<InfoRecord> record(size_t i) const;

  // The columns the search filters run over, one value per line (size()
  // values each): attr() and sizeKB() of every line; the form of each line;
  // the packed creation or last-write date, meaningful only where the form
  // is Dated or DatedWithSize.
  const uint8_t* attrColumn() const { return attr_.data(); }
  const uint32_t* sizeColumn() const { return size_.data(); }
  const uint8_t* formColumn() const { return form_.data(); }
  const PackedDate* dateColumn(bool lastWrite) const {
    return lastWrite ? written_.data() : created_.data();
  }

  size_t memoryBytes() const;

 private:
  void push(const InfoRecord& r);
  static uint8_t RawAttr(std::string_view text);
  static uint32_t RawSizeKB(std::string_view text);

  // One column per value (14 bytes a line): a filter reads only the column
  // it tests. A raw line keeps the index of its text in created_.
  std::vector<PackedDate> created_;
  std::vector<PackedDate> written_;
  std::vector<uint32_t> size_;
  std::vector<uint8_t> attr_;
  std::vector<uint8_t> form_;  // InfoRecord::Form
  std::vector<std::string> raw_;
};

// FolderList: one full path per folder (a drive root is "C:"); a removed folder
// is an empty line. Each folder's last path component is also kept
// lower-cased in `lowerNames`, for the search.
class FolderLines {
 public:
  size_t size() const { return spans_.size(); }
  void clear();
  void reserve(size_t lines, size_t bytes);
  void reserveLines(size_t lines);
  size_t lineCapacity() const { return spans_.capacity(); }
  // Gives back what reserve() or growth left unused, where that is much.
  void shrinkToFit();
  void append(std::string_view path);
  void setEmpty(size_t i);

  // Inline: a search reads it for every hit it keeps.
  std::string_view path(size_t i) const {
    if (i >= spans_.size()) return {};
    return std::string_view(paths_).substr(spans_[i].pathOff, spans_[i].pathLen);
  }
  // Last component of the path, original bytes / lower-cased bytes.
  std::string_view name(size_t i) const;
  std::string_view lowerName(size_t i) const;
  // Upper-cased first character of the path; 0 for an empty line.
  char driveLetter(size_t i) const;
  // True when the path from its second character begins with ":\Recycled".
  bool isRecycled(size_t i) const;
  // True for a line that is not empty but starts with a NUL (a damaged
  // list): its drive letter reads as 0, as an empty line's does, and it lies
  // on no drive.
  bool onNoDrive(size_t i) const;

  // All lower-cased names, each followed by "\n", in line order; the name of
  // line i starts at lowerNameOffset(i).
  std::string_view lowerNameBuffer() const { return lower_; }
  uint32_t lowerNameOffset(size_t i) const { return spans_[i].nameOff; }
  // Line whose lower-cased name holds byte pos of lowerNameBuffer().
  size_t lineAtLowerOffset(size_t pos) const;

  size_t memoryBytes() const;
  uint64_t stamp() const { return stamp_.value(); }

 private:
  struct Span {
    uint32_t pathOff, pathLen, nameOff, nameLen;
  };
  std::string paths_;
  std::string lower_;
  std::vector<Span> spans_;
  std::vector<uint8_t> flags_;  // bit 0: recycled; bit 1: on no drive
  ChangeStamp stamp_;
};

// FileList: "folder number=name". A line that does not have that exact form
// (no "=", a folder part that is empty, not a plain decimal number, or has
// leading zeros) is kept whole as a broken line: folder() is kBrokenLine and
// name() is the whole line.
class FileLines {
 public:
  static constexpr uint32_t kBrokenLine = 0xFFFFFFFFu;

  size_t size() const { return entries_.size(); }
  void clear();
  // Room for `lines` lines whose names, each with its "\n", take at most
  // `nameBytes` bytes in all; a generous byte count costs nothing until
  // shrinkToFit gives it back.
  void reserve(size_t lines, size_t nameBytes);
  void reserveLines(size_t lines) { entries_.reserve(lines); }
  size_t lineCapacity() const { return entries_.capacity(); }
  // Gives back what reserve() or growth left unused.
  void shrinkToFit();
  void appendText(std::string_view line);
  void append(uint32_t folder, std::string_view name);
  void erase(size_t i);
  // Deletes the lines at the given positions (ascending, no repeats; out of
  // range ones are ignored) in one pass, however many there are.
  void eraseLines(const std::vector<size_t>& ascending);

  uint32_t folder(size_t i) const { return i < entries_.size() ? entries_[i].folder : kBrokenLine; }
  // Inline: a search reads it for every hit it keeps.
  std::string_view name(size_t i) const {
    if (i >= entries_.size()) return {};
    const Entry& e = entries_[i];
    const uint32_t original = e.original & ~kGapAfter;
    if (original == kSameAsLower) return {lower_.data() + e.off, nameLength(i)};
    return {originals_.data() + original, nameLength(i)};
  }
  std::string_view lowerName(size_t i) const;
  std::string text(size_t i) const;
  void appendTextTo(size_t i, std::string& out) const;

  // All lower-cased names, each followed by "\n"; erase() leaves the bytes of
  // an erased line in the buffer, unreferenced.
  std::string_view lowerNameBuffer() const { return lower_.view(); }
  uint32_t lowerNameOffset(size_t i) const { return entries_[i].off; }
  size_t lineAtLowerOffset(size_t pos) const;

  size_t memoryBytes() const;
  uint64_t stamp() const { return stamp_.value(); }

 private:
  // `original`: the offset of the name's own bytes in originals_ (of the
  // same length, as lowering keeps the length), or kSameAsLower; and the
  // flag kGapAfter.
  static constexpr uint32_t kSameAsLower = 0x7FFFFFFFu;
  static constexpr uint32_t kGapAfter = 0x80000000u;
  // A name's length is not stored: the next line's name starts right after
  // its "\n", unless lines were erased after it (kGapAfter), and then its
  // "\n" is looked for.
  struct Entry {
    uint32_t folder, off, original;
  };
  size_t nameLength(size_t i) const {
    const Entry& e = entries_[i];
    if (e.original & kGapAfter) return nameLengthBeforeGap(i);
    const size_t next = i + 1 < entries_.size() ? entries_[i + 1].off : lower_.size();
    return next - e.off - 1;
  }
  size_t nameLengthBeforeGap(size_t i) const;
  ByteBuffer lower_;
  ByteBuffer originals_;
  std::vector<Entry> entries_;
  ChangeStamp stamp_;
};

// Per-drive line counts: "C=15234", in the order the drives first appear.
struct DriveCount {
  char letter;
  uint32_t count;
};
class DriveCounts {
 public:
  void clear() { counts_.clear(); }
  void add(char letter, uint32_t count) { counts_.push_back({letter, count}); }
  // Replaces the count of a letter, or adds the letter at the end.
  void set(char letter, uint32_t count);
  // Count stored for a letter, 0 when there is none.
  uint32_t countOf(char letter) const;
  const std::vector<DriveCount>& entries() const { return counts_; }
  size_t size() const { return counts_.size(); }

 private:
  std::vector<DriveCount> counts_;
};

// A run of consecutive lines [begin, end) whose entries all lie on one
// drive. Lines that belong to no drive (a removed folder, a file of one, a
// broken file line) lie inside whichever run they interrupt.
struct DriveBlock {
  char letter;  // upper-cased first character of the entries' folder paths
  size_t begin, end;
};
struct DriveBlocks {
  std::vector<DriveBlock> folders;  // cover FolderList from 0 to its size
  std::vector<DriveBlock> files;    // cover FileList likewise
};

struct SearchList;
// Finds the drive blocks of a set from its lines: one pass over each list.
// A drive whose lines are split (a hand-edited list) has several blocks.
DriveBlocks FindDriveBlocks(const SearchList& list);

// One set of the four lists.
struct SearchList {
  FolderLines FolderList;
  InfoLines FolderInfoList;
  FileLines FileList;
  InfoLines FileInfoList;

  void clear();
  size_t memoryBytes() const;

  // The drive blocks of the current lines: found on the first call after a
  // change of FolderList or FileList and kept until the next one. Safe to
  // call from a search worker while no one changes the lines.
  std::shared_ptr<const DriveBlocks> driveBlocks() const;

 private:
  // Kept per object: a copy or a move starts without one.
  struct BlockCache {
    BlockCache() = default;
    BlockCache(const BlockCache&) {}
    BlockCache& operator=(const BlockCache&) { return *this; }
    std::mutex lock;
    uint64_t folderStamp = 0, fileStamp = 0;
    std::shared_ptr<const DriveBlocks> blocks;
  };
  mutable BlockCache blockCache_;
};

// Full path of file entry j: its folder's path, a "\" and the name; empty
// when the entry is broken or its folder number is out of range.
std::string FileEntryPath(const SearchList& list, size_t j);

// Recomputes both per-drive counts from a freshly built set (runs of equal
// upper-cased first letters, in list order). File lines whose folder number
// is broken or out of range are not counted.
void CountEntriesPerDrive(const SearchList& list, DriveCounts& folderCounts,
                          DriveCounts& fileCounts);

// File attributes as the system reports them (FILE_ATTRIBUTE_*).
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrReparsePoint = 0x400;

// Bits of the attribute code that the information lines store (two
// hexadecimal digits), the search filters test and the result list shows as
// the letters S, H, R, A and N.
constexpr uint8_t kCodeSystem = 0x01;
constexpr uint8_t kCodeHidden = 0x02;
constexpr uint8_t kCodeReadOnly = 0x04;
constexpr uint8_t kCodeNormal = 0x08;
constexpr uint8_t kCodeArchive = 0x10;
constexpr uint8_t kCodeDirectory = 0x20;

// Attribute code from the low bits of the file attributes: system, hidden,
// read-only, normal, archive and directory to the bits of the same names.
uint8_t PackAttributes(uint32_t fileAttributes);

// Size in KB as stored: bytes / 1024 truncated, 1 for a non-empty file below
// 1 KB, and the largest 32-bit value for files of 4 TB or more (which would
// otherwise wrap to a small, wrong size).
uint32_t SizeInKB(uint64_t bytes);

}  // namespace filvex
