// The results-file name rules; see results_name.h.
#include "textio/results_name.h"

#include <algorithm>

namespace ulpscope::textio {

std::string_view without_trailing_blanks(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

name_field results_file_field(const name_field& base_name) {
  name_field field;
  field.fill(' ');
  const std::string_view base = without_trailing_blanks({base_name.data(), base_name.size()});
  const auto base_end = std::copy_n(base.begin(), std::min(base.size(), field.size()), field.begin());
  const auto room = static_cast<std::size_t>(field.end() - base_end);
  std::copy_n(results_extension.begin(), std::min(room, results_extension.size()), base_end);
  return field;
}

std::string_view results_file_name(std::string_view field) {
  std::string_view name = field.substr(0, std::min(field.size(), name_used_length));
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.remove_suffix(1);
  return name;
}

bool cut_changes_name(std::string_view field) { return without_trailing_blanks(field).size() > name_used_length; }

}  // namespace ulpscope::textio
