#include "EncodeSupport.h"

#include <cmath>
#include <cstring>

#include "base/Convert.h"
#include "image/Grayimage.h"

namespace EncodeSupport {

void WriteDots(const std::string& path, int32_t width, int32_t height,
               const std::vector<QPointF>& centres, double radius) {
  TGrayImage image;
  image.SetWidth(width);
  image.SetHeight(height);
  std::memset(image.Data(), 0, static_cast<size_t>(image.Size()));
  for (const QPointF& c : centres)
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x)
        if (std::hypot(x - c.x(), y - c.y()) <= radius) image.SetPixel(x, y, 255);
  image.SaveToFile(path);
}

std::vector<QPointF> Lattice(double x0, double y0, double pitchX, double pitchY, int columns,
                             int rows) {
  std::vector<QPointF> centres;
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < columns; ++i) centres.emplace_back(x0 + i * pitchX, y0 + j * pitchY);
  return centres;
}

std::unique_ptr<TEncode> CoreRun(const std::string& path, bool whiteDots, int32_t leastArea,
                                 int32_t method, int32_t maxN) {
  auto job = std::make_unique<TEncode>(path, whiteDots, false, maxN, maxN);
  job->FDelay = 0;
  job->PrepareImage(nullptr);
  job->FAreaThreshold = leastArea;
  job->RemoveNoise(nullptr);
  job->BuildDotInfo(nullptr);
  const int32_t origin = job->FindOrigin(method);
  if (origin >= 0) job->Encode(origin);
  return job;
}

std::string DotDifference(const TEncode& a, const TEncode& b) {
  if (a.FDotSum != b.FDotSum || a.FDotInfo.size() != b.FDotInfo.size())
    return "dot counts " + IntToStr(a.FDotSum) + " and " + IntToStr(b.FDotSum);
  for (size_t i = 0; i < a.FDotInfo.size(); ++i) {
    const TDotInfo& p = a.FDotInfo[i];
    const TDotInfo& q = b.FDotInfo[i];
    bool same = p.x == q.x && p.y == q.y && p.Nx == q.Nx && p.Ny == q.Ny && p.Neted == q.Neted &&
                p.Coded == q.Coded && p.Area == q.Area;
    for (int d = 0; d < 4; ++d) same = same && p.Neighbour[d] == q.Neighbour[d];
    if (!same) return "dot " + IntToStr(static_cast<int64_t>(i));
  }
  return "";
}

int32_t DotNear(const TEncode& job, double x, double y) {
  for (size_t i = 0; i < job.FDotInfo.size(); ++i)
    if (std::hypot(job.FDotInfo[i].x - x, job.FDotInfo[i].y - y) < 1.0)
      return static_cast<int32_t>(i);
  return -1;
}

}  // namespace EncodeSupport
