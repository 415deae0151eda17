// The status line's figures and when it is drawn.
#include "dialogue/progress.h"

#include <array>
#include <string_view>

namespace ulpscope::dialogue {
namespace {

constexpr auto first_draw_after = std::chrono::seconds(1);
constexpr auto redraw_every = std::chrono::milliseconds(250);

std::string digits(std::uint64_t value) { return std::to_string(value); }

// 999 -> "999 B", 35612345 -> "35.6 MB": decimal prefixes, one decimal, cut.
std::string scaled(std::uint64_t value, std::string_view unit) {
  constexpr std::array<std::string_view, 7> prefixes{"", "k", "M", "G", "T", "P", "E"};
  std::size_t prefix = 0;
  std::uint64_t scale = 1;
  while (prefix + 1 < prefixes.size() && value / scale >= 1000) {
    scale *= 1000;
    ++prefix;
  }
  std::string text;
  if (prefix == 0) {
    text = digits(value);
  } else {
    const std::uint64_t tenths = value / (scale / 10);
    text = digits(tenths / 10) + "." + digits(tenths % 10);
  }
  text += ' ';
  text += prefixes[prefix];
  text += unit;
  return text;
}

std::string two_digits(std::int64_t value) {
  std::string text = std::to_string(value);
  if (text.size() < 2) text.insert(text.begin(), '0');
  return text;
}

// 133 -> "2:13", 7384 -> "2:03:04".
std::string duration(std::int64_t seconds) {
  const std::int64_t hours = seconds / 3600;
  const std::int64_t minutes = seconds / 60 % 60;
  const std::string rest = two_digits(seconds % 60);
  if (hours == 0) return std::to_string(minutes) + ":" + rest;
  return std::to_string(hours) + ":" + two_digits(minutes) + ":" + rest;
}

}  // namespace

std::string status_text(const sweep_figures& f) {
  const std::int64_t done = f.done > 0 ? f.done : 0;
  const std::int64_t count = f.count > done ? f.count : done;
  const std::int64_t tenths = count > 0 ? done * 1000 / count : 1000;
  std::string text = std::to_string(done) + " of " + std::to_string(count) + " x (" + std::to_string(tenths / 10) +
                     "." + std::to_string(tenths % 10) + "%), " + scaled(f.bytes, "B");
  if (f.elapsed_ms <= 0 || done == 0) return text;
  text += ", " + scaled(static_cast<std::uint64_t>(done * 1000 / f.elapsed_ms), "x/s");
  text += ", " + duration((count - done) * f.elapsed_ms / done / 1000) + " left";
  return text;
}

sweep_progress::sweep_progress(textio::streams& io)
    : io_(io), shown_(io.can_show_status()), start_(clock::now()), next_draw_(start_ + first_draw_after) {}

void sweep_progress::swept(std::int32_t done, std::int32_t count) {
  const clock::time_point now = clock::now();
  if (now < next_draw_) return;
  next_draw_ = now + redraw_every;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
  io_.show_status(status_text({done, count, io_.results_bytes(), elapsed.count()}));
}

}  // namespace ulpscope::dialogue
