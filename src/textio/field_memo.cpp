// The field memo: a direct-mapped table of 32 texts, keyed by the value's
// bits and the field.
#include "textio/field_memo.h"

#include <bit>

#include "textio/byte_copy.h"
#include "textio/format.h"

namespace ulpscope::textio {
namespace {

// The key of a field: kind, width, digits and letter; never 0, as the kind of
// a number field is not 0.
std::uint32_t field_key(const layout_item& field, int width) {
  return static_cast<std::uint32_t>(field.op) << 24 | static_cast<std::uint32_t>(width) << 16 |
         static_cast<std::uint32_t>(field.digits & 0xFF) << 8 | static_cast<unsigned char>(field.letter);
}

// The slot of a value in a field. The values of a sweep differ mostly in their
// low bits, and the fields of one record in the key: multiplying by 2^64 / phi
// (Fibonacci hashing) carries both into the top bits, which pick the slot.
std::size_t slot_of(std::uint64_t bits, std::uint32_t key, int slot_bits) {
  return static_cast<std::size_t>(((bits ^ key) * 0x9E3779B97F4A7C15ull) >> (64 - slot_bits));
}

}  // namespace

const char* field_memo::find(double value, const layout_item& field, int width) const {
  if (width <= 0 || width > max_width) return nullptr;
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const std::uint32_t key = field_key(field, width);
  const entry& slot = entries_[slot_of(bits, key, slot_bits)];
  return slot.field == key && slot.bits == bits ? slot.text.data() : nullptr;
}

// A value that meets another in its slot takes the slot.
void field_memo::remember(double value, const layout_item& field, int width, const char* text) {
  if (width <= 0 || width > max_width) return;
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const std::uint32_t key = field_key(field, width);
  entry& slot = entries_[slot_of(bits, key, slot_bits)];
  slot.bits = bits;
  slot.field = key;
  detail::copy_bytes(slot.text.data(), text, static_cast<std::size_t>(width));
}

}  // namespace ulpscope::textio
