#include "EncodeTestSupport.h"

#include "base/Convert.h"
#include "encode/Dotgrid.h"
#include "encode/Encoderun.h"
#include "support/Checks.h"

namespace enctest {

std::unique_ptr<TGrayImage> Blank(int32_t width, int32_t height, uint8_t value) {
  auto image = std::make_unique<TGrayImage>();
  image->SetWidth(width);
  image->SetHeight(height);
  image->FillRect(value, 0, 0, width - 1, height - 1);
  return image;
}

std::unique_ptr<TEncode> Job(std::unique_ptr<TGrayImage> image, bool whiteDots, int32_t maxN,
                             bool draw) {
  auto job = std::make_unique<TEncode>(std::move(image), whiteDots, draw, maxN, maxN);
  job->SetDelay(0);
  return job;
}

void Extract(TEncode& job, int32_t leastArea) {
  TEncodeRunOptions options;
  options.LeastArea = TLeastArea::Given(leastArea);
  ExtractDots(job, options);
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
  for (int32_t i = 0; i < job.DotSum(); ++i) {
    const double dx = job.DotInfo()[i].x - x, dy = job.DotInfo()[i].y - y;
    if (dx * dx + dy * dy <= bestD) {
      bestD = dx * dx + dy * dy;
      best = i;
    }
  }
  return best;
}

std::string EncodingErrors(const TEncode& job, const TSynthGrid& grid) {
  // The bucket grid is checked against a linear scan in DotgridTest.cpp; a scan per true dot
  // would take minutes on the largest grid.
  TDotGrid dots;
  dots.Build(job.DotInfo().data(), job.DotSum());
  auto lookup = [&](double x, double y) {
    return dots.Nearest(static_cast<float>(x), static_cast<float>(y), 1.5f * 1.5f, -1);
  };
  const TSynthDot* origin = nullptr;
  for (const TSynthDot& d : grid.Dots()) {
    if (!d.Present) continue;
    const int32_t i = lookup(d.X0, d.Y0);
    if (i >= 0 && job.DotInfo()[i].Coded && job.DotInfo()[i].Nx == 0 && job.DotInfo()[i].Ny == 0)
      origin = &d;
  }
  if (origin == nullptr) return "no dot at (0, 0)";
  std::string errors;
  int32_t count = 0, present = 0;
  for (const TSynthDot& d : grid.Dots()) {
    if (!d.Present) continue;
    ++present;
    const int32_t i = lookup(d.X0, d.Y0);
    std::string problem;
    if (i < 0) {
      problem = "not measured";
    } else {
      const TDotInfo& dot = job.DotInfo()[i];
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
