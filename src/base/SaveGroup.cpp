#include "base/SaveGroup.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/TempFiles.h"

namespace {

thread_local TSaveGroup* Current = nullptr;

}  // namespace

TSaveGroup::TSaveGroup() : FOuter(Current) {
  Current = this;
}

TSaveGroup::~TSaveGroup() {
  Current = FOuter;
  for (const THeld& held : FHeld) {
    ::unlink(held.Temp.c_str());
    ReleaseTempFile(held.Guard);
  }
}

TSaveGroup* TSaveGroup::Active() {
  return Current;
}

void TSaveGroup::Hold(const std::string& temp, const std::string& target, const std::string& name,
                      int guard) {
  FHeld.push_back({temp, target, name, guard});
}

void TSaveGroup::Commit() {
  Current = FOuter;  // later saves of the thread are ordinary ones again
  std::vector<THeld> held;
  held.swap(FHeld);
  size_t k = 0;
  for (; k < held.size(); ++k) {
    if (::rename(held[k].Temp.c_str(), held[k].Target.c_str()) != 0) break;
    ReleaseTempFile(held[k].Guard);
  }
  if (k == held.size()) return;
  const int error = errno;
  for (size_t rest = k; rest < held.size(); ++rest) {
    ::unlink(held[rest].Temp.c_str());
    ReleaseTempFile(held[rest].Guard);
  }
  throw TError(CannotWriteText(held[k].Name, error));
}
