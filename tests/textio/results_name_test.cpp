// The results-file name rules: the field built from the base name, the name
// the open takes from it, and the names the 256-character cut would change.
#include "textio/results_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace ulpscope::textio {
namespace {

name_field as_field(const std::string& text) {
  name_field field;
  field.fill(' ');
  std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
  return field;
}

std::string content(const name_field& field) {
  return std::string(without_trailing_blanks({field.data(), field.size()}));
}

TEST(ResultsName, FieldFromTheBaseName) {
  struct field_case {
    std::string base;
    std::string expected;
  };
  const field_case cases[] = {
      {"t", "t.rez"},
      {"t   ", "t.rez"},
      {"  t", "  t.rez"},
      {"", ".rez"},
      {"    ", ".rez"},
      {std::string(256, 'a'), std::string(256, 'a') + ".rez"},
      {std::string(257, 'a'), std::string(257, 'a') + ".re"},
      {std::string(259, 'a'), std::string(259, 'a') + "."},
      {std::string(260, 'a'), std::string(260, 'a')},
  };
  for (const auto& c : cases) EXPECT_EQ(content(results_file_field(as_field(c.base))), c.expected) << c.base;
}

TEST(ResultsName, NameTheOpenTakes) {
  const auto name_of = [](const std::string& text) {
    const name_field field = as_field(text);
    return std::string(results_file_name({field.data(), field.size()}));
  };
  EXPECT_EQ(name_of("t.rez"), "t.rez");
  EXPECT_EQ(name_of("  t.rez"), "t.rez");
  EXPECT_EQ(name_of(std::string("t.rez\0\0", 7)), "t.rez");
  EXPECT_EQ(name_of(".rez"), ".rez");
  EXPECT_EQ(name_of(std::string(258, 'a') + ".r"), std::string(256, 'a'));
}

TEST(ResultsName, CutChangesOnlyNamesLongerThan256) {
  const auto changed = [](const std::string& base) {
    const name_field field = results_file_field(as_field(base));
    return cut_changes_name({field.data(), field.size()});
  };
  EXPECT_FALSE(changed(""));
  EXPECT_FALSE(changed(std::string(252, 'a')));  // 256 with ".rez"
  EXPECT_FALSE(changed(std::string(252, 'a') + "    "));
  EXPECT_TRUE(changed(std::string(253, 'a')));  // the open would end at ".re"
  EXPECT_TRUE(changed(std::string(260, 'a')));
}

}  // namespace
}  // namespace ulpscope::textio
