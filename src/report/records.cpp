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
namespace fmt = textio::fmt;

constexpr std::string_view hyphen = "-";

// " Model: x =s*2^exponent*fractie"
constexpr std::array<layout_item, 1> text_line{fmt::text()};
// "" then " x: real(8)" then " ULP(x) =2**(exponent(x) -53)"
constexpr std::array two_texts_after_empty_line{fmt::record_break(), fmt::text(), fmt::record_break(),
                                                fmt::text()};
// 71 hyphens
constexpr std::array separator{fmt::repeat(71), fmt::literal(hyphen), fmt::end_repeat()};
// "      x                    fractie(x)            exponent(x)  ULP(x)"
constexpr std::array column_header{fmt::tab(6),  fmt::text(), fmt::tab(28), fmt::text(),
                                   fmt::tab(50), fmt::text(), fmt::tab(62), fmt::text()};
// "" then "x:  1.000000000000000D+00  0.5000000000000000    1            2.220446049250313D-16"
constexpr std::array x_line{fmt::record_break(),
                            fmt::text(),
                            fmt::scientific(22, 15),
                            fmt::tab(27),
                            fmt::general(23, 16),
                            fmt::tab(50),
                            fmt::integer(textio::runtime_width),
                            fmt::tab(62),
                            fmt::scientific(22, 15)};
// "x1: 1.000000000000000D+00  0.5000000000000001" (held)
constexpr std::array x1_x2_probe{fmt::text(), fmt::scientific(22, 15), fmt::tab(27), fmt::general(23, 16),
                                 fmt::hold()};
// "x3: -1.000000000000000D+00-0.5000000000000000" (held)
constexpr std::array x3_probe{fmt::text(),  fmt::tab(5),          fmt::scientific(22, 15),
                              fmt::tab(27), fmt::general(23, 16), fmt::hold()};
// "x1 =x" or "x1 >x        x1-x =  2.220446049250313D-16"
constexpr std::array x1_comparison{fmt::text(), fmt::item_stop(), fmt::tab(14), fmt::text(),
                                   fmt::scientific(22, 15)};
// "x2 =x"
constexpr std::array x2_equal{fmt::text(), fmt::tab(14), fmt::text(), fmt::item_stop(),
                              fmt::scientific(22, 15)};
// "x2 >x        x2-x =  1.110223024625157D-16"
constexpr std::array x2_greater{fmt::text(), fmt::tab(14), fmt::text(), fmt::scientific(22, 15)};
// "x3 =x" or "x3 >x        x3-x =  2.775557561562891E-17"
constexpr std::array x3_comparison{fmt::text(), fmt::tab(14), fmt::text(), fmt::item_stop(),
                                   fmt::general(22, 15)};

struct probe_texts {
  std::string_view label;    // "x1:"
  std::string_view equal;    // "x1 =x"
  std::string_view greater;  // "x1 >x"
  std::string_view less;     // "x1 <x"
  std::string_view difference;       // "x1-x = " of the formatted records
  std::string_view list_difference;  // ";\tx1-x =" of the list record
};

constexpr std::array<probe_texts, 3> texts_of{{
    {"x1:", "x1 =x", "x1 >x", "x1 <x", "x1-x = ", ";\tx1-x ="},
    {"x2:", "x2 =x", "x2 >x", "x2 <x", "x2-x = ", ";\tx2-x ="},
    {"x3:", "x3 =x", "x3 >x", "x3 <x", "x3-x = ", ";\tx3-x ="},
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
void write(record_sink& file, textio::layout shape, const std::array<textio::item, n>& items) {
  textio::write_formatted_record(file, shape, items);
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
                    std::int32_t width_now) {
  const std::array items{text_item("x: "), real_item(x), real_item(fraction), textio::integer_item(exponent),
                         real_item(u)};
  textio::write_formatted_record(file, x_line, items, width_now);
}

void write_after_x_record(record_sink& file) { write_empty_record(file); }

void write_x3_lead_record(record_sink& file) { write_empty_record(file); }

void write_probe_record(record_sink& file, probe_name probe, double value, double fraction) {
  write(file, probe_layout(probe), std::array{text_item(texts(probe).label), real_item(value), real_item(fraction)});
}

void write_equal_record(record_sink& file, probe_name probe) {
  write(file, comparison_layout(probe, false), std::array{text_item(texts(probe).equal)});
}

void write_greater_record(record_sink& file, probe_name probe, double difference) {
  write(file, comparison_layout(probe, true),
        std::array{text_item(texts(probe).greater), text_item(texts(probe).difference), real_item(difference)});
}

void write_less_record(record_sink& file, probe_name probe, double difference) {
  const std::array items{text_item(texts(probe).less), text_item(texts(probe).list_difference),
                         real_item(difference)};
  textio::write_list_record(file, items);
}

}  // namespace ulpscope::report
