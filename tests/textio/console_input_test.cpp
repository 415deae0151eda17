// Tests of the line reader: where lines end, which bytes belong to them, and
// that lines far longer than its buffer pass through it whole.
//
// Every source here hands out its bytes in chunks of a chosen size, because
// the bugs worth finding sit where a line end falls across two reads.
#include "textio/console_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>
#include "string_source.h"

namespace ulpscope::textio {
namespace {

using test_support::string_source;

// `count` bytes made by `byte_at(index)`, then a fixed tail; nothing stored.
template <typename ByteAt>
class generated_source : public byte_source {
 public:
  generated_source(std::size_t count, ByteAt byte_at, std::string_view tail)
      : count_(count), byte_at_(byte_at), tail_(tail) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t written = 0;
    for (; written < size && position_ < count_; ++written) buffer[written] = byte_at_(position_++);
    const std::size_t from_tail = std::min(size - written, tail_.size());
    std::copy_n(tail_.data(), from_tail, buffer + written);
    tail_.remove_prefix(from_tail);
    return written + from_tail;
  }

 private:
  std::size_t count_;
  std::size_t position_ = 0;
  ByteAt byte_at_;
  std::string_view tail_;
};

constexpr std::size_t whole = 1 << 20;
constexpr std::size_t chunk_sizes[] = {1, 2, 3, 7, whole};

std::string rest_of_line(console_input& in) {
  std::string line;
  for (int byte = in.next(); byte != console_input::end_of_line; byte = in.next()) {
    line.push_back(static_cast<char>(byte));
  }
  return line;
}

std::vector<std::string> all_lines(byte_source& source) {
  console_input in(source);
  std::vector<std::string> lines;
  while (in.start_line()) lines.push_back(rest_of_line(in));
  return lines;
}

struct line_case {
  std::string input;
  std::vector<std::string> lines;
};

TEST(ConsoleInputTest, SplitsLinesAtLineFeedAndDropsTheCarriageReturnBeforeIt) {
  using namespace std::string_literals;
  const line_case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r\n", {"a"}},
      {"\n", {""}},
      {"\n\n", {"", ""}},
      {"\r\n\r\n", {"", ""}},
      {"a\rb\n", {"a\rb"}},          // a lone CR is a byte of the line
      {"a\r", {"a\r"}},              // also at the very end of input
      {"\r", {"\r"}},
      {"a\r\r\n", {"a\r"}},          // only the CR right before LF goes
      {"a\n\rb", {"a", "\rb"}},
      {"a\n\r\nb", {"a", "", "b"}},  // a last line without LF is a line
      {"one\ntwo\r\nthree", {"one", "two", "three"}},
      {" \t \n\n", {" \t ", ""}},
      {"\0\xff\x1a\n"s, {"\0\xff\x1a"s}},  // bytes are taken as they are
  };
  for (const line_case& item : cases) {
    for (const std::size_t chunk : chunk_sizes) {
      string_source source(item.input, chunk);
      EXPECT_EQ(all_lines(source), item.lines) << testing::PrintToString(item.input) << " chunk " << chunk;
    }
  }
}

TEST(ConsoleInputTest, StartLineDropsTheRestAndPeekLeavesTheByte) {
  for (const std::size_t chunk : chunk_sizes) {
    string_source source("abc\r\ndef\nxyz", chunk);
    console_input in(source);
    ASSERT_TRUE(in.start_line());
    EXPECT_EQ(in.peek(), 'a');
    EXPECT_EQ(in.peek(), 'a');
    EXPECT_EQ(in.next(), 'a');
    EXPECT_EQ(in.peek(), 'b');
    ASSERT_TRUE(in.start_line());  // "bc" dropped
    EXPECT_EQ(in.next(), 'd');
    ASSERT_TRUE(in.start_line());
    EXPECT_EQ(rest_of_line(in), "xyz");
    EXPECT_EQ(in.next(), console_input::end_of_line);  // stays at the end
    EXPECT_EQ(in.peek(), console_input::end_of_line);
    EXPECT_FALSE(in.start_line());
    EXPECT_FALSE(in.start_line());  // and the end of input stays too
    EXPECT_EQ(in.next(), console_input::end_of_line);
  }
}

// Line ends placed on both sides of the 64 KiB buffer edge, so that the CR of
// CR LF is the last byte in the buffer and the LF comes with the next read.
TEST(ConsoleInputTest, LineEndsAcrossTheBufferEdgeAndLinesLongerThanIt) {
  constexpr std::size_t buffer_size = 65536;
  const auto pattern = [](std::size_t index) { return static_cast<char>('a' + index % 26); };
  struct line_ending {
    std::string_view bytes;
    std::string_view kept;  // what of them stays in the line
  };
  const line_ending endings[] = {{"\r\n", ""}, {"\n", ""}, {"\rX\n", "\rX"}, {"\r\r\n", "\r"}};
  for (const std::size_t length : {buffer_size - 2, buffer_size - 1, buffer_size, buffer_size + 1,
                                   3 * buffer_size + 5}) {
    std::string long_line(length, ' ');
    for (std::size_t index = 0; index < length; ++index) long_line[index] = pattern(index);
    for (const line_ending& ending : endings) {
      const std::string input = long_line + std::string(ending.bytes) + "next\r\n";
      for (const std::size_t chunk : {std::size_t{1}, std::size_t{4093}, whole}) {
        string_source source(input, chunk);
        const std::vector<std::string> lines = all_lines(source);
        ASSERT_EQ(lines.size(), 2u) << length << " " << testing::PrintToString(ending.bytes) << " " << chunk;
        EXPECT_TRUE(lines[0] == long_line + std::string(ending.kept)) << length << " " << chunk;
        EXPECT_EQ(lines[1], "next");
      }
    }
  }
}

// A 10 MB line is read byte by byte, and skipped by start_line, without
// being held anywhere.
TEST(ConsoleInputTest, StreamsATenMegabyteLine) {
  constexpr std::size_t length = 10'000'000;
  const auto byte_at = [](std::size_t index) { return static_cast<char>('0' + index % 10); };
  {
    generated_source source(length, byte_at, "\r\nend\n");
    console_input in(source);
    ASSERT_TRUE(in.start_line());
    std::size_t count = 0;
    bool bytes_match = true;
    for (int byte = in.next(); byte != console_input::end_of_line; byte = in.next()) {
      bytes_match = bytes_match && byte == byte_at(count);
      ++count;
    }
    EXPECT_EQ(count, length);
    EXPECT_TRUE(bytes_match);
    ASSERT_TRUE(in.start_line());
    EXPECT_EQ(rest_of_line(in), "end");
    EXPECT_FALSE(in.start_line());
  }
  {
    generated_source source(length, byte_at, "\nend");
    console_input in(source);
    ASSERT_TRUE(in.start_line());
    EXPECT_EQ(in.next(), '0');
    ASSERT_TRUE(in.start_line());  // drops the remaining 9999999 bytes
    EXPECT_EQ(rest_of_line(in), "end");
  }
}

}  // namespace
}  // namespace ulpscope::textio
