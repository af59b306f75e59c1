#pragma once

#include <string>

// A file updated in place (its folder allows no temporary file beside it) keeps a copy of its
// previous bytes in the user's temporary folder ($TMPDIR, else /tmp) until the update is
// complete, so that a failed update can put them back.

// Copies what handle (open for reading, at any offset) holds into a new file
// "latticor-backup-NAME-XXXXXX" of the temporary folder, flushed to disk; returns 0 and its path,
// or the errno value that stopped it (nothing is then left).
int MakeBackupCopy(int handle, const std::string& name, std::string& backup);

// Writes the backup's bytes over handle's from the start and cuts it to their length, flushed;
// returns 0 (the backup is then removed) or the errno value (the backup is kept).
int RestoreBackupCopy(int handle, const std::string& backup);
