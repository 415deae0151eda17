// Fuzz target for the console reader: any bytes as console input, read in the
// order the dialogue reads them (name, then range and answer in turn).
//
// It stops the run when a read returns something other than the four
// statuses, when a value read is neither left as it was nor a double some
// piece of the input could give, or when reading the same bytes in small
// chunks gives a different outcome than reading them whole. Crashes and hangs
// are the fuzzer's and the sanitizers' to find.
#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "probe/fp_env.h"
#include "textio/console_input.h"
#include "textio/input.h"
#include "string_source.h"

namespace {

using ulpscope::textio::byte_source;
using ulpscope::textio::console_input;
using ulpscope::textio::read_status;

using chunked_source = test_support::string_source;

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "console_reader_fuzz: %s\n", what);
  std::abort();
}

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }
bool is_nan_bits(std::uint64_t value) { return (value & 0x7FFFFFFFFFFFFFFF) > 0x7FF0000000000000; }

// Signalling NaNs with a payload: no answer can produce them.
constexpr std::array<std::uint64_t, 3> sentinels = {0x7FF0DEAD00000001, 0x7FF0DEAD00000002,
                                                    0x7FF0DEAD00000003};

bool ends_piece(char byte) {
  return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n' || byte == ',' || byte == '/' ||
         byte == ')';
}

// The double one piece of the input stands for, converted independently of
// the reader: a repeat count dropped, D and Q made E, a letterless signed
// exponent given its E, then the C library's strtod.
bool convert_piece(std::string piece, std::uint64_t& value_bits) {
  const std::size_t star = piece.find('*');
  if (star != std::string::npos) piece.erase(0, star + 1);
  bool has_letter = false;
  for (std::size_t index = 0; index < piece.size(); ++index) {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(piece[index])));
    if (lower == 'd' || lower == 'q' || lower == 'e') {
      piece[index] = 'e';
      has_letter = true;
    }
  }
  const std::size_t sign = piece.find_first_of("+-", 1);
  if (!has_letter && sign != std::string::npos) piece.insert(sign, 1, 'e');
  if (piece.empty()) return false;
  char* end = nullptr;
  double value = 0.0;
  {
    const ulpscope::probe::conversion_modes modes;
    value = std::strtod(piece.c_str(), &end);
  }
  if (end != piece.c_str() + piece.size()) return false;
  value_bits = bits(value);
  return true;
}

// Every double some piece of the input could give.
std::vector<std::uint64_t> doubles_of_pieces(std::string_view input) {
  std::vector<std::uint64_t> values;
  std::size_t begin = 0;
  while (begin < input.size()) {
    std::size_t end = begin;
    while (end < input.size() && !ends_piece(input[end])) ++end;
    std::uint64_t value = 0;
    if (end > begin && convert_piece(std::string(input.substr(begin, end - begin)), value)) {
      values.push_back(value);
    }
    begin = end + 1;
  }
  return values;
}

bool could_give(const std::vector<std::uint64_t>& candidates, std::uint64_t value) {
  return std::any_of(candidates.begin(), candidates.end(), [value](std::uint64_t candidate) {
    return candidate == value || (is_nan_bits(candidate) && is_nan_bits(value));
  });
}

void require_known_status(read_status status) {
  require(status == read_status::ok || status == read_status::end_of_input ||
              status == read_status::syntax_error || status == read_status::conversion_error,
          "a read returned an unknown status");
}

// What a run of reads returned: each status, each text, the values after each range.
std::vector<std::uint64_t> read_like_the_dialogue(std::string_view input, std::size_t chunk,
                                                  std::vector<std::uint64_t>& candidates,
                                                  bool& candidates_ready) {
  chunked_source source(input, chunk);
  console_input in(source);
  std::vector<std::uint64_t> trace;
  std::array<char, 260> name{};
  read_status status = ulpscope::textio::read_console_text(in, name);
  require_known_status(status);
  trace.push_back(static_cast<std::uint64_t>(status));
  trace.push_back(static_cast<unsigned char>(name[0]));
  std::array<double, 3> range{};
  std::transform(sentinels.begin(), sentinels.end(), range.begin(),
                 [](std::uint64_t sentinel) { return std::bit_cast<double>(sentinel); });
  while (status == read_status::ok) {
    const std::array<double, 3> before = range;
    status = ulpscope::textio::read_console_doubles(in, range);
    require_known_status(status);
    trace.push_back(static_cast<std::uint64_t>(status));
    if (status != read_status::ok) break;
    for (std::size_t index = 0; index < range.size(); ++index) {
      trace.push_back(bits(range[index]));
      if (bits(range[index]) == bits(before[index])) continue;
      if (!candidates_ready) {
        candidates = doubles_of_pieces(input);
        candidates_ready = true;
      }
      require(could_give(candidates, bits(range[index])), "a value no piece of the input gives");
    }
    std::array<char, 1> answer{};
    status = ulpscope::textio::read_console_text(in, answer);
    require_known_status(status);
    trace.push_back(static_cast<std::uint64_t>(status));
    trace.push_back(static_cast<unsigned char>(answer[0]));
  }
  return trace;
}

}  // namespace

// The tool reads its answers with flush-to-zero and denormals-are-zero on.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ulpscope::probe::set_run_modes();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::uint64_t> candidates;
  bool candidates_ready = false;
  const auto whole = read_like_the_dialogue(input, input.size() + 1, candidates, candidates_ready);
  const std::size_t chunk = size == 0 ? 1 : 1 + data[0] % 5;
  const auto chunked = read_like_the_dialogue(input, chunk, candidates, candidates_ready);
  require(whole == chunked, "reading in small chunks changed the outcome");
  return 0;
}
