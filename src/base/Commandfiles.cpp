#include "base/Commandfiles.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "base/AtomicFile.h"

namespace {

// What identifies a file: device and inode where it exists, else its canonical path.
struct TIdentity {
  bool Special = false;  // an existing device, pipe or socket
  bool Exists = false;
  dev_t Device = 0;
  ino_t Inode = 0;
  std::string Canonical;
};

TIdentity Identify(const std::string& path) {
  TIdentity id;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    id.Exists = true;
    id.Special = !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    id.Device = info.st_dev;
    id.Inode = info.st_ino;
  }
  std::error_code ignored;
  id.Canonical = std::filesystem::weakly_canonical(FollowLinks(path), ignored).string();
  if (id.Canonical.empty()) id.Canonical = path;
  return id;
}

bool Same(const TIdentity& a, const TIdentity& b) {
  if (a.Exists && b.Exists) return a.Device == b.Device && a.Inode == b.Inode;
  return a.Canonical == b.Canonical;
}

}  // namespace

TFileCheck CheckCommandFiles(const std::vector<TCommandFile>& inputs,
                             const std::vector<TCommandFile>& outputs, bool force) {
  std::vector<TIdentity> in, out;
  for (const TCommandFile& f : inputs) in.push_back(Identify(f.Path));
  for (const TCommandFile& f : outputs) out.push_back(Identify(f.Path));

  for (size_t i = 0; i < outputs.size(); ++i) {
    if (out[i].Special || outputs[i].Path.empty()) continue;
    for (size_t j = 0; j < i; ++j)
      if (!out[j].Special && Same(out[i], out[j]))
        return {2, outputs[j].Role + " and " + outputs[i].Role + " name the same file \"" +
                       outputs[i].Path + "\": each output needs a file of its own"};
  }
  for (size_t i = 0; i < outputs.size(); ++i) {
    if (out[i].Special || force) continue;
    for (size_t j = 0; j < inputs.size(); ++j)
      if (!in[j].Special && Same(out[i], in[j]))
        return {1, outputs[i].Role + " \"" + outputs[i].Path + "\" is the input " + inputs[j].Role +
                       ": writing it would destroy the input (give --force "
                       "to overwrite it all the same)"};
  }
  for (const TCommandFile& f : outputs) {
    const int error = SaveProblem(f.Path);
    if (error == 0) continue;
    if (f.CreateMessage.empty()) return {1, CannotCreateText(f.Path, error)};
    return {1, f.CreateMessage + f.Path + " (" + std::strerror(error) + ")"};
  }
  return {};
}
