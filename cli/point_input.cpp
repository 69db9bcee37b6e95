#include "point_input.h"

#include <algorithm>
#include <istream>

#include "tavrix/numeric/number_text.h"

namespace tavrix::cli {

namespace {

// A number as typed, and where: the line of standard input, or 0 for an
// argument.
struct Word {
  std::string text;
  int line = 0;
};

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == ',' || c == ';';
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && IsSeparator(line[i])) ++i;
    if (i == line.size()) return words;
    const std::size_t start = i;
    while (i < line.size() && !IsSeparator(line[i])) ++i;
    words.push_back(line.substr(start, i - start));
  }
}

// The words of standard input as a spreadsheet or a script writes them:
// blanks, tabs, ',' or ';' between numbers, and a first line of column
// names (no number in it) skipped.
std::vector<Word> WordsOf(std::istream& in) {
  std::vector<Word> words;
  bool headerPossible = true;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    const std::vector<std::string> parts = Split(line);
    if (parts.empty()) continue;
    const bool header =
        headerPossible && std::none_of(parts.begin(), parts.end(), [](const auto& w) {
          return TextToFloat(w, false).has_value();
        });
    headerPossible = false;
    if (header) continue;
    for (const std::string& part : parts) words.push_back({part, number});
  }
  return words;
}

std::string Where(const Word& word) {
  return word.line > 0 ? "line " + std::to_string(word.line) + ": " : "";
}

}  // namespace

std::optional<std::vector<InputPoint>> ReadPoints(const std::vector<std::string>& args,
                                                  std::istream& in, SecondValue second,
                                                  std::string& error) {
  std::vector<Word> words;
  if (args.size() == 1 && args[0] == "-") {
    words = WordsOf(in);
  } else {
    for (const std::string& arg : args) words.push_back({arg, 0});
  }
  if (words.empty()) {
    error = "no points given";
    return std::nullopt;
  }
  if (words.size() % 2 != 0) {
    error = Where(words.back()) + "numbers must come in pairs, got " + std::to_string(words.size());
    return std::nullopt;
  }

  std::vector<InputPoint> points;
  for (std::size_t i = 0; i < words.size(); i += 2) {
    const Word& tWord = words[i];
    const Word& valueWord = words[i + 1];
    const auto t = TextToFloat(tWord.text, false);
    const auto value = TextToFloat(valueWord.text, false);
    if (!t || !value) {
      const Word& bad = t ? valueWord : tWord;
      error = Where(bad) + "'" + bad.text + "' is not a number";
      return std::nullopt;
    }
    const InputPoint point{*t, *value};
    error = CalculatorRangeError(point.t, point.second, second, tWord.text, valueWord.text);
    if (!error.empty()) {
      error = Where(valueWord) + error;
      return std::nullopt;
    }
    points.push_back(point);
  }
  return points;
}

std::optional<double> ReadParameter(const std::string& text, bool single, std::string& error) {
  const std::optional<double> value =
      single ? std::optional<double>(TextToFloat(text, false)) : TextToDouble(text, false);
  if (!value) error = "not a number: '" + text + "'";
  return value;
}

}  // namespace tavrix::cli
