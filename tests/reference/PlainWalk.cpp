#include "reference/PlainWalk.h"

#include <algorithm>
#include <cmath>

#include "base/Error.h"
#include "reference/LinearSearch.h"

namespace {

float F(double v) {
  return static_cast<float>(v);
}

}  // namespace

void PlainExpand(TEncode& job, int32_t u, int32_t d, std::vector<int32_t>& order) {
  const int32_t v = job.DotInfo()[u].Neighbour[d];
  if (v < 0) return;
  if (job.DotInfo()[v].Neted) {
    if (job.IsConsistent(u, v, d)) return;
    throw TError(" Error when encoding, Direct correct it");
  }
  if (!job.DotInfo()[v].Coded) return;
  const TDotInfo du = job.DotInfo()[u], dv = job.DotInfo()[v];
  int32_t n[4];
  for (int32_t k = 0; k < 4; ++k) {
    const int32_t g = job.GridNeighbour(v, k);
    const int32_t w = job.GridNeighbour(u, k);
    if (g >= 0) {
      if (!job.IsConsistent(v, g, k)) throw TError("Error when Encoding, direct correct it");
      n[k] = g;
    } else if (k == d) {
      const double ax = std::fabs(double{dv.x} - du.x), ay = std::fabs(double{dv.y} - du.y);
      const float tolX = ax > ay ? F(0.45 * ax) : F(0.45 * ay / job.Ratio());
      n[k] = LinearWithin(job.DotInfo(), F(2.0 * dv.x - du.x), F(2.0 * dv.y - du.y), tolX,
                          F(double{tolX} * job.Ratio()));
    } else if (w >= 0) {
      const TDotInfo dw = job.DotInfo()[w];
      const float tolX =
          F(0.45 * std::fabs(k % 2 == 1 ? double{dv.x} - du.x : double{dw.x} - du.x));
      const float tolY =
          F(0.45 * std::fabs(k % 2 == 1 ? double{dw.y} - du.y : double{dv.y} - du.y));
      n[k] = LinearWithin(job.DotInfo(), F(double{dv.x} + dw.x - du.x),
                          F(double{dv.y} + dw.y - du.y), tolX, tolY);
    } else {
      double ex = double{dv.x} - du.x, ey = double{dv.y} - du.y;
      if (k == (d + 1) % 4)
        ey = -ey;
      else
        ex = -ex;
      const double step = std::max(std::fabs(ex), std::fabs(ey));
      const double scale = d % 2 == 0 ? job.Ratio() : 1.0 / job.Ratio();
      const float tolX = F(0.45 * step * (d % 2 == 0 ? 1.0 : 1.0 / job.Ratio()));
      n[k] = LinearWithin(job.DotInfo(), F(dv.x + scale * ey), F(dv.y + scale * ex), tolX,
                          F(double{tolX} * job.Ratio()));
    }
  }
  job.AssignDot(v, n, dv.Nx, dv.Ny);
  order.push_back(v);
  PlainExpand(job, v, (d + 1) % 4, order);
  PlainExpand(job, v, (d + 3) % 4, order);
  PlainExpand(job, v, d, order);
}
