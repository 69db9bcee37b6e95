#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tavrix {

// What a spreadsheet cell holds: nothing, a number or a text.
class CellContent {
 public:
  CellContent() = default;
  static CellContent Number(double x) {
    CellContent cell;
    cell.value_.emplace<double>(x);
    return cell;
  }
  static CellContent Text(std::string s) {
    CellContent cell;
    cell.value_.emplace<std::string>(std::move(s));
    return cell;
  }

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
  bool IsNumber() const { return std::holds_alternative<double>(value_); }
  bool IsText() const { return std::holds_alternative<std::string>(value_); }

  // Only valid for the matching kind.
  double number() const { return std::get<double>(value_); }
  const std::string& text() const { return std::get<std::string>(value_); }

  friend bool operator==(const CellContent&, const CellContent&) = default;

 private:
  std::variant<std::monostate, double, std::string> value_;
};

}  // namespace tavrix
