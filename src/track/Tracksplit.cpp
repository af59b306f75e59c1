#include "track/Tracksplit.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/Path.h"
#include "base/Readfile.h"
#include "track/Trackinput.h"
#include "track/Trackpipeline.h"
#include "track/Tracksequence.h"

namespace {

constexpr const char* Magic = "latticor-dots 1";
constexpr size_t DotBytes = 12;  // x, y (32-bit floats) and the area (32-bit), little-endian

[[noreturn]] void Unfit(const std::string& path, const std::string& why) {
  throw TError("The dots file " + path + " " + why);
}

// The picture's file as it is now: stage 2 refuses dots of a picture changed since.
std::string SourceState(const std::string& picture) {
  struct stat info {};
  if (::stat(SplitPicturePage(picture).File.c_str(), &info) != 0) return "missing";
  return std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
         std::to_string(info.st_mtim.tv_nsec);
}

void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 255);
}

uint32_t Get32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Reads "key value" lines from the front of a dots file.
class TLines {
 public:
  TLines(const uint8_t* bytes, size_t size, const std::string& path)
      : FText(reinterpret_cast<const char*>(bytes)), FSize(size), FPath(path) {}
  bool Next(const char* key) const {
    const size_t n = std::strlen(key);
    return FSize - FPos > n && std::memcmp(FText + FPos, key, n) == 0 && FText[FPos + n] == ' ';
  }
  std::string Value(const char* key) {
    if (!Next(key)) Unfit(FPath, "is damaged (no " + std::string(key) + ")");
    const size_t start = FPos + std::strlen(key) + 1;
    const char* end = static_cast<const char*>(std::memchr(FText + start, '\n', FSize - start));
    if (!end) Unfit(FPath, "is damaged (it ends early)");
    FPos = static_cast<size_t>(end - FText) + 1;
    return std::string(FText + start, end);
  }
  // The value's numbers, each in lo..hi.
  std::vector<int64_t> Numbers(const char* key, size_t count, int64_t lo, int64_t hi) {
    const std::string text = Value(key);
    std::vector<int64_t> values;
    const char* p = text.data();
    const char* end = p + text.size();
    while (values.size() < count) {
      int64_t v = 0;
      const auto [next, error] = std::from_chars(p, end, v);
      if (error != std::errc() || v < lo || v > hi) break;
      values.push_back(v);
      p = next < end && *next == ' ' ? next + 1 : next;
    }
    if (values.size() != count || p != end)
      Unfit(FPath, "is damaged (" + std::string(key) + " " + text + ")");
    return values;
  }
  size_t Left() const { return FSize - FPos; }
  const char* Here() const { return FText + FPos; }

 private:
  const char* FText;
  size_t FSize;
  const std::string& FPath;
  size_t FPos = 0;
};

}  // namespace

TStepRange ParseStepRange(const std::string& text, size_t count) {
  auto number = [](const std::string& part, size_t& v) {
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), v);
    return !part.empty() && error == std::errc() && end == part.data() + part.size();
  };
  const std::string usage = "--extract takes K/N (part K of N) or steps FIRST-LAST, not " + text;
  size_t a = 0, b = 0;
  if (const size_t slash = text.find('/'); slash != std::string::npos) {
    if (!number(text.substr(0, slash), a) || !number(text.substr(slash + 1), b) || a < 1 || a > b ||
        b > (size_t{1} << 24))
      throw TError(usage);
    return {(a - 1) * count / b, a * count / b};
  }
  const size_t dash = text.find('-');
  if (!number(text.substr(0, dash), a) ||
      (dash != std::string::npos && !number(text.substr(dash + 1), b)))
    throw TError(usage);
  if (dash == std::string::npos) b = a;
  if (a > b || b >= count)
    throw TError("--extract " + text + ": the sequence has steps 0 to " +
                 std::to_string(count - 1));
  return {a, b + 1};
}

std::string TrackDotsFile(const std::string& outDir, const std::string& picture) {
  std::filesystem::path code = TrackCodeFile(outDir, picture);
  return (std::filesystem::path(outDir) / "dots" / code.filename().replace_extension(".dots"))
      .string();
}

std::string ExtractionChoices(const TTrackOptions& o) {
  auto given = [](const std::optional<int32_t>& v) { return v ? std::to_string(*v) : "-"; };
  return std::string("bits16 ") + (o.Bits16 == TBits16::Shift ? "shift" : "percentile") +
         (o.BlackDots ? " black" : " white") + " median " + given(o.Median) + " window " +
         given(o.Window) + " adjust " + std::to_string(o.Adjust) + " threshold " +
         given(o.Threshold) + " least-area " +
         (o.LeastArea       ? std::to_string(*o.LeastArea)
          : o.AutoLeastArea ? "auto"
                            : "robust") +
         " centroid " + (o.RefinedCentroids ? "refined" : "plain");
}

