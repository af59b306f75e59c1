#include "register/Lattice.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <utility>

#include "register/Pointgrid.h"

namespace {

// How far from its predicted place a neighbour may lie, in local steps.
constexpr double Tolerance = 0.3;
constexpr int32_t DeltaX[4] = {1, 0, -1, 0};
constexpr int32_t DeltaY[4] = {0, 1, 0, -1};

double Cross(double ax, double ay, double bx, double by) {
  return ax * by - ay * bx;
}

// The indices of one component during its walk, in a square window about its seed.
class TIndexWindow {
 public:
  explicit TIndexWindow(int32_t reach)
      : FReach(reach), FSide(2 * static_cast<size_t>(reach) + 1), FCells(FSide * FSide, -1) {}
  bool Inside(int32_t mx, int32_t my) const {
    return std::abs(mx) <= FReach && std::abs(my) <= FReach;
  }
  int32_t& At(int32_t mx, int32_t my) {
    return FCells[static_cast<size_t>(my + FReach) * FSide + static_cast<size_t>(mx + FReach)];
  }
  int32_t Get(int32_t mx, int32_t my) { return Inside(mx, my) ? At(mx, my) : -1; }
  void Clear(const std::vector<TLatticeDot>& dots, const std::vector<int32_t>& members) {
    for (int32_t i : members)
      At(dots[static_cast<size_t>(i)].Mx, dots[static_cast<size_t>(i)].My) = -1;
  }

 private:
  int32_t FReach;
  size_t FSide;
  std::vector<int32_t> FCells;
};

// A seed: a dot with a neighbour on both sides along two directions; its steps A and B.
bool SeedSteps(const TPointGrid& points, const std::vector<TLatticeDot>& dots, int32_t s,
               double pitch, int32_t orientation, TLatticeDot& seed) {
  const double x = points.X(s), y = points.Y(s);
  auto free = [&](int32_t i) { return i >= 0 && dots[static_cast<size_t>(i)].Component < 0; };
  const int32_t a = points.Nearest(x, y, 1.6 * pitch, s);
  if (!free(a)) return false;
  const double ax = points.X(a) - x, ay = points.Y(a) - y, la = std::hypot(ax, ay);
  if (!free(points.Nearest(x - ax, y - ay, Tolerance * la, s))) return false;
  // The shortest step well away from the first one's line.
  double bx = 0, by = 0, lb = 0;
  points.ForEachWithin(x, y, 1.8 * la, [&](int32_t i) {
    if (i == s || !free(i)) return;
    const double vx = points.X(i) - x, vy = points.Y(i) - y, lv = std::sqrt(vx * vx + vy * vy);
    if (lv < 0.5 * la || std::fabs(vx * ax + vy * ay) > 0.82 * lv * la) return;
    if (lb == 0 || lv < lb) bx = vx, by = vy, lb = lv;
  });
  if (lb == 0 || !free(points.Nearest(x - bx, y - by, Tolerance * lb, s))) return false;
  if ((Cross(ax, ay, bx, by) > 0 ? 1 : -1) != orientation) bx = -bx, by = -by;
  seed.Ax = static_cast<float>(ax), seed.Ay = static_cast<float>(ay);
  seed.Bx = static_cast<float>(bx), seed.By = static_cast<float>(by);
  return true;
}

}  // namespace

double NearestSpacing(const TPointGrid& points) {
  const int32_t n = points.Count();
  if (n < 2) return 0;
  std::vector<double> gaps;
  const int32_t stride = std::max(1, n / 2000);
  // Without a spacing known yet, the search widens until a neighbour turns up.
  double radius = 1;
  for (int32_t i = 0; i < n; i += stride) {
    int32_t j = -1;
    for (int32_t tries = 0; j < 0 && tries < 40; ++tries, radius *= 2)
      j = points.Nearest(points.X(i), points.Y(i), radius, i);
    if (j < 0) continue;
    gaps.push_back(std::hypot(points.X(j) - points.X(i), points.Y(j) - points.Y(i)));
    radius = std::max(1.0, 2 * gaps.back());
  }
  if (gaps.empty()) return 0;
  std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2),
                   gaps.end());
  return gaps[gaps.size() / 2];
}

