#include "results/record_text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace filvex {

namespace detail {

TextBlock* TextBlock::Make(size_t capacity, uint32_t refs) {
  if (capacity > std::numeric_limits<uint32_t>::max()) throw std::length_error("record text");
  void* mem = ::operator new(sizeof(TextBlock) + capacity);
  TextBlock* b = new (mem) TextBlock;
  b->refs.store(refs, std::memory_order_relaxed);
  b->capacity = static_cast<uint32_t>(capacity);
  return b;
}

void TextBlock::Free(TextBlock* b) {
  b->~TextBlock();
  ::operator delete(b);
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

void RecordTextWriter::write(std::string_view a, std::string_view b, std::string_view c,
                             size_t tailLen, RecordText* whole, RecordText* tail) {
  const size_t len = a.size() + b.size() + c.size();
  tailLen = std::min(tailLen, len);
  *whole = RecordText();
  *tail = RecordText();
  if (len == 0) return;
  if (!block_ || block_->capacity - used_ < len + 1) {
    retire();
    block_ = detail::TextBlock::Make(std::max(kRecordTextBlock, len + 1), kBias);
  }
  char* at = block_->bytes() + used_;
  if (!a.empty()) std::memcpy(at, a.data(), a.size());
  if (!b.empty()) std::memcpy(at + a.size(), b.data(), b.size());
  if (!c.empty()) std::memcpy(at + a.size() + b.size(), c.data(), c.size());
  at[len] = '\0';
  const uint32_t off = static_cast<uint32_t>(used_);
  used_ += len + 1;
  handedOut_ += tailLen ? 2 : 1;
  *whole = RecordText(block_, off, static_cast<uint32_t>(len));
  if (tailLen)
    *tail = RecordText(block_, off + static_cast<uint32_t>(len - tailLen),
                       static_cast<uint32_t>(tailLen));
}

}  // namespace filvex
