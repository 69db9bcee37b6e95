#include "tavrix/books/office_lock.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "tavrix/sheet/sheet_host.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      fields.back() += text[++i];
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == ';') {
      return fields;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

fs::path LockFileOf(const fs::path& path) {
  return path.parent_path() / (".~lock." + path.filename().string() + "#");
}

}  // namespace

OfficeLock ParseOfficeLock(const std::string& text) {
  const std::vector<std::string> fields = Fields(text);
  if (fields.size() < 4) return {};
  return {fields[0].empty() ? fields[1] : fields[0], fields[2], fields[3]};
}

std::optional<OfficeLock> OfficeLockOn(const std::string& path) {
  std::error_code error;
  std::vector<fs::path> files = {fs::absolute(path, error)};
  const fs::path target = fs::weakly_canonical(path, error);
  if (!error) files.insert(files.begin(), target);  // where an office puts it
  for (const fs::path& file : files) {
    std::ifstream lock(LockFileOf(file));
    if (lock) return ParseOfficeLock(std::string(std::istreambuf_iterator<char>(lock), {}));
  }
  return std::nullopt;
}

void RefuseIfOpenElsewhere(const std::string& path, const std::string& option) {
  const std::optional<OfficeLock> lock = OfficeLockOn(path);
  if (!lock) return;
  const std::string by = lock->user.empty() ? ""
                                            : " (by " + lock->user + " on " + lock->host +
                                                  " since " + lock->since + ")";
  throw HostError("'" + path + "' is open in LibreOffice" + by +
                  "; close it there first, or pass " + option);
}

}  // namespace tavrix
