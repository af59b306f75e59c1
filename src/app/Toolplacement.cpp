#include "app/Toolplacement.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

int64_t Area(const QRect& a, const QRect& b) {
  const QRect overlap = a.intersected(b);
  return overlap.isEmpty() ? 0 : int64_t{overlap.width()} * overlap.height();
}

bool Free(const QRect& r, const QList<QRect>& taken) {
  return std::none_of(taken.begin(), taken.end(), [&](const QRect& t) { return r.intersects(t); });
}

// The screen the picture is mostly on; the first screen when it is on none.
QRect ScreenOf(const QRect& picture, const QList<QRect>& screens) {
  QRect best = screens.first();
  int64_t bestArea = -1;
  for (const QRect& s : screens) {
    const int64_t area =
        s.contains(picture.center()) ? std::numeric_limits<int64_t>::max() : Area(s, picture);
    if (area > bestArea) best = s, bestArea = area;
  }
  return best;
}

// A position with the frame inside the screen, as far as it fits (the top-left corner first).
QPoint Inside(QPoint p, QSize frame, const QRect& screen) {
  p.setX(std::max(screen.left(), std::min(p.x(), screen.right() + 1 - frame.width())));
  p.setY(std::max(screen.top(), std::min(p.y(), screen.bottom() + 1 - frame.height())));
  return p;
}

}  // namespace

QPoint TToolPlacement::Place(QSize frame, const QRect& picture, const QList<QRect>& screens,
                             const QList<QRect>& taken, const QList<QRect>& kept) {
  if (screens.isEmpty()) return picture.topRight() + QPoint(Gap, 0);
  const QRect screen = ScreenOf(picture, screens);
  // Beside the picture: right, left, below, above; along each side from the picture's corner,
  // then after each tool window already there.
  std::vector<int> ys{std::max(picture.top(), screen.top())};
  std::vector<int> xs{std::max(picture.left(), screen.left())};
  for (const QRect& t : taken) {
    ys.push_back(t.bottom() + 1 + Gap);
    xs.push_back(t.right() + 1 + Gap);
  }
  // Level with the picture first, then after each tool window in turn.
  std::sort(ys.begin() + 1, ys.end());
  std::sort(xs.begin() + 1, xs.end());
  std::vector<QPoint> beside;
  for (int y : ys) beside.emplace_back(picture.right() + 1 + Gap, y);
  for (int y : ys) beside.emplace_back(picture.left() - Gap - frame.width(), y);
  for (int x : xs) beside.emplace_back(x, picture.bottom() + 1 + Gap);
  for (int x : xs) beside.emplace_back(x, picture.top() - Gap - frame.height());
  for (const QPoint& p : beside) {
    const QRect r(p, frame);
    if (screen.contains(r) && !r.intersects(picture) && Free(r, taken) && Free(r, kept)) return p;
  }
  // No room beside it: over the picture's edge, never over its centre nor the controls and
  // docks. The corners of the screen and of the picture (which ends where the controls and docks
  // begin), along its edges and below the tool windows.
  const int left = screen.left(), right = screen.right() + 1 - frame.width();
  const int top = screen.top(), bottom = screen.bottom() + 1 - frame.height();
  std::vector<QPoint> over;
  std::vector<int> edgeXs{left, right, picture.left(), picture.right() + 1 - frame.width()};
  std::vector<int> edgeYs = ys;
  edgeYs.insert(edgeYs.end(), {top, bottom, picture.bottom() + 1 - frame.height()});
  for (int y : edgeYs)
    for (int x : edgeXs) over.emplace_back(x, y);
  QPoint best = Inside(over.front(), frame, screen);
  int64_t bestCost = std::numeric_limits<int64_t>::max();
  for (const QPoint& candidate : over) {
    const QPoint p = Inside(candidate, frame, screen);
    const QRect r(p, frame);
    int64_t cost = Area(r, picture);
    for (const QRect& t : taken) cost += 4 * Area(r, t);
    if (!Free(r, kept)) cost += int64_t{1} << 45;
    if (r.contains(picture.center())) cost += int64_t{1} << 50;
    if (cost < bestCost) best = p, bestCost = cost;
  }
  return best;
}

bool TToolPlacement::OnScreen(const QRect& frame, const QList<QRect>& screens) {
  const QRect titleBar(frame.topLeft(), QSize(std::min(frame.width(), 120), 24));
  return std::any_of(screens.begin(), screens.end(),
                     [&](const QRect& s) { return s.contains(titleBar); });
}
