#include "track/Trackinput.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "base/Error.h"
#include "base/Path.h"

namespace {

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsPicture(const std::filesystem::path& path) {
  static const char* const Extensions[] = {".bmp",  ".raw", ".png", ".tif",
                                           ".tiff", ".pgm", ".jpg", ".jpeg"};
  const std::string ext = LowerCase(path.extension().string());
  return std::any_of(std::begin(Extensions), std::end(Extensions),
                     [&ext](const char* e) { return ext == e; });
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Compare the digit runs by value: without leading zeros, the longer run is larger, else
      // the first differing digit decides.
      size_t ei = i, ej = j;
      while (ei < a.size() && IsDigit(a[ei])) ++ei;
      while (ej < b.size() && IsDigit(b[ej])) ++ej;
      size_t si = i, sj = j;
      while (si + 1 < ei && a[si] == '0') ++si;
      while (sj + 1 < ej && b[sj] == '0') ++sj;
      if (ei - si != ej - sj) return ei - si < ej - sj;
      const int order = a.compare(si, ei - si, b, sj, ej - sj);
      if (order != 0) return order < 0;
      i = ei, j = ej;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i, ++j;
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;
}

std::vector<std::string> SequencePictures(const std::vector<std::string>& arguments) {
  std::error_code failure;
  if (arguments.size() != 1 || !std::filesystem::is_directory(arguments[0], failure))
    return arguments;
  std::vector<std::string> pictures;
  for (std::filesystem::directory_iterator entry(arguments[0], failure), end;
       !failure && entry != end; entry.increment(failure)) {
    if (entry->is_regular_file(failure) && IsPicture(entry->path()))
      pictures.push_back(entry->path().string());
  }
  if (failure) throw TError("Cannot read the folder " + arguments[0] + ": " + failure.message());
  if (pictures.empty()) throw TError("No picture in the folder " + arguments[0]);
  std::sort(pictures.begin(), pictures.end(), NaturalLess);
  return pictures;
}
