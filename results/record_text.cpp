#include "results/record_text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>
#include <vector>

namespace filvex {

namespace detail {

namespace {

#if defined(__SANITIZE_ADDRESS__)
// Under the address sanitizer every block is really freed, so that a text
// read after its block is gone is reported.
constexpr size_t kKeptBlocks = 0;
#else
constexpr size_t kKeptBlocks = 256;  // 4 MB
#endif

// Freed blocks of the common size, kept for the next search: a search of
// tens of thousands of hits writes a few hundred blocks, and under Wine
// each allocation and free of 16 KB costs about 10 us (2 ms a search).
// Blocks are made on a search worker and freed on the window thread.
class KeptBlocks {
 public:
  // The room is made at once: keeping a block happens inside a destructor,
  // where a failed allocation could not be reported.
  KeptBlocks() { blocks_.reserve(kKeptBlocks); }

  void* take() {
    std::lock_guard<std::mutex> hold(lock_);
    if (blocks_.empty()) return nullptr;
    void* b = blocks_.back();
    blocks_.pop_back();
    return b;
  }
  bool keep(void* b) {
    std::lock_guard<std::mutex> hold(lock_);
    if (blocks_.size() >= kKeptBlocks) return false;
    blocks_.push_back(b);
    return true;
  }

 private:
  std::mutex lock_;
  std::vector<void*> blocks_;
};

// Never destroyed: texts in static objects may be freed after the end of
// main, and the kept blocks go with the process.
KeptBlocks& Kept() {
  static KeptBlocks* kept = new KeptBlocks;
  return *kept;
}

}  // namespace

TextBlock* TextBlock::Make(size_t capacity, uint32_t refs) {
  if (capacity > std::numeric_limits<uint32_t>::max()) throw std::length_error("record text");
  void* mem = capacity == kRecordTextBlock ? Kept().take() : nullptr;
  if (!mem) mem = ::operator new(sizeof(TextBlock) + capacity);
  TextBlock* b = new (mem) TextBlock;
  b->refs.store(refs, std::memory_order_relaxed);
  b->capacity = static_cast<uint32_t>(capacity);
  return b;
}

void TextBlock::Free(TextBlock* b) {
  const bool common = b->capacity == kRecordTextBlock;
  b->~TextBlock();
  if (!common || !Kept().keep(b)) ::operator delete(b);
}

}  // namespace detail

RecordText::RecordText(std::string_view t) {
  if (t.empty()) return;
  block_ = detail::TextBlock::Make(t.size() + 1, /*refs=*/1);
  std::memcpy(block_->bytes(), t.data(), t.size());
  block_->bytes()[t.size()] = '\0';
  len_ = static_cast<uint32_t>(t.size());
}

RecordText RecordText::tail(size_t n) const {
  n = std::min<size_t>(n, len_);
  if (n == 0) return RecordText();
  block_->refs.fetch_add(1, std::memory_order_relaxed);
  return RecordText(block_, off_ + len_ - static_cast<uint32_t>(n), static_cast<uint32_t>(n));
}

void RecordTextWriter::retire() {
  if (block_) detail::TextBlock::Release(block_, kBias - handedOut_);
  block_ = nullptr;
  used_ = 0;
  handedOut_ = 0;
}

void RecordTextWriter::startBlock(size_t need) {
  retire();
  block_ = detail::TextBlock::Make(std::max(kRecordTextBlock, need), kBias);
}

}  // namespace filvex
