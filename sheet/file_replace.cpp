#include "tavrix/sheet/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tavrix/sheet/leftovers.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

// Writes the data of a file and its folder entry through to the disk.
void SyncToDisk(const std::string& file, const std::string& shownName) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    throw HostError("could not save " + Quoted(shownName) + ": " + std::strerror(error));
  }
  ::close(fd);
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);  // best effort: the rename is done either way
    ::close(fd);
  }
}

}  // namespace

std::string RealFile(const std::string& path) {
  std::error_code error;
  const fs::path real = fs::weakly_canonical(fs::absolute(path), error);
  return error ? path : real.string();
}

void CheckWritable(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return;  // a new file: its folder decides
  const bool anyoneMayWrite = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  if (!anyoneMayWrite || ::access(path.c_str(), W_OK) != 0) {
    throw HostError(Quoted(path) + " is read-only");
  }
}

void ReplaceFile(const std::string& path, const std::function<void(const std::string&)>& write) {
  CheckWritable(path);
  const fs::path real = RealFile(path);
  std::string temporary =
      (real.parent_path() / ("." + real.filename().string() + ".tavrix-XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    const int error = errno;
    throw HostError("could not save " + Quoted(path) + ": cannot create a file in its folder '" +
                    real.parent_path().string() + "' (" + std::strerror(error) + ")");
  }
  ::close(fd);
  Leftover leftover(Leftover::Kind::kFile, temporary);
  try {
    write(temporary);
    SyncToDisk(temporary, path);
    struct stat original {};
    if (::stat(real.c_str(), &original) == 0) {
      // The owner first: changing it may clear the set-id bits that the mode restores.
      [[maybe_unused]] const int ignored =
          ::chown(temporary.c_str(), original.st_uid, original.st_gid);
      ::chmod(temporary.c_str(), original.st_mode & 07777);
    } else {
      ::chmod(temporary.c_str(), 0666 & ~CurrentUmask());  // as a new file would be made
    }
    HoldForTest("save");
    if (::rename(temporary.c_str(), real.c_str()) != 0) {
      const int error = errno;
      throw HostError("could not save " + Quoted(path) + ": " + std::strerror(error));
    }
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  SyncFolder(real.parent_path());
}

}  // namespace tavrix
