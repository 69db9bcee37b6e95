#pragma once

#include <optional>
#include <string>

namespace tavrix {

// Where the main window's frame stands on the screen (its top-left corner).
struct WindowPos {
  int x = 0;
  int y = 0;
  bool operator==(const WindowPos&) const = default;
};

// The settings file Tavrix.ini: a first line "WorkDir=" and the working
// folder, and a second line "Position=x,y" with the main window's place.
// Only a first line that starts exactly with "WorkDir=" gives the folder (the
// rest without surrounding blanks); a missing or malformed second line gives
// no position. Files of one line, written before positions were kept, read.
struct Settings {
  std::optional<std::string> workDir;
  std::optional<WindowPos> position;
};
Settings ReadSettings(const std::string& path);

// Writes the lines, ended by CR LF; false when the file cannot be written.
bool WriteSettings(const std::string& path, const std::string& workDir,
                   const std::optional<WindowPos>& position);

// The "/ie" option (also "--ie"), in any case: the lower-cased command line
// followed by "/" contains "/ie/", or an argument is "--ie".
bool NoLimitsFromCommandLine(const std::string& commandLine);

// The credit text is kept scrambled: each output character is 32 XOR all
// input characters up to its own. Scramble is the inverse.
std::string Unscramble(const std::string& text);
std::string Scramble(const std::string& text);

// The workbook template Tavrix.xls: beside the program, else in the
// installed data folder (<prefix>/share/tavrix beside <prefix>/bin), else in
// the home folder. "" when none of them holds it.
std::string FindTemplate(const std::string& programDir, const std::string& homeDir);

}  // namespace tavrix
