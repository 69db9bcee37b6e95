#include "tavrix/app/settings.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "tavrix/numeric/text_width.h"

namespace tavrix {

namespace {

constexpr std::string_view kWorkDirKey = "WorkDir=";
constexpr std::string_view kPositionKey = "Position=";

bool ReadLine(std::istream& file, std::string& line) {
  if (!std::getline(file, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::optional<WindowPos> ParsePosition(std::string_view text) {
  WindowPos pos;
  const char* const end = text.data() + text.size();
  const auto x = std::from_chars(text.data(), end, pos.x);
  if (x.ec != std::errc() || x.ptr == end || *x.ptr != ',') return std::nullopt;
  const auto y = std::from_chars(x.ptr + 1, end, pos.y);
  if (y.ec != std::errc() || y.ptr != end) return std::nullopt;
  return pos;
}

}  // namespace

Settings ReadSettings(const std::string& path) {
  Settings settings;
  std::ifstream file(path, std::ios::binary);
  std::string line;
  if (!file || !ReadLine(file, line)) return settings;
  if (line.compare(0, kWorkDirKey.size(), kWorkDirKey) == 0) {
    settings.workDir = std::string(TrimBlanks(std::string_view(line).substr(kWorkDirKey.size())));
  }
  if (ReadLine(file, line) && line.compare(0, kPositionKey.size(), kPositionKey) == 0) {
    settings.position =
        ParsePosition(TrimBlanks(std::string_view(line).substr(kPositionKey.size())));
  }
  return settings;
}

bool WriteSettings(const std::string& path, const std::string& workDir,
                   const std::optional<WindowPos>& position) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << kWorkDirKey << workDir << "\r\n";
  if (position) file << kPositionKey << position->x << ',' << position->y << "\r\n";
  file.close();
  return !file.fail();
}

bool NoLimitsFromCommandLine(const std::string& commandLine) {
  std::string lower = commandLine + "/";
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower.find("/ie/") != std::string::npos) return true;
  // The Linux spelling as an argument of its own.
  const std::string padded = " " + lower.substr(0, lower.size() - 1) + " ";
  return padded.find(" --ie ") != std::string::npos;
}

std::string Unscramble(const std::string& text) {
  std::string out = text;
  unsigned char k = 32;
  for (char& c : out) {
    k = static_cast<unsigned char>(k ^ static_cast<unsigned char>(c));
    c = static_cast<char>(k);
  }
  return out;
}

std::string Scramble(const std::string& text) {
  std::string out = text;
  unsigned char previous = 32;
  for (char& c : out) {
    const auto plain = static_cast<unsigned char>(c);
    c = static_cast<char>(plain ^ previous);
    previous = plain;
  }
  return out;
}

std::string FindTemplate(const std::string& programDir, const std::string& homeDir) {
  namespace fs = std::filesystem;
  std::vector<fs::path> places;
  if (!programDir.empty()) {
    fs::path program(programDir);
    if (!program.has_filename()) program = program.parent_path();  // "…/bin/" is "…/bin"
    places.push_back(program / "Tavrix.xls");
    places.push_back(program.parent_path() / "share" / "tavrix" / "Tavrix.xls");
  }
  if (!homeDir.empty()) places.push_back(fs::path(homeDir) / "Tavrix.xls");
  for (const fs::path& place : places) {
    std::error_code error;
    if (fs::is_regular_file(place, error)) return place.lexically_normal().string();
  }
  return "";
}

}  // namespace tavrix
