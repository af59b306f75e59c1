#pragma once

#include <string>
#include <vector>

// The files of one command with several outputs, committed all or nothing. While a group is
// active on its thread, every TAtomicFile that commits leaves its finished temporary file with
// the group instead of renaming it; the group's Commit renames them all, and a group that is
// destroyed without Commit (a later output failed) removes them, so no target changes.
//
//   TSaveGroup group;
//   job.SaveCodes(codeFile);      // held back
//   picture.SaveBmp(overlayFile); // held back; a failure here leaves the code file untouched
//   group.Commit();
class TSaveGroup {
 public:
  TSaveGroup();
  ~TSaveGroup();
  TSaveGroup(const TSaveGroup&) = delete;
  TSaveGroup& operator=(const TSaveGroup&) = delete;

  // Renames every held file over its target, in the order they were saved; raises TError
  // naming the first target that cannot be replaced.
  void Commit();

  // A group filled on one thread and committed on another (each step of a sequence measured on
  // its own thread, listed in order by a writer): Suspend ends its collecting on this thread,
  // keeping what it holds; Resume collects this thread's saves into it again.
  void Suspend();
  void Resume();

  // Where the bytes saved under name are until Commit: its held temporary file, or name itself
  // when it was written where it stands (a device, an update in place) or not saved here.
  std::string Where(const std::string& name) const;

  // The group that the saves of this thread go to, or none.
  static TSaveGroup* Active();
  // A finished temporary file, its target and the name it was saved under.
  void Hold(const std::string& temp, const std::string& target, const std::string& name, int guard);
  // A file already updated in place, its previous bytes in backup: put back unless committed.
  void HoldInPlace(const std::string& target, const std::string& backup, const std::string& name);

 private:
  struct THeld {
    std::string Temp;
    std::string Target;
    std::string Name;
    int Guard;
    bool InPlace = false;  // Temp is then the backup of the previous bytes
  };
  // Gives up a held file: its temporary file removed, or its previous bytes put back.
  static void Drop(const THeld& held);
  std::vector<THeld> FHeld;
  TSaveGroup* FOuter;
};
