// The texts of number fields rendered lately, kept by whoever renders records
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
#include <cstdint>

namespace ulpscope::textio {

struct layout_item;  // textio/format.h

class field_memo {
 public:
  static constexpr int max_width = 24;  // wider fields are not remembered

  // The remembered text (`width` characters) of `field` for `value`, or nullptr.
  const char* find(double value, const layout_item& field, int width) const;
  void remember(double value, const layout_item& field, int width, const char* text);

 private:
  static constexpr int slot_bits = 5;

  struct entry {
    std::uint64_t bits = 0;
    std::uint32_t field = 0;  // 0: empty
    std::array<char, max_width> text{};
  };
  std::array<entry, std::size_t{1} << slot_bits> entries_{};
};

}  // namespace ulpscope::textio
