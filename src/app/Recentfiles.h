#pragma once

#include <string>
#include <vector>

// The files opened last, newest first, kept between runs (setting "Recent/files", one
// "kind<TAB>path" per entry): each kind is the command that opened the file ("segment",
// "encode", "display", "code").
class TRecentFiles {
 public:
  struct TEntry {
    std::string Kind;
    std::string Path;
  };
  static constexpr size_t MaxEntries = 10;

  std::vector<TEntry> Entries() const;
  // Puts the file first; the same file opened another way replaces its old entry.
  void Add(const std::string& kind, const std::string& path);
  void Remove(const std::string& path);
  void Clear();

 private:
  void Store(const std::vector<TEntry>& entries) const;
};
