// A caller's buffer of `buflen` bytes followed by guard bytes, to prove that a
// routine writing into (buffer, buflen) never touches anything past buflen.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

class GuardedBuffer {
public:
  static constexpr std::size_t guard_len = 64;
  static constexpr char fill_byte = 'Q';
  static constexpr char guard_byte = static_cast<char>(0xA5);

  explicit GuardedBuffer(std::size_t buflen) : buflen_(buflen), storage_(buflen, fill_byte) {
    storage_.insert(storage_.end(), guard_len, guard_byte);
  }

  char *data() { return storage_.data(); }
  std::size_t size() const { return buflen_; }

  // True when no byte after the first buflen was written.
  bool guards_intact() const {
    return std::all_of(storage_.begin() + static_cast<std::ptrdiff_t>(buflen_), storage_.end(),
                       [](char c) { return c == guard_byte; });
  }
  // True when not a single byte was written.
  bool untouched() const {
    return guards_intact() &&
           std::all_of(storage_.begin(), storage_.begin() + static_cast<std::ptrdiff_t>(buflen_),
                       [](char c) { return c == fill_byte; });
  }
  // The text written, up to its terminator inside the buffer.
  std::string text() const {
    const char *begin = storage_.data();
    const void *end = std::memchr(begin, '\0', buflen_);
    return end ? std::string(begin, static_cast<const char *>(end)) : std::string(begin, buflen_);
  }

private:
  std::size_t buflen_;
  std::vector<char> storage_;
};
