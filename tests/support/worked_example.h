// The documented worked example: its answers, the 28 lines of t.rez they give,
// and the console bytes with standard output redirected (nothing echoes the
// answers, so each held prompt shares its line with what follows).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace test_support {

inline constexpr std::string_view worked_example_answers = "t\n1 1 1\ny\n-1 -1 1\nn\n";

inline std::string with_crlf(const std::vector<std::string>& lines) {
  std::string joined;
  for (const auto& line : lines) joined += line + "\r\n";
  return joined;
}

inline const std::vector<std::string>& worked_example_lines() {
  static const std::string separator(71, '-');
  static const std::string column_header =
      "      x                    fractie(x)            exponent(x)  ULP(x)";
  static const std::vector<std::string> lines{
      " Model: x =s*2^exponent*fractie",
      " exponent =exponent(x); fractie =fraction(x);",
      "",
      " x: real(8)",
      " ULP(x) =2**(exponent(x) -53)",
      " ",
      " x1 =x +ULP(x)",
      " x2 =x +ULP(x)/2.",
      " [x3 =x +ULP(x)/4.]",
      " ",
      separator,
      column_header,
      "",
      "x:  1.000000000000000D+00  0.5000000000000000    1            2.220446049250313D-16",
      " ",
      "x1: 1.000000000000000D+00  0.5000000000000001    x1 >x        x1-x =  2.220446049250313D-16",
      "x2: 1.000000000000000D+00  0.5000000000000000    x2 =x",
      " ",
      separator,
      column_header,
      "",
      "x: -1.000000000000000D+00 -0.5000000000000000    1            2.220446049250313D-16",
      " ",
      "x1:-9.999999999999998D-01 -0.9999999999999998    x1 >x        x1-x =  2.220446049250313D-16",
      "x2:-9.999999999999999D-01 -0.9999999999999999    x2 >x        x2-x =  1.110223024625157D-16",
      " ",
      "x3: -1.000000000000000D+00-0.5000000000000000    x3 =x",
      separator,
  };
  return lines;
}

// The nine lines every results file begins with.
inline std::string preamble_text() {
  const auto& lines = worked_example_lines();
  return with_crlf({lines.begin(), lines.begin() + 9});
}

inline std::string worked_example_console() {
  return with_crlf({
      "Input file name (NO extension):  Input xStart, xEnd (0=stop), xStep: ",
      " Another Range? (Y,y / char): Input xStart, xEnd (0=stop), xStep: ",
      " Another Range? (Y,y / char):",
      "Fisier de rezultate: t.rez",
      "",
      "Apasa orice tasta",
  });
}

}  // namespace test_support
