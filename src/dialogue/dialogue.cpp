// The dialogue: name, results file, then one range after another, each swept
// x by x, until a range end of 0 stops at once or an answer other than Y or y
// closes the file and waits for a key.
//
// The range end is compared with zero under the run modes, so a subnormal end
// stops the run like 0 does.
#include "dialogue/dialogue.h"

#include <array>
#include <cstdint>

#include "dialogue/progress.h"
#include "dialogue/sweep.h"
#include "report/records.h"
#include "textio/format.h"
#include "textio/results_name.h"
#include "textio/streams.h"

namespace ulpscope::dialogue {
namespace {

using textio::record_sink;
using namespace textio::layout_items;

constexpr std::string_view name_prompt = "Input file name (NO extension): ";
constexpr std::string_view range_prompt = " Input xStart, xEnd (0=stop), xStep: ";
constexpr std::string_view another_range_prompt = " Another Range? (Y,y / char):";
constexpr std::string_view results_file_message = "Fisier de rezultate: ";
constexpr std::string_view key_message = "Apasa orice tasta";

constexpr std::array held_prompt{text(), hold()};
constexpr std::array held_prompt_after_break{record_break(), text(), hold()};
constexpr std::array two_texts_after_break{record_break(), text(), text()};
constexpr std::array text_after_break{record_break(), text()};

template <std::size_t layout_size, std::size_t item_count>
void write_console(record_sink& console, const std::array<textio::layout_item, layout_size>& shape,
                   const std::array<textio::item, item_count>& items) {
  textio::write_formatted_record(console, shape, items);
}

bool asks_for_another_range(char answer) { return answer == 'Y' || answer == 'y'; }

void run_dialogue(textio::streams& io) {
  record_sink& console = io.console();
  write_console(console, held_prompt, std::array{textio::text_item(name_prompt)});
  textio::name_field base_name;
  io.read_text(base_name);
  const textio::name_field results_name = textio::results_file_field(base_name);
  const std::string_view results_name_text{results_name.data(), results_name.size()};
  io.open_results_file(results_name_text);

  record_sink& file = io.results();
  report::write_preamble(file);

  std::array<double, 3> range{0.0, 0.0, 0.0};  // xStart, xEnd, xStep
  for (;;) {
    write_console(console, held_prompt, std::array{textio::text_item(range_prompt)});
    io.read_doubles(range);
    const auto [x_start, x_end, x_step] = range;
    if (x_end == 0.0) io.immediate_stop();
    report::write_range_record(file);
    sweep_progress progress(io);
    sweep_range(file, x_start, x_end, x_step, progress.watcher());

    write_console(console, held_prompt_after_break, std::array{textio::text_item(another_range_prompt)});
    std::array<char, 1> answer{};
    io.read_text(answer);
    if (!asks_for_another_range(answer[0])) break;
  }

  report::write_separator_record(file);
  write_console(console, two_texts_after_break,
                std::array{textio::text_item(results_file_message),
                           textio::text_item(textio::without_trailing_blanks(results_name_text))});
  write_console(console, text_after_break, std::array{textio::text_item(key_message)});
  io.wait_for_key();
}

}  // namespace

int run(platform::system_interface& system) {
  textio::streams io(system);
  try {
    run_dialogue(io);
    io.normal_end();
    return 0;
  } catch (const textio::process_end& end) {
    return end.status;
  }
}

}  // namespace ulpscope::dialogue
