// The layouts of the results file, as constant data next to the line each one
// gives. Columns count from 1 within each record; a held probe record puts the
// comparison record's column 1 at column 50 of the line.
#include "report/records.h"

#include <array>
#include <string_view>

#include "textio/format.h"
#include "textio/list.h"

namespace ulpscope::report {
namespace {

using textio::layout_item;
using textio::real_item;
using textio::text_item;
using namespace textio::layout_items;

constexpr std::string_view hyphen = "-";

// " Model: x =s*2^exponent*fractie"
constexpr std::array<layout_item, 1> text_line{text()};
// "" then " x: real(8)" then " ULP(x) =2**(exponent(x) -53)"
constexpr std::array two_texts_after_empty_line{record_break(), text(), record_break(),
                                                text()};
// 71 hyphens
constexpr std::array separator{repeat(71), literal(hyphen), end_repeat()};
// "      x                    fractie(x)            exponent(x)  ULP(x)"
constexpr std::array column_header{tab(6),  text(), tab(28), text(),
                                   tab(50), text(), tab(62), text()};
// "" then "x:  1.000000000000000D+00  0.5000000000000000    1            2.220446049250313D-16"
constexpr std::array x_line{record_break(),
                            text(),
                            scientific(22, 15),
                            tab(27),
                            general(23, 16),
                            tab(50),
                            integer(textio::runtime_width),
                            tab(62),
                            scientific(22, 15)};
// "x1: 1.000000000000000D+00  0.5000000000000001" (held)
constexpr std::array x1_x2_probe{text(), scientific(22, 15), tab(27), general(23, 16),
                                 hold()};
// "x3: -1.000000000000000D+00-0.5000000000000000" (held)
constexpr std::array x3_probe{text(),  tab(5),          scientific(22, 15),
                              tab(27), general(23, 16), hold()};
// "x1 =x" or "x1 >x        x1-x =  2.220446049250313D-16"
constexpr std::array x1_comparison{text(), item_stop(), tab(14), text(),
                                   scientific(22, 15)};
// "x2 =x"
constexpr std::array x2_equal{text(), tab(14), text(), item_stop(),
                              scientific(22, 15)};
// "x2 >x        x2-x =  1.110223024625157D-16"
constexpr std::array x2_greater{text(), tab(14), text(), scientific(22, 15)};
// "x3 =x" or "x3 >x        x3-x =  2.775557561562891E-17"
constexpr std::array x3_comparison{text(), tab(14), text(), item_stop(),
                                   general(22, 15)};

struct probe_texts {
  std::string_view label;       // "x1:"
  std::string_view equal;       // "x1 =x"
  std::string_view greater;     // "x1 >x"
  std::string_view difference;  // "x1-x = "
};

constexpr std::array<probe_texts, 3> texts_of{{
    {"x1:", "x1 =x", "x1 >x", "x1-x = "},
    {"x2:", "x2 =x", "x2 >x", "x2-x = "},
    {"x3:", "x3 =x", "x3 >x", "x3-x = "},
}};

// The less records are list records, and only x1 and x2 have one.
struct less_texts {
  std::string_view less;        // "x1 <x"
  std::string_view difference;  // ";\tx1-x ="
};

constexpr std::array<less_texts, 2> less_texts_of{{
    {"x1 <x", ";\tx1-x ="},
    {"x2 <x", ";\tx2-x ="},
}};

const probe_texts& texts(probe_name probe) { return texts_of[static_cast<std::size_t>(probe)]; }

textio::layout probe_layout(probe_name probe) {
  if (probe == probe_name::x3) return x3_probe;
  return x1_x2_probe;
}

textio::layout comparison_layout(probe_name probe, bool greater) {
  switch (probe) {
    case probe_name::x1: return x1_comparison;
    case probe_name::x2: return greater ? textio::layout{x2_greater} : textio::layout{x2_equal};
    case probe_name::x3: break;
  }
  return x3_comparison;
}

template <std::size_t n>
void write(record_sink& file, textio::layout shape, const std::array<textio::item, n>& items,
           textio::field_memo* memo = nullptr) {
  textio::write_formatted_record(file, shape, items, 0, memo);
}

void write_text_line(record_sink& file, std::string_view text) {
  write(file, text_line, std::array{text_item(text)});
}

void write_list_text(record_sink& file, std::string_view text) {
  const std::array items{text_item(text)};
  textio::write_list_record(file, items);
}

void write_empty_record(record_sink& file) { textio::write_list_record(file, {}); }

}  // namespace

void write_preamble(record_sink& file) {
  write_text_line(file, " Model: x =s*2^exponent*fractie");
  write_text_line(file, " exponent =exponent(x); fractie =fraction(x);");
  write(file, two_texts_after_empty_line,
        std::array{text_item(" x: real(8)"), text_item(" ULP(x) =2**(exponent(x) -53)")});
  write_empty_record(file);
  write_list_text(file, "x1 =x +ULP(x)");
  write_list_text(file, "x2 =x +ULP(x)/2.");
  write_list_text(file, "[x3 =x +ULP(x)/4.]");
}

void write_range_record(record_sink& file) { write_empty_record(file); }

void write_separator_record(record_sink& file) { textio::write_formatted_record(file, separator, {}); }

void write_header_block(record_sink& file) {
  write_separator_record(file);
  write(file, column_header,
        std::array{text_item(" x"), text_item("fractie(x)"), text_item("exponent(x)"), text_item(" ULP(x)")});
}

void write_x_record(record_sink& file, double x, double fraction, std::int32_t exponent, double u,
                    std::int32_t width_now, textio::field_memo* memo) {
  const std::array items{text_item("x: "), real_item(x), real_item(fraction), textio::integer_item(exponent),
                         real_item(u)};
  textio::write_formatted_record(file, x_line, items, width_now, memo);
}

void write_after_x_record(record_sink& file) { write_empty_record(file); }

void write_x3_lead_record(record_sink& file) { write_empty_record(file); }

void write_probe_record(record_sink& file, probe_name probe, double value, double fraction,
                        textio::field_memo* memo) {
  write(file, probe_layout(probe), std::array{text_item(texts(probe).label), real_item(value), real_item(fraction)},
        memo);
}

void write_equal_record(record_sink& file, probe_name probe) {
  write(file, comparison_layout(probe, false), std::array{text_item(texts(probe).equal)});
}

void write_greater_record(record_sink& file, probe_name probe, double difference, textio::field_memo* memo) {
  write(file, comparison_layout(probe, true),
        std::array{text_item(texts(probe).greater), text_item(texts(probe).difference), real_item(difference)},
        memo);
}

void write_less_record(record_sink& file, probe_name probe, double difference) {
  if (probe == probe_name::x3) return;
  const less_texts& texts = less_texts_of[static_cast<std::size_t>(probe)];
  const std::array items{text_item(texts.less), text_item(texts.difference), real_item(difference)};
  textio::write_list_record(file, items);
}

}  // namespace ulpscope::report
