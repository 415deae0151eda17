// Copies and blank fills of a few bytes, inline, for the record builders.
//
//   copy_bytes(out, "x1 >x", 5)  -> out holds "x1 >x"
//   fill_blanks(out, 3)          -> out holds "   "
//   fill_asterisks(out, 4)       -> out holds "****", returns 4
//
// The one fact to know: a record of a sweep is built right after the write
// of the one before it, when little of the C library is still in the caches,
// and its pieces are a few bytes each; fixed-size copies compile to moves.
#pragma once

#include <cstddef>
#include <cstring>

namespace ulpscope::textio::detail {

inline void copy_bytes(char* out, const char* in, std::size_t size) {
  for (; size >= 8; size -= 8, in += 8, out += 8) std::memcpy(out, in, 8);
  if ((size & 4) != 0) {
    std::memcpy(out, in, 4);
    out += 4;
    in += 4;
  }
  if ((size & 2) != 0) {
    std::memcpy(out, in, 2);
    out += 2;
    in += 2;
  }
  if ((size & 1) != 0) *out = *in;
}

inline void fill_blanks(char* out, std::size_t size) {
  constexpr char blanks[] = "        ";
  for (; size >= 8; size -= 8, out += 8) std::memcpy(out, blanks, 8);
  copy_bytes(out, blanks, size);
}

// A field too narrow for its value: `width` asterisks (none for a width of 0
// or less); returns the columns written.
inline std::size_t fill_asterisks(char* out, int width) {
  if (width <= 0) return 0;
  std::memset(out, '*', static_cast<std::size_t>(width));
  return static_cast<std::size_t>(width);
}

}  // namespace ulpscope::textio::detail
