#pragma once
// The path and name texts of hit records.
//
// A search can make tens of thousands of records at once, and two heap
// strings per record (a path is longer than the short-string room) made the
// records cost several times the scan that found them, both to make and, at
// the next search, to free. A RecordText is instead a place in a shared,
// reference-counted block: a search writes its records' texts end to end
// into blocks of kRecordTextBlock bytes (one allocation per few hundred
// records), and a record's name is the tail of its path's own bytes. A block
// is given back with the last text that uses it, and kept for the next
// search. A text assigned on its own (a folder view row, a drive, a test)
// takes a block of its own size.
//
// The text never changes once made; copying a record shares its texts.
// Every text is followed by a NUL, so c_str() costs nothing. The counts are
// atomic: records are made on a search worker and copied, kept and freed on
// the window thread.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

namespace filvex {

constexpr size_t kRecordTextBlock = 16 * 1024;

namespace detail {
struct TextBlock {
  std::atomic<uint32_t> refs;
  uint32_t capacity;
  char* bytes() { return reinterpret_cast<char*>(this + 1); }

  static TextBlock* Make(size_t capacity, uint32_t refs);
  static void Release(TextBlock* b, uint32_t count = 1) {
    if (b && b->refs.fetch_sub(count, std::memory_order_acq_rel) == count) Free(b);
  }
  static void Free(TextBlock* b);
};
}  // namespace detail

class RecordText {
 public:
  RecordText() = default;
  RecordText(std::string_view t);                                        // NOLINT: reads as a text
  RecordText(const std::string& t) : RecordText(std::string_view(t)) {}  // NOLINT
  RecordText(const char* t) : RecordText(std::string_view(t)) {}         // NOLINT
  RecordText(const RecordText& o) noexcept : block_(o.block_), off_(o.off_), len_(o.len_) {
    if (block_) block_->refs.fetch_add(1, std::memory_order_relaxed);
  }
  RecordText(RecordText&& o) noexcept : block_(o.block_), off_(o.off_), len_(o.len_) {
    o.block_ = nullptr;
    o.off_ = o.len_ = 0;
  }
  RecordText& operator=(const RecordText& o) noexcept {
    RecordText copy(o);
    swap(copy);
    return *this;
  }
  RecordText& operator=(RecordText&& o) noexcept {
    RecordText moved(std::move(o));
    swap(moved);
    return *this;
  }
  RecordText& operator=(std::string_view t) { return *this = RecordText(t); }
  RecordText& operator=(const std::string& t) { return *this = RecordText(t); }
  RecordText& operator=(const char* t) { return *this = RecordText(t); }
  ~RecordText() { detail::TextBlock::Release(block_); }

  void clear() { *this = RecordText(); }
  void swap(RecordText& o) noexcept {
    std::swap(block_, o.block_);
    std::swap(off_, o.off_);
    std::swap(len_, o.len_);
  }

  const char* data() const { return block_ ? block_->bytes() + off_ : ""; }
  const char* c_str() const { return data(); }
  size_t size() const { return len_; }
  bool empty() const { return len_ == 0; }
  std::string_view view() const { return std::string_view(data(), len_); }
  operator std::string_view() const { return view(); }  // NOLINT: reads as a text
  std::string str() const { return std::string(view()); }
  std::string substr(size_t pos, size_t n = std::string::npos) const {
    return std::string(view().substr(pos, n));
  }
  const char* begin() const { return data(); }
  const char* end() const { return data() + len_; }
  char operator[](size_t i) const { return data()[i]; }
  char back() const { return data()[len_ - 1]; }

  // The last n bytes, sharing this text's block (so it too ends in a NUL).
  RecordText tail(size_t n) const;