void WriteDotsFile(const std::string& path, const std::string& picture, const TPictureDots* dots,
                   const std::string& failure, const TTrackOptions& options) {
  for (const std::string* line :
       {&picture, dots ? &dots->FileName : &picture, dots ? &dots->Decoding : &picture})
    if (line->find('\n') != std::string::npos)
      throw TError("A name with a line break cannot go into a dots file: " + *line);
  std::string text = std::string(Magic) + "\nchoices " + ExtractionChoices(options) + "\npicture " +
                     picture + "\nsource " + SourceState(picture) + "\n";
  if (!dots) {
    text += "failed " + std::to_string(failure.size()) + "\n" + failure;
  } else {
    text += "file " + dots->FileName + "\nsize " + std::to_string(dots->Width) + " " +
            std::to_string(dots->Height) + "\nwhite " + (dots->WhiteDots ? "1" : "0") +
            "\nleast-area " + std::to_string(dots->LeastArea) + "\ndecoding " + dots->Decoding +
            "\ndots " + std::to_string(dots->Dots.size()) + "\n";
    for (const TDotInfo& d : dots->Dots) {
      uint32_t x, y;
      std::memcpy(&x, &d.x, 4);
      std::memcpy(&y, &d.y, 4);
      Put32(text, x), Put32(text, y), Put32(text, static_cast<uint32_t>(d.Area));
    }
  }
  TAtomicFile file(path);
  file.OpenOrRaise();
  file.Write(text);
  file.Commit();
}

TDotsFileContent ParseDotsFile(const uint8_t* bytes, size_t size, const std::string& path) {
  const size_t magic = std::strlen(Magic);
  if (size <= magic || std::memcmp(bytes, Magic, magic) != 0 || bytes[magic] != '\n')
    Unfit(path, "is not a dots file");
  TLines lines(bytes + magic + 1, size - magic - 1, path);
  TDotsFileContent content;
  content.Choices = lines.Value("choices");
  TPictureDots& dots = content.Dots;
  dots.Picture = lines.Value("picture");
  content.Source = lines.Value("source");
  if (lines.Next("failed")) {  // the reason, in full: it may hold line breaks
    const size_t length = static_cast<size_t>(lines.Numbers("failed", 1, 0, 1 << 20)[0]);
    if (lines.Left() != length) Unfit(path, "is damaged (a cut reason)");
    content.Failed = true;
    content.Reason.assign(lines.Here(), length);
    return content;
  }
  dots.FileName = lines.Value("file");
  const std::vector<int64_t> size2 = lines.Numbers("size", 2, 1, 1 << 30);
  dots.Width = static_cast<int32_t>(size2[0]), dots.Height = static_cast<int32_t>(size2[1]);
  dots.WhiteDots = lines.Numbers("white", 1, 0, 1)[0] == 1;
  dots.LeastArea = static_cast<int32_t>(lines.Numbers("least-area", 1, -1, 2147483647)[0]);
  dots.Decoding = lines.Value("decoding");
  const size_t count = static_cast<size_t>(lines.Numbers("dots", 1, 0, 1 << 28)[0]);
  if (lines.Left() != count * DotBytes) Unfit(path, "is damaged (dots missing or extra)");
  const uint8_t* p = reinterpret_cast<const uint8_t*>(lines.Here());
  dots.Dots.resize(count);
  for (TDotInfo& d : dots.Dots) {
    const uint32_t x = Get32(p), y = Get32(p + 4);
    std::memcpy(&d.x, &x, 4);
    std::memcpy(&d.y, &y, 4);
    d.Area = static_cast<int32_t>(Get32(p + 8));
    p += DotBytes;
    if (!std::isfinite(d.x) || !std::isfinite(d.y) || d.x < -1 || d.y < -1 ||
        d.x > static_cast<float>(dots.Width) || d.y > static_cast<float>(dots.Height) || d.Area < 0)
      Unfit(path, "is damaged (a dot outside the picture)");
  }
  return content;
}

TPictureDots ReadDotsFile(const std::string& path, const std::string& picture,
                          const TTrackOptions& options) {
  if (!FileExists(path))
    throw TError("The dots of " + picture + " are missing (" + path +
                 "): extract them first with --extract");
  const TFileBytes bytes = ReadWholeFile(path);
  TDotsFileContent content = ParseDotsFile(bytes.begin(), bytes.Size, path);
  if (content.Choices != ExtractionChoices(options))
    Unfit(path, "was extracted with other choices (" + content.Choices + ", now " +
                    ExtractionChoices(options) + "): give both stages the same options");
  if (ExtractFileName(content.Dots.Picture) != ExtractFileName(picture))
    Unfit(path, "holds the dots of " + content.Dots.Picture + ", not of " + picture);
  if (content.Source != SourceState(picture))
    Unfit(path, "was made before " + picture + " changed: extract it again");
  if (content.Failed) throw TError(content.Reason);
  content.Dots.Picture = picture;
  return std::move(content.Dots);
}

std::vector<std::string> ExtractToDotsFiles(const std::vector<std::string>& pictures,
                                            TStepRange range, const std::string& outDir,
                                            const TTrackOptions& options) {
  std::error_code failure;
  std::filesystem::create_directories(std::filesystem::path(outDir) / "dots", failure);
  if (failure) throw TError("Cannot create the folder " + outDir + ": " + failure.message());
  std::vector<std::string> failed;
  const size_t count = range.End > range.First ? range.End - range.First : 0;
  if (count == 0) return failed;
  // Every part finds the dots' colour from the sequence's first picture, as one run does.
  const TTrackOptions run = WithDotColour(pictures[0], options);
  TTrackPipeline pipeline(count, run,
                          [&](size_t i) { return ExtractPicture(pictures[range.First + i], run); });
  for (size_t i = 0; i < count; ++i) {
    const std::string& picture = pictures[range.First + i];
    TPictureDots dots;
    std::string error;
    const bool good = pipeline.Take(i, dots, error);
    WriteDotsFile(TrackDotsFile(outDir, picture), picture, good ? &dots : nullptr, error, run);
    if (!good) failed.push_back(picture + ": " + error);
  }
  return failed;
}
