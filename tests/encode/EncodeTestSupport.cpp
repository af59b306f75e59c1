#include "EncodeTestSupport.h"

#include <cmath>
#include <map>

#include "base/Convert.h"
#include "base/Error.h"
#include "support/Checks.h"

namespace enctest {

std::unique_ptr<TGrayImage> Blank(int32_t width, int32_t height, uint8_t value) {
  auto image = std::make_unique<TGrayImage>();
  image->SetWidth(width);
  image->SetHeight(height);
  image->FillRect(value, 0, 0, width - 1, height - 1);
  return image;
}

void DrawDisc(TGrayImage& image, double cx, double cy, double radius, uint8_t value) {
  for (int32_t y = 0; y < image.Height(); ++y)
    for (int32_t x = 0; x < image.Width(); ++x)
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) image.SetPixel(x, y, value);
}

void DrawRect(TGrayImage& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t value) {
  image.FillRect(value, x1, y1, x2, y2);
}

std::unique_ptr<TEncode> Job(std::unique_ptr<TGrayImage> image, bool whiteDots, int32_t maxN,
                             bool draw) {
  auto job = std::make_unique<TEncode>(std::move(image), whiteDots, draw, maxN, maxN);
  job->FDelay = 0;
  return job;
}

void Extract(TEncode& job, int32_t leastArea) {
  job.PrepareImage(nullptr);
  job.FAreaThreshold = leastArea;
  job.RemoveNoise(nullptr);
  job.BuildDotInfo(nullptr);
}

TGridCase SegmentedGrid(TSynthOptions options) {
  options.DotLevel = options.WhiteDots ? 255 : 0;
  options.BackgroundLevel = options.WhiteDots ? 0 : 255;
  TGridCase c;
  c.Options = options;
  c.Grid = std::make_unique<TSynthGrid>(options);
  c.Image = std::make_unique<TGrayImage>();
  c.Grid->Render(false, *c.Image);
  return c;
}

int32_t DotAt(const TEncode& job, double x, double y, double maxDistance) {
  int32_t best = -1;
  double bestD = maxDistance * maxDistance;
  for (int32_t i = 0; i < job.FDotSum; ++i) {
    const double dx = job.FDotInfo[i].x - x, dy = job.FDotInfo[i].y - y;
    if (dx * dx + dy * dy <= bestD) {
      bestD = dx * dx + dy * dy;
      best = i;
    }
  }
  return best;
}

namespace {

// The job's dots by 4-pixel squares, for finding the dot at a true centre quickly.
class TLookup {
 public:
  explicit TLookup(const TEncode& job) : FJob(job) {
    for (int32_t i = 0; i < job.FDotSum; ++i)
      FCells[Key(job.FDotInfo[i].x, job.FDotInfo[i].y)].push_back(i);
  }
  int32_t At(double x, double y) const {
    int32_t best = -1;
    double bestD = 1.5 * 1.5;
    for (int32_t dy = -1; dy <= 1; ++dy)
      for (int32_t dx = -1; dx <= 1; ++dx) {
        auto it = FCells.find(Key(x + 4 * dx, y + 4 * dy));
        if (it == FCells.end()) continue;
        for (int32_t i : it->second) {
          const double ex = FJob.FDotInfo[i].x - x, ey = FJob.FDotInfo[i].y - y;
          if (ex * ex + ey * ey <= bestD) {
            bestD = ex * ex + ey * ey;
            best = i;
          }
        }
      }
    return best;
  }

 private:
  static std::pair<int64_t, int64_t> Key(double x, double y) {
    return {static_cast<int64_t>(std::floor(x / 4)), static_cast<int64_t>(std::floor(y / 4))};
  }
  const TEncode& FJob;
  std::map<std::pair<int64_t, int64_t>, std::vector<int32_t>> FCells;
};

}  // namespace

std::string EncodingErrors(const TEncode& job, const TSynthGrid& grid) {
  const TLookup lookup(job);
  const TSynthDot* origin = nullptr;
  for (const TSynthDot& d : grid.Dots()) {
    if (!d.Present) continue;
    const int32_t i = lookup.At(d.X0, d.Y0);
    if (i >= 0 && job.FDotInfo[i].Coded && job.FDotInfo[i].Nx == 0 && job.FDotInfo[i].Ny == 0)
      origin = &d;
  }
  if (origin == nullptr) return "no dot at (0, 0)";
  std::string errors;
  int32_t count = 0, present = 0;
  for (const TSynthDot& d : grid.Dots()) {
    if (!d.Present) continue;
    ++present;
    const int32_t i = lookup.At(d.X0, d.Y0);
    std::string problem;
    if (i < 0) {
      problem = "not measured";
    } else {
      const TDotInfo& dot = job.FDotInfo[i];
      const int32_t nx = d.I - origin->I, ny = origin->J - d.J;
      if (!dot.Coded)
        problem = "not coded";
      else if (dot.Nx != nx || dot.Ny != ny)
        problem = Format("coded (%d,%d), expected (%d,%d)", dot.Nx, dot.Ny, nx, ny);
    }
    if (problem.empty()) continue;
    if (++count <= 5) errors += Format("dot I=%d J=%d: ", d.I, d.J) + problem + "; ";
  }
  if (count > 5) errors += Format("%d wrong of %d", count, present);
  return errors;
}

}  // namespace enctest