  friend bool operator==(const RecordText& a, const RecordText& b) { return a.view() == b.view(); }
  friend bool operator==(const RecordText& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const RecordText& a, const std::string& b) { return a.view() == b; }
  friend bool operator==(const RecordText& a, const char* b) {
    return a.view() == std::string_view(b);
  }
  friend std::string operator+(const RecordText& a, std::string_view b) {
    std::string s(a.view());
    s.append(b);
    return s;
  }
  friend std::ostream& operator<<(std::ostream& o, const RecordText& t) { return o << t.view(); }

 private:
  friend class RecordTextWriter;
  friend class RecordTextReleaser;
  // Takes one reference of the block, already counted by the caller.
  RecordText(detail::TextBlock* b, uint32_t off, uint32_t len) : block_(b), off_(off), len_(len) {}

  detail::TextBlock* block_ = nullptr;
  uint32_t off_ = 0;
  uint32_t len_ = 0;
};

// Lets go of many texts with one atomic step per run of texts that share a
// block, instead of one per text: freeing the records of a large search
// costs about a third as much. Texts given to it are left empty at once;
// the counts are given back at the latest when the releaser ends.
class RecordTextReleaser {
 public:
  RecordTextReleaser() = default;
  RecordTextReleaser(const RecordTextReleaser&) = delete;
  RecordTextReleaser& operator=(const RecordTextReleaser&) = delete;
  ~RecordTextReleaser() { flush(); }

  void release(RecordText& t) {
    if (!t.block_) return;
    if (t.block_ != block_) {
      flush();
      block_ = t.block_;
    }
    ++count_;
    t.block_ = nullptr;
    t.off_ = t.len_ = 0;
  }
  void flush() {
    detail::TextBlock::Release(block_, count_);
    block_ = nullptr;
    count_ = 0;
  }

 private:
  detail::TextBlock* block_ = nullptr;
  uint32_t count_ = 0;
};

// Writes the texts of many records into shared blocks; used by one thread
// (a search) at a time. The references it hands out are counted in one step
// per block: a new block starts with a large count, and the part of it not
// handed out is given back when the block is full or the writer ends, so
// making a text costs no atomic operation.
class RecordTextWriter {
 public:
  RecordTextWriter() = default;
  RecordTextWriter(const RecordTextWriter&) = delete;
  RecordTextWriter& operator=(const RecordTextWriter&) = delete;
  ~RecordTextWriter() { retire(); }

  // The text a + b + c (any may be empty), and the text of its last tailLen
  // bytes (at most the whole), both in the same block. Inline: a search
  // calls it for every record it keeps.
  void write(std::string_view a, std::string_view b, std::string_view c, size_t tailLen,
             RecordText* whole, RecordText* tail) {
    const size_t len = a.size() + b.size() + c.size();
    *whole = RecordText();
    *tail = RecordText();
    if (len == 0) return;
    if (!block_ || block_->capacity - used_ < len + 1) startBlock(len + 1);
    char* at = block_->bytes() + used_;
    if (!a.empty()) std::memcpy(at, a.data(), a.size());
    at += a.size();
    if (!b.empty()) std::memcpy(at, b.data(), b.size());
    at += b.size();
    if (!c.empty()) std::memcpy(at, c.data(), c.size());
    at[c.size()] = '\0';
    const uint32_t off = static_cast<uint32_t>(used_);
    used_ += len + 1;
    tailLen = tailLen < len ? tailLen : len;
    handedOut_ += tailLen ? 2 : 1;
    *whole = RecordText(block_, off, static_cast<uint32_t>(len));
    if (tailLen)
      *tail = RecordText(block_, off + static_cast<uint32_t>(len - tailLen),
                         static_cast<uint32_t>(tailLen));
  }

 private:
  static constexpr uint32_t kBias = 1u << 30;
  // Gives the current block back and starts one with room for `need` bytes.
  void startBlock(size_t need);
  void retire();
  detail::TextBlock* block_ = nullptr;
  size_t used_ = 0;
  uint32_t handedOut_ = 0;
};

}  // namespace filvex
