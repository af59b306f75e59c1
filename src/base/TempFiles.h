#pragma once

#include <string>

// The temporary files of our saves. Their names are short (whatever the target's name), unique
// in their folder and tell whose they are: ".latticor-HOST-PID-N.tmp", HOST a tag of the
// machine and PID the writing process. A run that was killed outright (SIGKILL, power loss)
// leaves its temporary files behind; a later save into the same folder removes those whose
// process is gone, and only those of this machine and of this user. SIGINT, SIGTERM and SIGHUP
// remove the temporary files of the running saves before the process ends.

// Creates a new temporary file in directory ("" for the current one) with the given permission
// bits; returns its descriptor (-1 with errno set) and its path. With guard, the file is kept
// for removal on the signals from before it exists (*guard is the handle, -1 when it could not
// be kept).
int CreateTempFile(const std::string& directory, unsigned mode, std::string& path,
                   int* guard = nullptr);
// Called, when set, right after a temporary file was created: lets a test end the process
// at the worst moment.
extern void (*TempFileCreatedHook)();

// Removes the stale temporary files of our dead runs from directory; returns how many.
int RemoveStaleTempFiles(const std::string& directory);

// Whether name is one of our temporary files, and if so the process that wrote it.
bool ParseTempName(const std::string& name, long& pid, bool& thisMachine);

// Keeps path for removal on SIGINT, SIGTERM or SIGHUP until released; returns a handle, -1 when
// it cannot be kept (too long a path, too many at once: the stale-file cleanup catches those).
int GuardTempFile(const std::string& path);
void ReleaseTempFile(int handle);