TLattice IndexLattice(const TPointGrid& points, double pitch, int32_t orientation,
                      int32_t minimumSize) {
  TLattice lattice;
  const int32_t n = points.Count();
  lattice.Dots.assign(static_cast<size_t>(n), TLatticeDot{});
  lattice.Pitch = pitch;
  if (n < 2 || !(pitch > 0)) return lattice;
  std::vector<TLatticeDot>& dots = lattice.Dots;

  // Seeds are tried from the middle of the dots outwards: the middle is where a grid is whole.
  double cx = 0, cy = 0, minX = points.X(0), maxX = minX, minY = points.Y(0), maxY = minY;
  for (int32_t i = 0; i < n; ++i) {
    cx += points.X(i), cy += points.Y(i);
    minX = std::min<double>(minX, points.X(i)), maxX = std::max<double>(maxX, points.X(i));
    minY = std::min<double>(minY, points.Y(i)), maxY = std::max<double>(maxY, points.Y(i));
  }
  cx /= n, cy /= n;
  std::vector<std::pair<float, int32_t>> ranked(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    const double dx = points.X(i) - cx, dy = points.Y(i) - cy;
    ranked[static_cast<size_t>(i)] = {static_cast<float>(dx * dx + dy * dy), i};
  }
  // Only the first seeds need the order; later components start from any dot left.
  const auto head = ranked.begin() + std::min<std::ptrdiff_t>(n, 512);
  std::partial_sort(ranked.begin(), head, ranked.end());
  std::vector<int32_t> order(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i)
    order[static_cast<size_t>(i)] = ranked[static_cast<size_t>(i)].second;
  // No index can lie farther from a seed than the dots' extent in the shortest step (with room
  // for strain), so the window holds every component.
  const double extent = std::hypot(maxX - minX, maxY - minY) / (0.6 * pitch) + 2;
  TIndexWindow window(static_cast<int32_t>(std::min(extent, 20000.0)));

  std::deque<int32_t> queue;
  std::vector<int32_t> members;
  for (int32_t s : order) {
    if (dots[static_cast<size_t>(s)].Component >= 0) continue;
    TLatticeDot seed;
    if (!SeedSteps(points, dots, s, pitch, orientation, seed)) continue;
    const int32_t component = static_cast<int32_t>(lattice.Components.size());
    seed.Component = component;
    dots[static_cast<size_t>(s)] = seed;
    window.At(0, 0) = s;
    members.assign(1, s);
    queue.assign(1, s);
    while (!queue.empty()) {
      const int32_t d = queue.front();
      queue.pop_front();
      TLatticeDot& here = dots[static_cast<size_t>(d)];
      const double x = points.X(d), y = points.Y(d);
      // The steps to the neighbours already indexed are this dot's own.
      for (int32_t axis = 0; axis < 2; ++axis) {
        const int32_t fx = axis == 0, fy = axis == 1;
        int32_t other = window.Get(here.Mx + fx, here.My + fy);
        double sign = 1;
        if (other < 0) other = window.Get(here.Mx - fx, here.My - fy), sign = -1;
        if (other < 0) continue;
        const float sx = static_cast<float>(sign * (points.X(other) - x));
        const float sy = static_cast<float>(sign * (points.Y(other) - y));
        if (axis == 0)
          here.Ax = sx, here.Ay = sy;
        else
          here.Bx = sx, here.By = sy;
      }
      for (int32_t dir = 0; dir < 4; ++dir) {
        const int32_t mx = here.Mx + DeltaX[dir], my = here.My + DeltaY[dir];
        if (!window.Inside(mx, my) || window.At(mx, my) >= 0) continue;
        const double sign = dir < 2 ? 1 : -1;
        const double sx = sign * (dir % 2 == 0 ? here.Ax : here.Bx);
        const double sy = sign * (dir % 2 == 0 ? here.Ay : here.By);
        const int32_t found =
            points.Nearest(x + sx, y + sy, Tolerance * std::sqrt(sx * sx + sy * sy), d);
        if (found < 0 || dots[static_cast<size_t>(found)].Component >= 0) continue;
        TLatticeDot next = here;
        next.Mx = mx, next.My = my;
        // Half the step measured, half the one predicted: a single uneven gap does not throw
        // the next prediction.
        const float mxs = static_cast<float>(sign * (points.X(found) - x));
        const float mys = static_cast<float>(sign * (points.Y(found) - y));
        if (dir % 2 == 0)
          next.Ax = 0.5f * (next.Ax + mxs), next.Ay = 0.5f * (next.Ay + mys);
        else
          next.Bx = 0.5f * (next.Bx + mxs), next.By = 0.5f * (next.By + mys);
        dots[static_cast<size_t>(found)] = next;
        window.At(mx, my) = found;
        members.push_back(found);
        queue.push_back(found);
      }
    }
    window.Clear(dots, members);
    if (static_cast<int32_t>(members.size()) < minimumSize) {
      for (int32_t i : members) dots[static_cast<size_t>(i)] = TLatticeDot{};
      continue;
    }
    lattice.Components.push_back(members);
  }
  // Largest first, numbered again.
  std::stable_sort(lattice.Components.begin(), lattice.Components.end(),
                   [](const auto& a, const auto& b) { return a.size() > b.size(); });
  for (size_t c = 0; c < lattice.Components.size(); ++c)
    for (int32_t i : lattice.Components[c])
      dots[static_cast<size_t>(i)].Component = static_cast<int32_t>(c);
  return lattice;
}
