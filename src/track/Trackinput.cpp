#include "track/Trackinput.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "base/Error.h"
#include "base/Path.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"
#include "segment/Dotpolarity.h"

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

namespace {

// Every page of a multi-page file, in order; a file of one page as it is.
std::vector<std::string> WithPages(const std::vector<std::string>& files) {
  std::vector<std::string> pictures;
  for (const std::string& file : files) {
    const int32_t pages = PictureFilePages(file);
    if (pages <= 1) {
      pictures.push_back(file);
      continue;
    }
    for (int32_t page = 1; page <= pages; ++page)
      pictures.push_back(file + "#" + std::to_string(page));
  }
  return pictures;
}

}  // namespace

TSequencePicture SplitPicturePage(const std::string& picture) {
  TSequencePicture result{picture, 1, false};
  const size_t hash = picture.rfind('#');
  if (hash == std::string::npos || hash + 1 == picture.size() || FileExists(picture)) return result;
  int32_t page = 0;
  for (size_t i = hash + 1; i < picture.size(); ++i) {
    if (!IsDigit(picture[i]) || page > (1 << 24)) return result;
    page = page * 10 + (picture[i] - '0');
  }
  if (page < 1 || !FileExists(picture.substr(0, hash))) return result;
  return {picture.substr(0, hash), page, true};
}

std::unique_ptr<TGrayImage> LoadSequencePicture(const std::string& picture, TBits16 bits16) {
  const TSequencePicture which = SplitPicturePage(picture);
  return std::make_unique<TGrayImage>(which.File, bits16, which.Page);
}

TTrackOptions WithDotColour(const std::string& firstPicture, const TTrackOptions& options) {
  TTrackOptions run = options;
  if (!run.FindPolarity) return run;
  const TPolarityGuess guess = GuessDotPolarity(*LoadSequencePicture(firstPicture, run.Bits16));
  if (guess.Polarity == TDotPolarity::Unsure)
    throw TError("The dots' colour cannot be told from " + firstPicture +
                 ": give --white or --black");
  run.BlackDots = guess.Polarity == TDotPolarity::Black;
  run.FindPolarity = false;
  return run;
}

std::vector<std::string> SequencePictures(const std::vector<std::string>& arguments) {
  std::error_code failure;
  if (arguments.size() != 1 || !std::filesystem::is_directory(arguments[0], failure))
    return WithPages(arguments);
  std::vector<std::string> pictures;
  for (std::filesystem::directory_iterator entry(arguments[0], failure), end;
       !failure && entry != end; entry.increment(failure)) {
    if (entry->is_regular_file(failure) && IsPicture(entry->path()))
      pictures.push_back(entry->path().string());
  }
  if (failure) throw TError("Cannot read the folder " + arguments[0] + ": " + failure.message());
  if (pictures.empty()) throw TError("No picture in the folder " + arguments[0]);
  std::sort(pictures.begin(), pictures.end(), NaturalLess);
  return WithPages(pictures);
}
