#include "register/Registerpicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

#include "base/Convert.h"
#include "base/Error.h"
#include "encode/Codefile.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "encode/Encodereference.h"
#include "match/Codelineage.h"
#include "register/Gridside.h"
#include "register/Lattice.h"
#include "register/Pointgrid.h"

namespace {

constexpr int32_t MinimumDots = 6;
constexpr size_t MostComponents = 32;
// A dot whose motion departs this far from its neighbours' (pitches) is left unindexed.
constexpr double OutlierReach = 0.35;

int64_t Key(int64_t x, int64_t y) {
  return x * 4294967296LL + static_cast<uint32_t>(y);
}

void BuildGrid(const std::vector<TDotInfo>& dots, TPointGrid& grid) {
  std::vector<float> xs, ys;
  xs.reserve(dots.size()), ys.reserve(dots.size());
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (size_t i = 0; i < dots.size(); ++i) {
    xs.push_back(dots[i].x), ys.push_back(dots[i].y);
    if (i == 0) minX = maxX = dots[i].x, minY = maxY = dots[i].y;
    minX = std::min<double>(minX, dots[i].x), maxX = std::max<double>(maxX, dots[i].x);
    minY = std::min<double>(minY, dots[i].y), maxY = std::max<double>(maxY, dots[i].y);
  }
  // About one point per bucket on a filled area.
  const double cell =
      dots.empty()
          ? 1
          : std::sqrt((maxX - minX + 1) * (maxY - minY + 1) / static_cast<double>(dots.size()));
  grid.Build(xs, ys, cell);
}

// Where the least-squares affine map through the pairs (reference x, y to picture x, y) puts
// (x, y); false when the pairs fix no such map (fewer than three, or all on one line).
bool AffinePlace(const std::vector<std::array<double, 4>>& pairs, double x, double y, double& px,
                 double& py) {
  if (pairs.size() < 3) return false;
  // Centred on (x, y), so the map's constant terms are the place itself.
  double sxx = 0, sxy = 0, syy = 0, sx = 0, sy = 0, n = 0;
  double bx[3] = {0, 0, 0}, by[3] = {0, 0, 0};
  for (const auto& p : pairs) {
    const double u = p[0] - x, v = p[1] - y;
    sxx += u * u, sxy += u * v, syy += v * v, sx += u, sy += v, n += 1;
    bx[0] += p[2], bx[1] += u * p[2], bx[2] += v * p[2];
    by[0] += p[3], by[1] += u * p[3], by[2] += v * p[3];
  }
  // Normal equations [n sx sy; sx sxx sxy; sy sxy syy] c = b, solved by Cramer's rule.
  const double m[3][3] = {{n, sx, sy}, {sx, sxx, sxy}, {sy, sxy, syy}};
  auto det3 = [](const double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  const double d = det3(m);
  if (!(std::fabs(d) > 1e-9 * (sxx * syy + 1) * n)) return false;
  auto first = [&](const double b[3]) {
    double a[3][3];
    for (int32_t r = 0; r < 3; ++r)
      for (int32_t c = 0; c < 3; ++c) a[r][c] = c == 0 ? b[r] : m[r][c];
    return det3(a) / d;
  };
  px = first(bx), py = first(by);
  return true;
}

// Which dots hold their grid position last (a later dot at the same position wins, as in a
// table); the others are dropped.
std::vector<char> LastAtPosition(const std::vector<TDotInfo>& dots) {
  std::vector<char> keep(dots.size(), 0);
  if (dots.empty()) return keep;
  int64_t loX = INT64_MAX, loY = INT64_MAX, hiX = INT64_MIN, hiY = INT64_MIN;
  for (const TDotInfo& d : dots)
    loX = std::min<int64_t>(loX, d.Nx), hiX = std::max<int64_t>(hiX, d.Nx),
    loY = std::min<int64_t>(loY, d.Ny), hiY = std::max<int64_t>(hiY, d.Ny);
  const int64_t w = hiX - loX + 1, h = hiY - loY + 1;
  if (w * h > 4 * static_cast<int64_t>(dots.size()) + (1 << 20)) {  // scattered: by hashing
    std::unordered_map<int64_t, size_t> at;
    for (size_t i = 0; i < dots.size(); ++i) at[Key(dots[i].Nx, dots[i].Ny)] = i;
    for (const auto& [key, i] : at) keep[i] = 1;
    return keep;
  }
  std::vector<int32_t> last(static_cast<size_t>(w * h), -1);
  for (size_t i = 0; i < dots.size(); ++i)
    last[static_cast<size_t>((dots[i].Ny - loY) * w + dots[i].Nx - loX)] = static_cast<int32_t>(i);
  for (int32_t i : last)
    if (i >= 0) keep[static_cast<size_t>(i)] = 1;
  return keep;
}

// Without the minus sign of a value that rounds to zero.
double Shown(double value, double unit) {
  return std::fabs(value) < unit / 2 ? 0.0 : value;
}

std::string Motion(const TCandidate& c) {
  std::string text = Format("(%.1f, %.1f) px", Shown(c.Dx, 0.1), Shown(c.Dy, 0.1));
  if (std::fabs(c.TurnDeg) >= 2) text += Format(" turned %.0f deg", c.TurnDeg);
  return text;
}

const char* HowDecided(TDecision decision) {
  switch (decision) {
    case TDecision::Pictures:
      return "found from the dots' pattern";
    case TDecision::Prediction:
      return "as predicted";
    case TDecision::Override:
      return "as given";
    case TDecision::Ambiguous:
      return "AMBIGUOUS, the smallest of the motions taken";
    case TDecision::NoFit:
      break;
  }
  return "no fit";
}

}  // namespace

TRegisterReference ReferenceFromCodeFile(const TCodeFileContent& content) {
  TRegisterReference r;
  r.Dots = content.Dots;
  r.Width = content.Width, r.Height = content.Height;
  r.Lineage = CodeLineage(content);
  return r;
}

TRegisterReference ReferenceFromJob(const TEncode& job, const std::string& lineage) {
  TRegisterReference r;
  r.Dots = CodedDots(job);
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(job.DotInfo().size()));
  r.AllDots.assign(job.DotInfo().begin(), job.DotInfo().begin() + count);
  r.Width = job.Image().Width(), r.Height = job.Image().Height();
  r.Lineage = lineage;
  return r;
}

