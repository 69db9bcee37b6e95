#pragma once

#include <optional>
#include <string>

namespace tavrix {

// The settings file Tavrix.ini: one line "WorkDir=" and the working
// folder. Only a first line that starts exactly with "WorkDir=" counts; its
// value is the rest without surrounding blanks. Nothing when the file is
// missing or its first line does not match.
std::optional<std::string> ReadWorkDirSetting(const std::string& path);

// Writes the one line, ended by CR LF; false when the file cannot be written.
bool WriteWorkDirSetting(const std::string& path, const std::string& workDir);

// The "/ie" option (also "--ie"), in any case: the lower-cased command line
// followed by "/" contains "/ie/", or an argument is "--ie".
bool NoLimitsFromCommandLine(const std::string& commandLine);

// The credit text is kept scrambled: each output character is 32 XOR all
// input characters up to its own. Scramble is the inverse.
std::string Unscramble(const std::string& text);
std::string Scramble(const std::string& text);

}  // namespace tavrix
