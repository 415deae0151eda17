// Fuzz target for the whole dialogue: any bytes as standard input, run over
// the in-memory system (no files on disk, no terminal).
//
// Every run must end in one of the ways the tool promises: a status from the
// list of ends, no diagnostic at status 0 and exactly one, with the number,
// unit and file that status calls for, otherwise; the key wait only at the
// normal end; no file created but the one named, a replaced file without its
// old lines, a read-only file unchanged. The same bytes arriving in small
// pieces must give the same run.
//
// The one fact to know: output of all kinds together is limited to
// `output_limit` bytes (the memory system's write_bytes_left), after which
// writes fail, so a sweep of any length ends soon with 38 instead of running
// for hours. The system is set up with a few names that fail in each way
// (see prepared_system); the seed corpus and dialogue.dict name them.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "dialogue/dialogue.h"
#include "memory_system.h"
#include "probe/fp_env.h"

namespace {

using test_support::memory_system;
namespace platform = ulpscope::platform;

constexpr std::size_t output_limit = 16384;
constexpr std::string_view mem_folder = "/mem/";
constexpr std::string_view name_prompt = "Input file name (NO extension): ";
constexpr std::string_view range_prompt = " Input xStart, xEnd (0=stop), xStep: ";
constexpr std::string_view first_record = " Model: x =s*2^exponent*fractie\r\n";
constexpr std::string_view stale_line = "stale line of an older run\r\n";
constexpr std::string_view read_only_content = "read-only content\r\n";

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "dialogue_fuzz: %s\n", what);
  std::abort();
}

struct refused_name {
  const char* name;
  platform::open_error error;
  int status;
};

constexpr std::array refused_names{
    refused_name{"p9.rez", platform::open_error::access_denied, 9},
    refused_name{"p29.rez", platform::open_error::not_found, 29},
    refused_name{"p30.rez", platform::open_error::other, 30},
    refused_name{"p42.rez", platform::open_error::no_device, 42},
    refused_name{"p43.rez", platform::open_error::bad_name, 43},
};

struct message {
  int status;
  std::string_view text;
};

constexpr std::array messages{
    message{9, "permission to access file denied"}, message{24, "end-of-file during read"},
    message{29, "file not found"},                  message{30, "open failure"},
    message{38, "error during write"},              message{42, "no such device"},
    message{43, "file name specification error"},   message{47, "write to READONLY file"},
    message{59, "list-directed I/O syntax error"},  message{64, "input conversion error"},
};

std::string diagnostic(int status, int unit, std::string_view file) {
  const auto* found =
      std::find_if(messages.begin(), messages.end(), [status](const message& m) { return m.status == status; });
  require(found != messages.end(), "a status outside the list of ends");
  return "ulpscope: severe (" + std::to_string(status) + "): " + std::string(found->text) + ", unit " +
         std::to_string(unit) + ", file " + std::string(file) + "\r\n";
}

// A system with an older file to replace, a read-only file and the refusals.
memory_system prepared_system(std::string_view input, std::size_t chunk) {
  memory_system system;
  system.input = std::string(input);
  system.input_chunk = chunk;
  system.write_bytes_left = output_limit;
  std::string stale;
  for (int line = 0; line < 200; ++line) stale += stale_line;
  system.files["old.rez"].content = stale;
  system.files["ro.rez"] = {std::string(read_only_content), true, 0};
  for (const refused_name& refused : refused_names) system.refusals[refused.name] = refused.error;
  return system;
}

// What the first input line makes of the results file, worked out here from
// the rules for names, independently of the dialogue.
struct named_file {
  bool has_line = false;
  std::string field;    // the 260-character results-file name field, trailing blanks dropped
  std::string name;     // the name the open uses
  std::string shown;    // the name diagnostics show
  bool refused = false;  // a name the tool itself refuses (43)
  bool console = false;  // the CON device
};

