#include "encode/Encodereference.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

#include "base/Convert.h"
#include "base/Error.h"
#include "encode/Encode.h"

namespace {

// Tried in order of their distance from the centre of the reference grid.
constexpr size_t MaxCandidates = 8;
constexpr double Reach = 0.4;  // of the local pitch

struct TCandidate {
  int32_t Dot = -1;
  int32_t Neighbour[4] = {-1, -1, -1, -1};
  double Pitch = 0;  // the shortest of its four steps
};

double Distance(const TDotInfo& a, const TDotInfo& b) {
  return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

int64_t GridKey(int32_t nx, int32_t ny) {
  return int64_t{nx} * 4294967296LL + static_cast<uint32_t>(ny);
}

// Ranked by the distance from the mean position, ties by (Nx, Ny); only the first few complete
// ones are wanted, so only they are checked for their neighbours (the grid of a tracked test is
// indexed again at every step).
std::vector<TCandidate> Candidates(const std::vector<TDotInfo>& reference) {
  std::unordered_map<int64_t, int32_t> at;
  at.reserve(reference.size());
  double sumX = 0, sumY = 0;
  int32_t count = 0;
  for (size_t i = 0; i < reference.size(); ++i) {
    const TDotInfo& d = reference[i];
    if (!d.Coded || !std::isfinite(d.x) || !std::isfinite(d.y)) continue;
    at[GridKey(d.Nx, d.Ny)] =
        static_cast<int32_t>(i);  // a later dot at the same place wins, as in a table
    sumX += d.x;
    sumY += d.y;
    ++count;
  }
  if (count == 0) return {};
  const double cx = sumX / count, cy = sumY / count;
  struct TRanked {
    double Distance;
    int32_t Nx, Ny, Dot;
  };
  std::vector<TRanked> ranked;
  ranked.reserve(at.size());
  for (const auto& [key, i] : at) {
    const TDotInfo& d = reference[static_cast<size_t>(i)];
    ranked.push_back({std::hypot(d.x - cx, d.y - cy), d.Nx, d.Ny, i});
  }
  std::sort(ranked.begin(), ranked.end(), [](const TRanked& a, const TRanked& b) {
    if (a.Distance != b.Distance) return a.Distance < b.Distance;
    return a.Nx != b.Nx ? a.Nx < b.Nx : a.Ny < b.Ny;
  });
  std::vector<TCandidate> result;
  for (const TRanked& r : ranked) {
    if (result.size() == MaxCandidates) break;
    TCandidate c;
    c.Dot = r.Dot;
    bool complete = true;
    c.Pitch = 1e300;
    for (int32_t d = 0; d < 4 && complete; ++d) {
      const auto n = at.find(GridKey(r.Nx + TEncode::FDirX[d], r.Ny + TEncode::FDirY[d]));
      complete = n != at.end();
      if (!complete) break;
      c.Neighbour[d] = n->second;
      c.Pitch = std::min(c.Pitch, Distance(reference[static_cast<size_t>(r.Dot)],
                                           reference[static_cast<size_t>(n->second)]));
    }
    if (complete && c.Pitch > 0) result.push_back(c);
  }
  return result;
}

// The job's dot nearest to (x, y) when it lies within reach, else -1.
int32_t Near(TEncode& job, double x, double y, double reach) {
  const int32_t i = job.NearestDot(static_cast<float>(x), static_cast<float>(y));
  if (i < 0) return -1;
  const TDotInfo& d = job.FDotInfo[i];
  return std::hypot(d.x - x, d.y - y) <= reach ? i : -1;
}

}  // namespace

int32_t FindOriginByReference(TEncode& job, const std::vector<TDotInfo>& reference, float shiftX,
                              float shiftY, const std::string& shiftInput) {
  const std::vector<TCandidate> candidates = Candidates(reference);
  if (candidates.empty())
    throw TError(
        "The reference code file has no dot with all four grid neighbours: it cannot give the "
        "origin");
  if (job.FDotSum <= 0 || static_cast<int32_t>(job.FDotInfo.size()) < job.FDotSum)
    throw TError("No dots in this image\nmay be you should give a small noise threshold");
  std::string firstFailure;
  for (const TCandidate& c : candidates) {
    const TDotInfo& r = reference[c.Dot];
    const double reach = Reach * c.Pitch;
    const double px = static_cast<double>(r.x) + shiftX, py = static_cast<double>(r.y) + shiftY;
    const int32_t origin = Near(job, px, py, reach);
    int32_t n[4] = {-1, -1, -1, -1};
    bool found = origin >= 0;
    for (int32_t d = 0; d < 4 && found; ++d) {
      const TDotInfo& rn = reference[c.Neighbour[d]];
      const TDotInfo& o = job.FDotInfo[origin];
      n[d] = Near(job, static_cast<double>(o.x) + rn.x - r.x, static_cast<double>(o.y) + rn.y - r.y,
                  reach);
      found = n[d] >= 0 && n[d] != origin && std::find(n, n + d, n[d]) == n + d;
    }
    if (!found) {
      if (firstFailure.empty())
        firstFailure = Format(
            "No dot within %.1f px of (%.1f, %.1f), where the reference dot (%d, %d) or one of "
            "its neighbours should be: give the motion of the grid between the two pictures "
            "%s",
            reach, px, py, r.Nx, r.Ny, shiftInput.c_str());
      continue;
    }
    const TDotInfo& o = job.FDotInfo[origin];
    const double horizontal =
        std::min(Distance(o, job.FDotInfo[n[0]]), Distance(o, job.FDotInfo[n[2]]));
    const double vertical =
        std::min(Distance(o, job.FDotInfo[n[1]]), Distance(o, job.FDotInfo[n[3]]));
    job.FRatio = horizontal > 0 ? static_cast<float>(vertical / horizontal) : 1.0f;
    if (!std::isfinite(job.FRatio) || job.FRatio <= 0) job.FRatio = 1.0f;
    job.AssignDot(origin, n, r.Nx, r.Ny);
    return origin;
  }
  throw TError(firstFailure);
}

std::vector<TDotInfo> CodedDots(const TEncode& job) {
  std::vector<TDotInfo> dots;
  const int32_t count = std::min(job.FDotSum, static_cast<int32_t>(job.FDotInfo.size()));
  for (int32_t i = 0; i < count; ++i)
    if (job.FDotInfo[i].Coded) dots.push_back(job.FDotInfo[i]);
  return dots;
}
