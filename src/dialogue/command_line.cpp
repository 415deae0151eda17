// The answers to the command line. They are read by shells and scripts, not
// by the dialogue's console, so their lines end with LF alone.
#include "dialogue/command_line.h"

#include <string>
#include <string_view>

#include "textio/streams.h"

namespace ulpscope::dialogue {
namespace {

constexpr std::string_view usage_text =
    "Usage: ulpscope [--help | --version]\n"
    "\n"
    "Shows, value by value, where binary64 doubles stop telling their neighbours\n"
    "apart: for every x of a range, its fraction, exponent and ULP(x), and whether\n"
    "x + ULP(x), x + ULP(x)/2 and x + ULP(x)/4 still differ from x.\n"
    "\n"
    "Without arguments it asks, on standard input, for\n"
    "  1. a base name: every result goes to the file <name>.rez;\n"
    "  2. a range \"xStart xEnd xStep\" (an xEnd of 0 stops at once);\n"
    "  3. whether another range follows (Y or y), after each range;\n"
    "and ends with a wait for a key at the terminal.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this text and exit\n"
    "  -V, --version  show the version and exit\n"
    "\n"
    "Exit status: 0 at the normal end and when xEnd is 0; after a failed open,\n"
    "read or write, the number of its diagnostic (9 to 64); 1 after control-\\,\n"
    "2 when the terminal hangs up or an argument is wrong. Control-C ends the run\n"
    "by SIGINT (130 in a shell; STATUS_CONTROL_C_EXIT on Windows).\n"
    "\n"
    "See man ulpscope.\n";

constexpr std::string_view version_text = "ulpscope " ULPSCOPE_VERSION "\n";

bool is_one_of(std::string_view argument, std::string_view short_form, std::string_view long_form) {
  return argument == short_form || argument == long_form;
}

// The refused argument goes between the quotes. One text, copied whole:
// built from pieces, the compiler stores fragments of them that overlap into
// misspellings a package checker finds in the binary.
constexpr std::string_view refusal = "ulpscope: unexpected argument '' (usage: ulpscope [--help | --version])\n";

std::string usage_error(std::string_view argument) {
  std::string message(refusal);
  return message.insert(refusal.find('\'') + 1, argument);
}

// Standard output that fails takes the write diagnostic of console output.
int show(platform::system_interface& system, std::string_view text) {
  if (system.write_console(text)) return 0;
  const auto number = textio::severe::write_failure;
  system.write_error(textio::severe_diagnostic(number, textio::console_output_unit, textio::console_output_name));
  return static_cast<int>(number);
}

}  // namespace

std::optional<int> answer_command_line(platform::system_interface& system, std::span<const char* const> arguments) {
  if (arguments.empty()) return std::nullopt;
  const std::string_view first = arguments.front();
  if (arguments.size() == 1 && is_one_of(first, "-h", "--help")) return show(system, usage_text);
  if (arguments.size() == 1 && is_one_of(first, "-V", "--version")) return show(system, version_text);
  const bool first_is_known = is_one_of(first, "-h", "--help") || is_one_of(first, "-V", "--version");
  system.write_error(usage_error(first_is_known ? std::string_view(arguments[1]) : first));
  return usage_error_status;
}

}  // namespace ulpscope::dialogue