std::string without_trailing_blanks(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

named_file name_of(std::string_view input) {
  named_file named;
  if (input.empty()) return named;
  named.has_line = true;
  std::string_view line = input.substr(0, input.find('\n'));
  if (line.size() < input.size() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  // Base name: 260 bytes; results field: base without trailing blanks, ".rez", 260 bytes.
  std::string base(line.substr(0, 260));
  base.resize(260, ' ');
  named.field = (without_trailing_blanks(base) + ".rez").substr(0, 260);
  std::string name = named.field.substr(0, 256);
  name.erase(0, std::min(name.find_first_not_of(' '), name.size()));
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
  named.name = name;
  // An empty base name opens ".rez"; the tool refuses a name the cut to 256
  // characters changed, and one with a NUL byte.
  named.refused = named.field.size() > 256 || name.find('\0') != std::string::npos;
  const std::string before_extension = name.substr(0, name.rfind('.'));
  // A refused name is shown by its full path even when it would address CON
  // ("CON" and NULs up to the cut).
  std::string device = before_extension;
  for (char& c : device) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  named.console = !named.refused && device == "con";
  const std::string full_path = std::string(mem_folder) + name;
  named.shown = named.console || full_path.size() > 256 ? name : full_path;
  return named;
}

struct run_outcome {
  int status = -1;
  memory_system system;
};

run_outcome run_dialogue(std::string_view input, std::size_t chunk) {
  run_outcome outcome{-1, prepared_system(input, chunk)};
  const std::uint32_t saved = ulpscope::probe::current_modes();
  ulpscope::probe::set_run_modes();
  outcome.status = ulpscope::dialogue::run(outcome.system);
  ulpscope::probe::restore_modes(saved);
  return outcome;
}

bool ends_with(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The status the opened name decides, or 0 when it decides none.
int status_of_name(const named_file& named) {
  if (named.refused) return 43;
  for (const refused_name& refused : refused_names)
    if (named.name == refused.name) return refused.status;
  return named.name == "ro.rez" ? 47 : 0;
}

void check_ends(const run_outcome& run, const named_file& named) {
  const memory_system& system = run.system;
  require(system.output.rfind(name_prompt, 0) == 0, "the run does not begin with the name prompt");
  const int by_name = named.has_line ? status_of_name(named) : 24;
  if (by_name != 0) require(run.status == by_name, "the name's own end did not happen");
  if (run.status == 0) {
    require(system.errors.empty(), "a diagnostic at status 0");
    require(system.key_waits <= 1, "more than one key wait");
    const std::string closing = "\r\nFisier de rezultate: " + named.field + "\r\n\r\nApasa orice tasta\r\n";
    require(system.key_waits == 1 ? ends_with(system.output, closing) : ends_with(system.output, range_prompt),
            "status 0 without the closing messages or the immediate stop");
    return;
  }
  require(system.key_waits == 0, "a key wait after a failure");
  bool expected = false;
  switch (run.status) {
    case 24:
    case 59:
    case 64: expected = system.errors == diagnostic(run.status, -4, "CONIN$"); break;
    case 38:
      expected = system.errors == diagnostic(38, -1, "CONOUT$") || system.errors == diagnostic(38, 1, named.shown);
      break;
    case 9:
    case 29:
    case 30:
    case 42:
    case 43:
    case 47: expected = by_name == run.status && system.errors == diagnostic(run.status, 1, named.shown); break;
    default: require(false, "a status outside the list of ends");
  }
  require(expected, "not the one diagnostic line this status calls for");
}

// Only a name the tool accepts, and not CON, reaches a file.
void check_files(const memory_system& system, const named_file& named) {
  const bool opened = named.has_line && !named.refused && !named.console;
  for (const auto& [name, file] : system.files) {
    if (name == "ro.rez") {
      require(file.content == read_only_content, "the read-only file changed");
    } else if (opened && name == named.name) {
      require(file.content.find(stale_line) == std::string::npos, "a replaced file kept old lines");
      require(file.content.empty() || file.content.rfind(first_record, 0) == 0,
              "a results file that does not begin with the first record");
    } else {
      require(name == "old.rez", "a file was created that was not opened");
      require(file.content.size() == 200 * stale_line.size(), "an older file not opened was touched");
    }
  }
}

bool same_run(const run_outcome& a, const run_outcome& b) {
  if (a.status != b.status || a.system.output != b.system.output || a.system.errors != b.system.errors) return false;
  if (a.system.files.size() != b.system.files.size()) return false;
  const auto same_file = [](const auto& x, const auto& y) {
    return x.first == y.first && x.second.content == y.second.content;
  };
  return std::equal(a.system.files.begin(), a.system.files.end(), b.system.files.begin(), same_file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const named_file named = name_of(input);
  const run_outcome whole = run_dialogue(input, 4096);
  check_ends(whole, named);
  check_files(whole.system, named);
  const std::size_t chunk = size == 0 ? 1 : 1 + data[0] % 7;
  require(same_run(whole, run_dialogue(input, chunk)), "reading in small pieces changed the run");
  return 0;
}
