#include "base/SaveGroup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/AtomicFile.h"
#include "base/Backupcopy.h"
#include "base/Error.h"
#include "base/TempFiles.h"

namespace {

thread_local TSaveGroup* Current = nullptr;

}  // namespace

TSaveGroup::TSaveGroup() : FOuter(Current) {
  Current = this;
}

TSaveGroup::~TSaveGroup() {
  if (Current == this) Current = FOuter;
  for (const THeld& held : FHeld) Drop(held);
}

void TSaveGroup::Drop(const THeld& held) {
  if (held.InPlace) {
    const int handle = ::open(held.Target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    // When the bytes cannot go back, the backup stays where the message of the failure that
    // dropped the group cannot name it; it keeps its telling name in the temporary folder.
    if (handle >= 0) {
      RestoreBackupCopy(handle, held.Temp);
      ::close(handle);
    }
    return;
  }
  ::unlink(held.Temp.c_str());
  ReleaseTempFile(held.Guard);
}

TSaveGroup* TSaveGroup::Active() {
  return Current;
}

void TSaveGroup::Hold(const std::string& temp, const std::string& target, const std::string& name,
                      int guard) {
  FHeld.push_back({temp, target, name, guard});
}

std::string TSaveGroup::Where(const std::string& name) const {
  for (const THeld& held : FHeld)
    if (!held.InPlace && held.Name == name) return held.Temp;
  return name;
}

void TSaveGroup::HoldInPlace(const std::string& target, const std::string& backup,
                             const std::string& name) {
  FHeld.push_back({backup, target, name, -1, true});
}

void TSaveGroup::Suspend() {
  if (Current == this) Current = FOuter;
}

void TSaveGroup::Resume() {
  if (Current == this) return;
  FOuter = Current;
  Current = this;
}

void TSaveGroup::Commit() {
  Suspend();  // later saves of the thread are ordinary ones again
  std::vector<THeld> held;
  held.swap(FHeld);
  size_t k = 0;
  for (; k < held.size(); ++k) {
    if (held[k].InPlace) {
      ::unlink(held[k].Temp.c_str());  // the update stands; its backup is not needed
      continue;
    }
    if (::rename(held[k].Temp.c_str(), held[k].Target.c_str()) != 0) break;
    ReleaseTempFile(held[k].Guard);
  }
  if (k == held.size()) return;
  const int error = errno;
  for (size_t rest = k; rest < held.size(); ++rest) Drop(held[rest]);
  throw TError(CannotWriteText(held[k].Name, error));
}
