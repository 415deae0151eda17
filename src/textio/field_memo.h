// The texts of number fields rendered lately (a direct-mapped table of 32), kept by whoever renders records
// (the sweep) and handed to write_formatted_record; sinks never see it.
//
//   memo.find(0.1, scientific(22, 15), 22)  -> nullptr, until
//   memo.remember(0.1, scientific(22, 15), 22, " 1.000000000000000D-01")
//   memo.find(0.1, scientific(22, 15), 22)  -> " 1.000000000000000D-01"
//
// The one fact to know: a field's text is a function of the value's bits and
// the field alone, so a remembered text is the one rendering again would
// give. A sweep shows many values twice (x2 = x, x3 = x, x1 - x = u) and the
// same u for a whole binade.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "textio/byte_copy.h"
#include "textio/format.h"

namespace ulpscope::textio {

class field_memo {
 public:
  static constexpr int max_width = 24;  // wider fields are not remembered

  // The remembered text (`width` characters) of `field` for `value`, or nullptr.
  // Inline: the interpreter asks for every number field it meets.
  const char* find(double value, const layout_item& field, int width) const {
    if (width <= 0 || width > max_width) return nullptr;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::uint32_t key = field_key(field, width);
    const entry& slot = entries_[slot_of(bits, key)];
    return slot.field == key && slot.bits == bits ? slot.text.data() : nullptr;
  }

  // A value that meets another in its slot takes the slot.
  void remember(double value, const layout_item& field, int width, const char* text) {
    if (width <= 0 || width > max_width) return;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::uint32_t key = field_key(field, width);
    entry& slot = entries_[slot_of(bits, key)];
    slot.bits = bits;
    slot.field = key;
    detail::copy_bytes(slot.text.data(), text, static_cast<std::size_t>(width));
  }

 private:
  static constexpr int slot_bits = 5;

  // The key of a field: kind, width, digits and letter; never 0, as the kind
  // of a number field is not 0.
  static std::uint32_t field_key(const layout_item& field, int width) {
    return static_cast<std::uint32_t>(field.op) << 24 | static_cast<std::uint32_t>(width) << 16 |
           static_cast<std::uint32_t>(field.digits & 0xFF) << 8 | static_cast<unsigned char>(field.letter);
  }

  // The slot of a value in a field. The values of a sweep differ mostly in
  // their low bits, and the fields of one record in the key: multiplying by
  // 2^64 / phi (Fibonacci hashing) carries both into the top bits, which pick
  // the slot.
  static std::size_t slot_of(std::uint64_t bits, std::uint32_t key) {
    return static_cast<std::size_t>(((bits ^ key) * 0x9E3779B97F4A7C15ull) >> (64 - slot_bits));
  }

  struct entry {
    std::uint64_t bits = 0;
    std::uint32_t field = 0;  // 0: empty
    std::array<char, max_width> text{};
  };
  std::array<entry, std::size_t{1} << slot_bits> entries_{};
};

}  // namespace ulpscope::textio
