// Dots file reader (the extraction stage of a split track run): the input is one dots file. A
// TError naming the file is the expected end of a bad one. One that parses holds dots inside its
// picture, and written again (as the extraction writes it) parses to the same dots, bit for bit.
// Anything else (a crash, another exception, a sanitizer report) is a fault.
#include <cstring>

#include "FuzzSupport.h"
#include "base/Error.h"
#include "base/Readfile.h"
#include "track/Tracksplit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzScratch scratch("dots");
  static const std::string copy = scratch.File("copy.dots");
  TDotsFileContent content;
  try {
    content = ParseDotsFile(data, size, "fuzz.dots");
  } catch (const TError& e) {
    if (e.Message().rfind("The dots file fuzz.dots ", 0) != 0)
      FuzzFail("unexpected message: %s", e.Message().c_str());
    return 0;
  }
  const TPictureDots& dots = content.Dots;
  if (content.Failed) return 0;
  for (const TDotInfo& d : dots.Dots)
    if (!(d.x >= -1 && d.y >= -1 && d.x <= static_cast<float>(dots.Width) &&
          d.y <= static_cast<float>(dots.Height) && d.Area >= 0))
      FuzzFail("a dot outside its picture was accepted");
  const bool writable = dots.Picture.find('\n') == std::string::npos;
  if (!writable) FuzzFail("a picture name with a line break was accepted");
  WriteDotsFile(copy, dots.Picture, &dots, "", TTrackOptions{});
  const TFileBytes again = ReadWholeFile(copy);
  const TDotsFileContent reread = ParseDotsFile(again.begin(), again.Size, "fuzz.dots");
  const TPictureDots& b = reread.Dots;
  if (b.Picture != dots.Picture || b.FileName != dots.FileName || b.Width != dots.Width ||
      b.Height != dots.Height || b.WhiteDots != dots.WhiteDots || b.LeastArea != dots.LeastArea ||
      b.Decoding != dots.Decoding || b.Dots.size() != dots.Dots.size())
    FuzzFail("a written dots file reads back different");
  for (size_t i = 0; i < b.Dots.size(); ++i)
    if (std::memcmp(&b.Dots[i].x, &dots.Dots[i].x, 4) != 0 ||
        std::memcmp(&b.Dots[i].y, &dots.Dots[i].y, 4) != 0 || b.Dots[i].Area != dots.Dots[i].Area)
      FuzzFail("dot %zu reads back different", i);
  return 0;
}
