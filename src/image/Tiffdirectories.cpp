// The directories (pages) of a TIFF, found from the header and the chain of directory offsets
// alone, and remembered per file: a worker that reads page 9000 of a stack does not walk 9000
// directories again.
#include <list>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "image/Picturereaders.h"
#include "image/Tiffdirectories.h"

namespace {

constexpr size_t MaxPages = 1 << 20;
constexpr size_t RememberedFiles = 16;

uint64_t Get(const uint8_t* p, int bytes, bool little) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint64_t{p[little ? i : bytes - 1 - i]} << (8 * i);
  return v;
}

struct TForm {
  bool Little = true, Big = false;
  int OffsetBytes = 4, CountBytes = 2, EntryBytes = 12;
};

// The byte order and the offset size; false for a header that cannot be read.
bool ReadForm(const TPictureInput& in, TForm& f, uint64_t& first) {
  uint8_t head[16] = {};
  if (!in.Read(0, 8, head)) return false;
  f.Little = head[0] == 'I';
  f.Big = Get(head + 2, 2, f.Little) == 43;
  if (f.Big && !in.Read(0, 16, head)) return false;
  if (f.Big) f.OffsetBytes = 8, f.CountBytes = 8, f.EntryBytes = 20;
  first = Get(head + (f.Big ? 8 : 4), f.OffsetBytes, f.Little);
  return true;
}

std::vector<uint64_t> Walk(const TPictureInput& in) {
  std::vector<uint64_t> pages;
  TForm f;
  uint64_t at = 0;
  if (!ReadForm(in, f, at)) return pages;
  const int offsetBytes = f.OffsetBytes, countBytes = f.CountBytes, entryBytes = f.EntryBytes;
  const bool little = f.Little;
  std::set<uint64_t> seen;
  while (at != 0 && pages.size() < MaxPages && seen.insert(at).second) {
    pages.push_back(at);
    uint8_t field[8];
    if (!in.Read(at, static_cast<size_t>(countBytes), field)) break;
    const uint64_t entries = Get(field, countBytes, little);
    if (entries > (uint64_t{1} << 32)) break;
    const uint64_t next = at + static_cast<uint64_t>(countBytes) + entries * entryBytes;
    if (!in.Read(next, static_cast<size_t>(offsetBytes), field)) break;
    at = Get(field, offsetBytes, little);
  }
  return pages;
}

std::mutex Guard;
std::list<std::pair<std::string, std::vector<uint64_t>>> Remembered;  // most recent first

}  // namespace

std::vector<uint64_t> TiffDirectories(const TPictureInput& in) {
  if (in.Identity.empty()) return Walk(in);
  {
    std::lock_guard<std::mutex> lock(Guard);
    for (auto it = Remembered.begin(); it != Remembered.end(); ++it)
      if (it->first == in.Identity) {
        Remembered.splice(Remembered.begin(), Remembered, it);
        return it->second;
      }
  }
  std::vector<uint64_t> pages = Walk(in);
  std::lock_guard<std::mutex> lock(Guard);
  Remembered.emplace_front(in.Identity, pages);
  if (Remembered.size() > RememberedFiles) Remembered.pop_back();
  return pages;
}

bool TiffDirectoryComplete(const TPictureInput& in, uint64_t at) {
  static const int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};
  TForm f;
  uint64_t first = 0;
  uint8_t field[20];
  if (!ReadForm(in, f, first) || !in.Read(at, static_cast<size_t>(f.CountBytes), field))
    return false;
  const uint64_t entries = Get(field, f.CountBytes, f.Little);
  const uint64_t list = at + static_cast<uint64_t>(f.CountBytes);
  if (entries > (uint64_t{1} << 32) ||
      !in.Read(list + entries * f.EntryBytes, static_cast<size_t>(f.OffsetBytes), field))
    return false;
  const uint64_t inline_ = static_cast<uint64_t>(f.OffsetBytes);
  for (uint64_t e = 0; e < entries; ++e) {
    if (!in.Read(list + e * f.EntryBytes, static_cast<size_t>(f.EntryBytes), field)) return false;
    const uint64_t type = Get(field + 2, 2, f.Little);
    const uint64_t count = Get(field + 4, f.OffsetBytes, f.Little);
    const uint64_t size = type < 19 ? static_cast<uint64_t>(sizes[type]) : 0;
    if (size == 0 || count > (uint64_t{1} << 40) / size || count * size <= inline_) continue;
    const uint64_t where = Get(field + 4 + f.OffsetBytes, f.OffsetBytes, f.Little);
    if (where > static_cast<uint64_t>(in.Size) ||
        count * size > static_cast<uint64_t>(in.Size) - where)
      return false;
  }
  return true;
}

int32_t TiffPages(const TPictureInput& in) {
  return static_cast<int32_t>(TiffDirectories(in).size());
}
