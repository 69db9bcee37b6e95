#pragma once

#include <string>
#include <vector>

namespace tavrix {

// The profile folders of private offices (tavrix-office-* in the temporary
// folder) name the process that owns them, in their file "owner" (its
// process id and start time, which tell it from a later process of the same
// id), and the pipe files of their office, in their file "pipes".

// Records this process as the owner of the profile folder.
void RecordOwner(const std::string& profileFolder);

// Records the pipe files of the folder's office, found while it runs.
void RecordPipes(const std::string& profileFolder, const std::vector<std::string>& files);

// Takes away what private offices whose owner has gone left behind: their
// processes, pipe files and profile folders. Folders of other users, of
// owners that still run, and folders without an owner that were made in the
// last minute (a start under way) stay.
void RemoveStaleOffices();

}  // namespace tavrix