namespace {

// A code file's dots as one side, one dot per grid position (the later row winning).
std::vector<TSideDot> SideOfFile(const TCodeFileContent& content) {
  const std::vector<char> keep = LastAtPosition(content.Dots);
  std::vector<TSideDot> side;
  for (size_t i = 0; i < content.Dots.size(); ++i) {
    const TDotInfo& d = content.Dots[i];
    if (!keep[i]) continue;
    TSideDot s;
    s.X = d.x, s.Y = d.y, s.Ix = d.Nx, s.Iy = d.Ny, s.Area = d.Area;
    s.Source = static_cast<int32_t>(i);
    side.push_back(s);
  }
  return side;
}

}  // namespace

TRegistration RegisterCodeFiles(const TCodeFileContent& initial, const TCodeFileContent& deformed) {
  TPointGrid initialAll, deformedAll;
  BuildGrid(initial.Dots, initialAll);
  BuildGrid(deformed.Dots, deformedAll);
  const TGridSide reference(SideOfFile(initial), initialAll, initial.Width, initial.Height);
  const TGridSide target(SideOfFile(deformed), deformedAll, deformed.Width, deformed.Height);
  TPrior prior;
  for (const TDotInfo& d : initial.Dots) prior.X.push_back(d.x), prior.Y.push_back(d.y);
  return Register(reference, target, prior);
}

std::string TRegisterReport::Text() const {
  return Format("motion (%.2f, %.2f) px, turn %.2f deg, %s", Shown(Main.Chosen.Dx, 0.01),
                Shown(Main.Chosen.Dy, 0.01), Shown(Main.Chosen.TurnDeg, 0.01),
                HowDecided(Main.Decision));
}

std::string TRegisterReport::Candidates() const {
  std::string text = Motion(Main.Chosen);
  const size_t shown = std::min<size_t>(Main.Rivals.size(), 5);
  for (size_t i = 0; i < shown; ++i) text += ", or " + Motion(Main.Rivals[i]);
  if (Main.Rivals.size() > shown) text += Format(", or %zu more", Main.Rivals.size() - shown);
  return text;
}

