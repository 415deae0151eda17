// Console input from a string, at most `chunk` bytes per read, so that tests
// and fuzzers can cut the input anywhere a real read could.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "textio/console_input.h"

namespace test_support {

class string_source final : public ulpscope::textio::byte_source {
 public:
  string_source(std::string_view text, std::size_t chunk) : text_(text), chunk_(chunk) {}
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, chunk_, text_.size()});
    std::copy_n(text_.data(), count, buffer);
    text_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view text_;
  std::size_t chunk_;
};

}  // namespace test_support
