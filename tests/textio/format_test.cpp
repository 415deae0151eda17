// The layout interpreter: where a record ends, what a tab, a break, a hold, an
// item stop and a repeat group do, and the field memo. Its layouts here are
// small ones that show each rule; the tool's own layouts and the lines they
// give are checked through the real records in tests/report/records_test.cpp.
#include "textio/format.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "recording_sink.h"
#include "textio/field_memo.h"

namespace ulpscope::textio {
namespace {

using namespace layout_items;
using test_support::recording_sink;

constexpr std::array<item, 0> no_items{};

TEST(FormattedRecord, ItemsEndTheRecordAtTheFurthestColumn) {
  constexpr std::array tab_then_stop = {text(), tab(14), text(), item_stop(), scientific(22, 15)};
  constexpr std::array tabs_between = {tab(6), text(), tab(12), text()};
  constexpr std::array two_lines = {record_break(), text(), record_break(), text()};
  recording_sink sink;
  // The tab is carried out, but nothing is written after it.
  write_formatted_record(sink, tab_then_stop, std::array{text_item("x2 =x")});
  write_formatted_record(sink, tabs_between, std::array{text_item("ab"), text_item("cd")});
  // A leading break delivers an empty record first.
  write_formatted_record(sink, two_lines, std::array{text_item("one"), text_item("two")});
  // An empty text after a tab writes nothing, so the tab adds nothing either.
  write_formatted_record(sink, tabs_between, std::array{text_item("ab"), text_item("")});
  const std::vector<std::string> expected = {
      "x2 =x\r\n", "     ab    cd\r\n", "\r\n", "one\r\n", "two\r\n", "     ab\r\n",
  };
  EXPECT_EQ(sink.records, expected);
}

TEST(FormattedRecord, LeadingBreakThenHeldPrompt) {
  constexpr std::array held_after_break = {record_break(), text(), hold()};
  recording_sink sink;
  write_formatted_record(sink, held_after_break, std::array{text_item("next:")});
  const std::vector<std::string> expected = {"\r\n", "next:"};
  EXPECT_EQ(sink.records, expected);
}

TEST(FormattedRecord, RepeatGroupsNestAndStopWithTheItems) {
  constexpr std::array nested = {repeat(2),    literal("a"), repeat(3),   literal("b"),
                                 end_repeat(), end_repeat(), literal("|")};
  // After the inner group closes, the outer group goes on with its own items.
  constexpr std::array item_after_inner = {repeat(2),   literal("<"),  repeat(2),   literal("b"),
                                           end_repeat(), text(),        literal(">"), end_repeat()};
  constexpr std::array per_item = {repeat(5), text(), literal(","), end_repeat()};
  recording_sink sink;
  write_formatted_record(sink, nested, no_items);
  write_formatted_record(sink, item_after_inner, std::array{text_item("p"), text_item("q")});
  write_formatted_record(sink, per_item, std::array{text_item("p"), text_item("q")});
  const std::vector<std::string> expected = {"abbbabbb|\r\n", "<bbp><bbq>\r\n", "p,q,\r\n"};
  EXPECT_EQ(sink.records, expected);
}

TEST(FormattedRecord, LongRecordsAreWrittenWhole) {
  constexpr std::array far_tab = {tab(600), text(), tab(3), text()};
  recording_sink sink;
  const std::string long_text(2000, 'z');
  write_formatted_record(sink, far_tab, std::array{text_item(long_text), text_item("ab")});
  ASSERT_EQ(sink.records.size(), 1u);
  const std::string expected = "  ab" + std::string(595, ' ') + long_text + "\r\n";
  EXPECT_EQ(sink.records[0], expected);
}

TEST(FormattedRecord, MismatchedItemFillsItsFieldWithAsterisks) {
  constexpr std::array shape = {integer(3), literal("|"), scientific(22, 15)};
  recording_sink sink;
  write_formatted_record(sink, shape, std::array{real_item(1.0), text_item("no")});
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0], "***|" + std::string(22, '*') + "\r\n");
}

// The memo keys a text by the whole field: two general fields of one width
// but different digits must not share a text, nor must a scientific field of
// the same width.
TEST(FieldMemo, FieldsOfOneWidthKeepTheirOwnTexts) {
  constexpr std::array three_fields = {general(22, 15), general(22, 14), scientific(22, 15)};
  const double values[] = {0.1, 1.0 / 3.0, 0.1, 1.0 / 3.0};
  field_memo memo;
  for (const double value : values) {
    recording_sink remembered;
    recording_sink plain;
    const std::array items{real_item(value), real_item(value), real_item(value)};
    write_formatted_record(remembered, three_fields, items, 0, &memo);
    write_formatted_record(plain, three_fields, items);
    EXPECT_EQ(remembered.records, plain.records) << value;
  }
  recording_sink sink;
  write_formatted_record(sink, three_fields, std::array{real_item(0.1), real_item(0.1), real_item(0.1)}, 0, &memo);
  EXPECT_EQ(sink.joined(), " 0.100000000000000      0.10000000000000     1.000000000000000D-01\r\n");
}

}  // namespace
}  // namespace ulpscope::textio