std::string AmbiguityMessage(const TRegisterReport& report, const std::string& shiftInput) {
  return "The grid's motion since the reference cannot be told from the pictures: it moved by " +
         report.Candidates() +
         " (a grid without missing dots that fills both pictures looks the same moved by whole "
         "pitches). Give the motion " +
         shiftInput;
}

TRegisterReport RegisterPicture(TEncode& job, const TRegisterReference& reference,
                                const TRegisterOptions& options) {
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(job.DotInfo().size()));
  job.ClearIndices();

  // The reference: one dot per grid position, the later one winning as in a table.
  std::vector<TDotInfo> usable;
  std::vector<size_t> source;
  for (size_t i = 0; i < reference.Dots.size(); ++i) {
    const TDotInfo& d = reference.Dots[i];
    if (d.Coded && std::isfinite(d.x) && std::isfinite(d.y))
      usable.push_back(d), source.push_back(i);
  }
  const std::vector<char> keep = LastAtPosition(usable);
  std::vector<TSideDot> refDots;
  for (size_t k = 0; k < usable.size(); ++k) {
    if (!keep[k]) continue;
    const TDotInfo& d = usable[k];
    const size_t i = source[k];
    TSideDot s;
    s.X = d.x, s.Y = d.y, s.Ix = d.Nx, s.Iy = d.Ny, s.Area = d.Area;
    s.Source = static_cast<int32_t>(i);
    refDots.push_back(s);
  }
  if (static_cast<int32_t>(refDots.size()) < MinimumDots)
    throw TError(
        Format("The reference has %zu indexed dots, too few to find its grid in this "
               "picture (at least %d are needed)",
               refDots.size(), MinimumDots));
  if (count < MinimumDots)
    throw TError(
        Format("This picture has %d dots, too few to find the reference's grid in it", count));
  TPointGrid refAll;
  BuildGrid(reference.AllDots.empty() ? reference.Dots : reference.AllDots, refAll);
  const TGridSide refSide(std::move(refDots), refAll, reference.Width, reference.Height);
  const int32_t orientation =
      refSide.Ax() * refSide.By() - refSide.Ay() * refSide.Bx() > 0 ? 1 : -1;

  const std::vector<TDotInfo> dots(job.DotInfo().begin(), job.DotInfo().begin() + count);
  TPointGrid all;
  BuildGrid(dots, all);
  const TLattice lattice = IndexLattice(all, NearestSpacing(all), orientation);
  if (lattice.Components.empty())
    throw TError("No grid in this picture: no dot has neighbours on both sides along two lines");

  TPrior prior;
  prior.Kind = options.Prior;
  prior.Trusted = options.TrustPrediction;
  if (options.Prior == TPriorKind::Prediction) {
    if (options.PredictedX.size() != reference.Dots.size() ||
        options.PredictedY.size() != reference.Dots.size())
      throw TError("A prediction needs one place per reference dot");
    prior.X = options.PredictedX, prior.Y = options.PredictedY;
  } else {
    const float sx = options.Prior == TPriorKind::Override ? options.ShiftX : 0;
    const float sy = options.Prior == TPriorKind::Override ? options.ShiftY : 0;
    for (const TDotInfo& d : reference.Dots)
      prior.X.push_back(d.x + sx), prior.Y.push_back(d.y + sy);
  }

  TRegisterReport report;
  struct TPlaced {
    const std::vector<int32_t>* Members;
    TIndexMap Map;
  };
  std::vector<TPlaced> placed;
  for (size_t c = 0; c < lattice.Components.size() && c < MostComponents; ++c) {
    const std::vector<int32_t>& members = lattice.Components[c];
    std::vector<TSideDot> side;
    side.reserve(members.size());
    for (int32_t i : members) {
      const TLatticeDot& l = lattice.Dots[static_cast<size_t>(i)];
      const TDotInfo& d = dots[static_cast<size_t>(i)];
      side.push_back({d.x, d.y, l.Mx, l.My, d.Area, l.Ax, l.Ay, l.Bx, l.By, i, false});
    }
    // The dots of the other components (and those of none) lie beyond gaps, not outlines.
    std::vector<char> others(dots.size(), 1);
    for (int32_t i : members) others[static_cast<size_t>(i)] = 0;
    const TGridSide targetSide(std::move(side), all, job.Image().Width(), job.Image().Height(),
                               &others);
    const TRegistration reg = Register(refSide, targetSide, prior);
    if (c == 0) {
      report.Main = reg;
      if (!reg.Plausible)
        throw TError(
            Format("The reference does not fit this picture: its grid steps are %.1f "
                   "px and this picture's %.1f px (another grid, or another "
                   "magnification?)",
                   refSide.Pitch(), targetSide.Pitch()));
      if (reg.Decision == TDecision::NoFit)
        throw TError(
            Format("The reference does not fit this picture: wherever its %zu dots are "
                   "placed, at least %d of them meet no dot here or the other way round "
                   "(a picture of another grid?)",
                   refSide.Dots().size(), std::max(reg.Chosen.Conflicts, 1)));
      if (reg.Decision == TDecision::Ambiguous && !options.AcceptAmbiguous)
        throw TError(AmbiguityMessage(report, options.ShiftInput));
    } else if (reg.Decision == TDecision::NoFit ||
               (reg.Decision == TDecision::Ambiguous && options.Prior != TPriorKind::Override)) {
      report.Unplaced += static_cast<int32_t>(members.size());
      continue;
    }
    placed.push_back({&members, reg.Chosen.Map});
  }
  for (size_t c = MostComponents; c < lattice.Components.size(); ++c)
    report.Unplaced += static_cast<int32_t>(lattice.Components[c].size());

  // Each dot takes the indices its place maps to; a position already taken stays with the
  // larger region.
  std::vector<int64_t> nx(static_cast<size_t>(count)), ny(static_cast<size_t>(count));
  std::vector<char> given(static_cast<size_t>(count), 0);
  // The positions taken, over the box of all the indices given.
  int64_t loX = INT64_MAX, loY = INT64_MAX, hiX = INT64_MIN, hiY = INT64_MIN;
  for (const TPlaced& p : placed)
    for (int32_t i : *p.Members) {
      const TLatticeDot& l = lattice.Dots[static_cast<size_t>(i)];
      int64_t x, y;
      p.Map.Apply(l.Mx, l.My, x, y);
      nx[static_cast<size_t>(i)] = x, ny[static_cast<size_t>(i)] = y;
      loX = std::min(loX, x), hiX = std::max(hiX, x), loY = std::min(loY, y),
      hiY = std::max(hiY, y);
    }
  const int64_t spanX = placed.empty() ? 1 : hiX - loX + 3,
                spanY = placed.empty() ? 1 : hiY - loY + 3;
  if (spanX * spanY > (int64_t{1} << 28))
    throw TError("No enough memory to allocate Coordinate System");
  std::vector<int32_t> takenAt(static_cast<size_t>(spanX * spanY), -1);
  auto taken = [&](int64_t x, int64_t y) -> int32_t* {
    const int64_t u = x - loX + 1, v = y - loY + 1;
    if (u < 0 || v < 0 || u >= spanX || v >= spanY) return nullptr;
    return &takenAt[static_cast<size_t>(v * spanX + u)];
  };
  for (const TPlaced& p : placed)
    for (int32_t i : *p.Members) {
      int32_t* cell = taken(nx[static_cast<size_t>(i)], ny[static_cast<size_t>(i)]);
      if (*cell >= 0) continue;
      *cell = i;
      given[static_cast<size_t>(i)] = 1;
    }
  // Each dot where the local affine map of its neighbours' motion puts its reference dot.
  auto partner = [&](int32_t i) {
    return refSide.At(nx[static_cast<size_t>(i)], ny[static_cast<size_t>(i)]);
  };
  std::vector<int32_t> outliers;
  std::vector<std::array<double, 4>> around;  // reference x, y; picture x, y
  const double reach2 = OutlierReach * OutlierReach * refSide.Pitch() * refSide.Pitch();
  // The motion of dot i against its reference dot; false without one.
  auto motion = [&](int32_t i, double& mx, double& my) {
    const int32_t r = given[static_cast<size_t>(i)] ? partner(i) : -1;
    if (r < 0) return false;
    const TSideDot& rd = refSide.Dots()[static_cast<size_t>(r)];
    mx = dots[static_cast<size_t>(i)].x - rd.X, my = dots[static_cast<size_t>(i)].y - rd.Y;
    return true;
  };
  // Neighbours across a crack or a gap move their own way.
  auto alike = [&](int32_t a, int32_t b) {
    return lattice.Dots[static_cast<size_t>(a)].Component ==
           lattice.Dots[static_cast<size_t>(b)].Component;
  };
  for (int32_t i = 0; i < count; ++i) {
    double mx, my;
    if (!motion(i, mx, my)) continue;
    const int64_t x0 = nx[static_cast<size_t>(i)], y0 = ny[static_cast<size_t>(i)];
    // An affine motion moves a dot by the mean of its two neighbours' motions along a line.
    int32_t lines = 0, off = 0;
    for (int32_t axis = 0; axis < 2; ++axis) {
      const int32_t* a = taken(x0 - (axis == 0), y0 - (axis == 1));
      const int32_t* b = taken(x0 + (axis == 0), y0 + (axis == 1));
      double ax, ay, bx, by;
      if (!a || !b || *a < 0 || *b < 0 || !alike(i, *a) || !alike(i, *b) || !motion(*a, ax, ay) ||
          !motion(*b, bx, by))
        continue;
      ++lines;
      const double ex = mx - (ax + bx) / 2, ey = my - (ay + by) / 2;
      off += ex * ex + ey * ey > reach2;
    }
    if (lines > 0) {
      if (off == lines) outliers.push_back(i);
      continue;
    }
    // At a corner or an edge: the least-squares affine map of the neighbours.
    around.clear();
    for (int32_t y = -1; y <= 1; ++y)
      for (int32_t x = -1; x <= 1; ++x) {
        const int32_t* n = taken(x0 + x, y0 + y);
        double ox, oy;
        if ((x == 0 && y == 0) || !n || *n < 0 || !alike(i, *n) || !motion(*n, ox, oy)) continue;
        const TDotInfo& q = dots[static_cast<size_t>(*n)];
        around.push_back({q.x - ox, q.y - oy, static_cast<double>(q.x), static_cast<double>(q.y)});
      }
    double px, py;
    const TDotInfo& own = dots[static_cast<size_t>(i)];
    if (!AffinePlace(around, own.x - mx, own.y - my, px, py)) continue;
    const double ex = own.x - px, ey = own.y - py;
    if (ex * ex + ey * ey > reach2) outliers.push_back(i);
  }
  for (int32_t i : outliers) {
    given[static_cast<size_t>(i)] = 0;
    *taken(nx[static_cast<size_t>(i)], ny[static_cast<size_t>(i)]) = -1;
  }
  report.Outliers = static_cast<int32_t>(outliers.size());
  report.Regions = static_cast<int32_t>(placed.size());

  // The table: sized for these indices, or the job's own, which must hold them all.
  int64_t reach = 1;
  for (int32_t i = 0; i < count; ++i)
    if (given[static_cast<size_t>(i)])
      reach = std::max<int64_t>(
          {reach, std::llabs(nx[static_cast<size_t>(i)]), std::llabs(ny[static_cast<size_t>(i)])});
  if (options.SizeTable) {
    if (reach > (1 << 20)) throw TError("No enough memory to allocate Coordinate System");
    ResizeTable(job, {static_cast<int32_t>(reach), static_cast<int32_t>(reach)});
  } else {
    for (int32_t i = 0; i < count; ++i)
      if (given[static_cast<size_t>(i)] &&
          !job.Coordinate().Contains(static_cast<int32_t>(std::clamp<int64_t>(
                                         nx[static_cast<size_t>(i)], INT32_MIN, INT32_MAX)),
                                     static_cast<int32_t>(std::clamp<int64_t>(
                                         ny[static_cast<size_t>(i)], INT32_MIN, INT32_MAX))))
        throw TError(Format("(%d , %d) not in the range",
                            static_cast<int32_t>(nx[static_cast<size_t>(i)]),
                            static_cast<int32_t>(ny[static_cast<size_t>(i)])));
  }
  for (int32_t i = 0; i < count; ++i) {
    if (!given[static_cast<size_t>(i)]) continue;
    job.IndexDot(i, static_cast<int32_t>(nx[static_cast<size_t>(i)]),
                 static_cast<int32_t>(ny[static_cast<size_t>(i)]));
    ++report.Indexed;
  }
  job.LinkIndexedDots();
  job.SetCodeMark(reference.Lineage.empty() ? "" : LineageMark(reference.Lineage));
  return report;
}
