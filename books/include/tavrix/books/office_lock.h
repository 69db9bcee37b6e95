#pragma once

#include <optional>
#include <string>

namespace tavrix {

// An office that has a file open for editing writes a lock file beside it
// (".~lock.NAME#", one line: the office user's name, the login name, the
// host, the date and time it opened the file, its profile; fields separated
// by ',', the line ended by ';', those characters and '\' escaped by '\').
// The program's own private office writes none.
struct OfficeLock {
  std::string user;   // the office user's name, else the login name; "" when unreadable
  std::string host;   //
  std::string since;  // as the office wrote it ("07.12.2026 15:43")
};

// The lock a lock file's text names; an unreadable one names nobody.
OfficeLock ParseOfficeLock(const std::string& text);

// The lock of another office on the file (beside the file, or beside the
// file a link leads to), if there is one.
std::optional<OfficeLock> OfficeLockOn(const std::string& path);

// Throws HostError when another office has the file open: "'x.ods' is open
// in LibreOffice (by USER on HOST since DATE); close it there first, or pass
// OPTION", with the option that lets the user save all the same.
void RefuseIfOpenElsewhere(const std::string& path, const std::string& option);

}  // namespace tavrix
