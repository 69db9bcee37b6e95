#pragma once

#include <functional>
#include <string>

namespace tavrix {

// The file a path stands for: symbolic links followed to the end.
std::string RealFile(const std::string& path);

// Throws HostError ("'x.csv' is read-only") when the user may not change
// the file: no write permission for the user, or none for anyone.
void CheckWritable(const std::string& path);

// Replaces a file's contents in one step. `write` fills a new, empty file
// at the path it is given, beside the real file; that file then takes the
// real file's place (through any symbolic link), with its permissions and,
// where the user may set them, its owner and group. A file the user may
// not write is refused. On any failure the file is left as it was, the
// new file is removed, and HostError says what happened to which file.
void ReplaceFile(const std::string& path, const std::function<void(const std::string&)>& write);

}  // namespace tavrix
