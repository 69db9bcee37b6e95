#include "tavrix/app/settings.h"

#include <algorithm>
#include <fstream>

#include "tavrix/numeric/text_width.h"

namespace tavrix {

std::optional<std::string> ReadWorkDirSetting(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string line;
  if (!file || !std::getline(file, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  constexpr std::string_view kKey = "WorkDir=";
  if (line.compare(0, kKey.size(), kKey) != 0) return std::nullopt;
  return std::string(TrimBlanks(std::string_view(line).substr(kKey.size())));
}

bool WriteWorkDirSetting(const std::string& path, const std::string& workDir) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << "WorkDir=" << workDir << "\r\n";
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

}  // namespace tavrix
