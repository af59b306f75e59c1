#include "reference/PlainWalk.h"

#include <algorithm>
#include <cmath>

#include "base/Error.h"

namespace {

float F(double v) {
  return static_cast<float>(v);
}

}  // namespace

void PlainExpand(TEncode& job, int32_t u, int32_t d, std::vector<int32_t>& order) {
  const int32_t v = job.FDotInfo[u].Neighbour[d];
  if (v < 0) return;
  if (job.FDotInfo[v].Neted) {
    if (job.IsConsistent(u, v, d)) return;
    throw TError(" Error when encoding, Direct correct it");
  }
  if (!job.FDotInfo[v].Coded) return;
  const TDotInfo du = job.FDotInfo[u], dv = job.FDotInfo[v];
  int32_t n[4];
  for (int32_t k = 0; k < 4; ++k) {
    const int32_t g = job.GridNeighbour(v, k);
    const int32_t w = job.GridNeighbour(u, k);
    if (g >= 0) {
      if (!job.IsConsistent(v, g, k)) throw TError("Error when Encoding, direct correct it");
      n[k] = g;
    } else if (k == d) {
      const double ax = std::fabs(double{dv.x} - du.x), ay = std::fabs(double{dv.y} - du.y);
      job.FTolX = ax > ay ? F(0.45 * ax) : F(0.45 * ay / job.FRatio);
      job.FTolY = F(double{job.FTolX} * job.FRatio);
      n[k] = job.NearestDotWithin(F(2.0 * dv.x - du.x), F(2.0 * dv.y - du.y));
    } else if (w >= 0) {
      const TDotInfo dw = job.FDotInfo[w];
      job.FTolX = F(0.45 * std::fabs(k % 2 == 1 ? double{dv.x} - du.x : double{dw.x} - du.x));
      job.FTolY = F(0.45 * std::fabs(k % 2 == 1 ? double{dw.y} - du.y : double{dv.y} - du.y));
      n[k] = job.NearestDotWithin(F(double{dv.x} + dw.x - du.x), F(double{dv.y} + dw.y - du.y));
    } else {
      double ex = double{dv.x} - du.x, ey = double{dv.y} - du.y;
      if (k == (d + 1) % 4)
        ey = -ey;
      else
        ex = -ex;
      const double step = std::max(std::fabs(ex), std::fabs(ey));
      const double scale = d % 2 == 0 ? job.FRatio : 1.0 / job.FRatio;
      job.FTolX = F(0.45 * step * (d % 2 == 0 ? 1.0 : 1.0 / job.FRatio));
      job.FTolY = F(double{job.FTolX} * job.FRatio);
      n[k] = job.NearestDotWithin(F(dv.x + scale * ey), F(dv.y + scale * ex));
    }
  }
  job.AssignDot(v, n, dv.Nx, dv.Ny);
  order.push_back(v);
  PlainExpand(job, v, (d + 1) % 4, order);
  PlainExpand(job, v, (d + 3) % 4, order);
  PlainExpand(job, v, d, order);
}
