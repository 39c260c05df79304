// Storage for many small texts that live as long as their table: they are
// packed one after another into large blocks, so a text costs its bytes and
// nothing more, and it never moves once stored.
#ifndef KAVEL_SUPPORT_TEXT_ARENA_H_
#define KAVEL_SUPPORT_TEXT_ARENA_H_

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace kavel {

class text_arena {
 public:
  text_arena() = default;
  text_arena(text_arena&& o) noexcept { *this = std::move(o); }
  text_arena& operator=(text_arena&& o) noexcept {
    blocks_ = std::move(o.blocks_);
    free_ = o.free_;
    left_ = o.left_;
    next_size_ = o.next_size_;
    first_size_ = o.first_size_;
    o.clear();
    return *this;
  }
  // Room for `n` bytes that stay where they are; filled by the caller.
  char* room(size_t n) {
    if (n > left_)
      next_block(n);
    char* at = free_;
    free_ += n;
    left_ -= n;
    return at;
  }
  // A copy of `s` with a NUL after it.
  const char* add(std::string_view s) {
    char* at = room(s.size() + 1);
    if (!s.empty())
      std::memcpy(at, s.data(), s.size());
    at[s.size()] = 0;
    return at;
  }
  void clear() {
    blocks_.clear();
    free_ = nullptr;
    left_ = 0;
    next_size_ = kFirstBlock;
  }
  // Forgets every text but keeps the first block for the next ones.
  void reuse() {
    if (blocks_.empty())
      return;
    blocks_.resize(1);
    free_ = blocks_[0].get();
    left_ = first_size_;
    next_size_ = 2 * kFirstBlock;
  }

 private:
  // Blocks start small, for the many tables that hold a few names, and
  // double up to a size whose tail, left unused, costs little.
  static constexpr size_t kFirstBlock = 256;
  static constexpr size_t kLastBlock = size_t{1} << 16;
  [[gnu::noinline]] void next_block(size_t n) {
    size_t size = next_size_ < n ? n : next_size_;
    if (next_size_ < kLastBlock)
      next_size_ *= 2;
    blocks_.emplace_back(new char[size]);
    if (blocks_.size() == 1)
      first_size_ = size;
    free_ = blocks_.back().get();
    left_ = size;
  }
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  size_t left_ = 0;
  size_t next_size_ = kFirstBlock;
  size_t first_size_ = 0;
};

}  // namespace kavel

#endif  // KAVEL_SUPPORT_TEXT_ARENA_H_
