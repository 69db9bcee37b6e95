#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavrix::cli {

// The values of a list option (--t, --p): numbers and FROM:TO:STEP ranges
// (FROM, FROM+STEP, ... up to TO), one item per comma, '.' as the decimal
// point. Each value must lie in [low, high]; a list holds at most
// kMaxListValues. On a mistake, nothing, with the reason in `error`.
inline constexpr std::size_t kMaxListValues = 10000;
std::optional<std::vector<float>> ReadList(const std::vector<std::string>& items, float low,
                                           float high, std::string& error);

}  // namespace tavrix::cli
