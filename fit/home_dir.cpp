#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "tavrix/fit/export.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

fs::path ExecutableFolder() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : exe.parent_path();
}

}  // namespace

std::string HomeDir() {
  return HomeDir(ExecutableFolder().string());
}

std::string HomeDir(const std::string& programFolder) {
  if (const char* home = std::getenv("TAVRIX_HOME"); home && *home) return WithSlash(home);

  const fs::path program = programFolder;
  if (!program.empty() && ::access(program.c_str(), W_OK) == 0) return WithSlash(program.string());

  fs::path data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
    data = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    data = fs::path(home) / ".local" / "share";
  } else {
    data = fs::temp_directory_path();
  }
  const fs::path dir = data / "tavrix";
  std::error_code ignored;  // an uncreatable folder shows when a file in it cannot be opened
  fs::create_directories(dir, ignored);
  return WithSlash(dir.string());
}

}  // namespace tavrix
