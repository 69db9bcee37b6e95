#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tavrix {

// What a spreadsheet cell holds: nothing, a number or a text.
class CellContent {
 public:
  CellContent() = default;
  static CellContent Number(double x) { return CellContent(Value(x)); }
  static CellContent Text(std::string s) { return CellContent(Value(std::move(s))); }

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
  bool IsNumber() const { return std::holds_alternative<double>(value_); }
  bool IsText() const { return std::holds_alternative<std::string>(value_); }

  // Only valid for the matching kind.
  double number() const { return std::get<double>(value_); }
  const std::string& text() const { return std::get<std::string>(value_); }

  friend bool operator==(const CellContent&, const CellContent&) = default;

 private:
  using Value = std::variant<std::monostate, double, std::string>;
  explicit CellContent(Value v) : value_(std::move(v)) {}
  Value value_;
};

}  // namespace tavrix
