#include "MatrixSupport.h"

#include <unistd.h>

#include "image/Grayimage.h"
#include "support/BmpBytes.h"
#include "synth/Synth.h"

namespace matrix {

std::string Bitmap24(int32_t width, int32_t height) {
  const int32_t rows = height < 0 ? -height : height;
  const size_t stride = (3 * static_cast<size_t>(width) + 3) / 4 * 4;
  std::string data(stride * rows, '\0');
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        data[y * stride + 3 * x + c] = static_cast<char>((x * 16 + y * 8) & 255);
  return BitmapBytes(width, height, 24, 0, 0, data);
}

void SaveSegmentedGrid(const std::string& path, int32_t width, int32_t height) {
  TSynthOptions o;
  o.Width = width;
  o.Height = height;
  o.PitchX = o.PitchY = 10;
  o.Radius = 3;
  o.DotLevel = 255;
  o.BackgroundLevel = 0;
  TGrayImage image;
  TSynthGrid(o).Render(false, image);
  image.SaveBmp(path);
}

std::string ValidCodeFile() {
  return "VRKT-FS\r\n"
         "6 64 48\r\n"
         "5  5  1.000000  1.000000  0\r\n"
         "  0     10.000    10.000    -1    1   30\r\n"
         "  1     20.000    10.000     0    1   30\r\n"
         "  2     30.000    10.000     1    1   30\r\n"
         "  3     10.000    20.000    -1    0   30\r\n"
         "  4     20.000    20.000     0    0   30\r\n"
         "  5     30.000    20.000     1    0   30\r\n"
         "grid.bmp\r\n";
}

std::string FailureProblem(const TCliResult& run, const std::vector<std::string>& fragments,
                           int status) {
  if (run.Status != status)
    return "status " + std::to_string(run.Status) + " instead of " + std::to_string(status) +
           ", stderr: " + run.Err;
  if (run.Err.empty()) return "no message on stderr";
  for (const std::string& f : fragments)
    if (run.Err.find(f) == std::string::npos) return "message lacks \"" + f + "\": " + run.Err;
  return {};
}

bool IsRoot() {
  return ::geteuid() == 0;
}

}  // namespace matrix
