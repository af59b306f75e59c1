#include "register/Registration.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "register/Gridside.h"
#include "register/Pointgrid.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
// Dots looked at per map; a larger side is sampled evenly.
constexpr size_t SampleDots = 1500;
constexpr size_t SampleFeatures = 300;
constexpr size_t MedianPairs = 300;
// Maps looked at, at most: enough to reach the least conflicts from a prior some pitches off
// and to find the rivals of a whole-pitch offset.
constexpr size_t MostMaps = 100;

void Turn(int32_t k, int64_t x, int64_t y, int64_t& rx, int64_t& ry) {
  switch (k & 3) {
    case 0:
      rx = x, ry = y;
      break;
    case 1:
      rx = -y, ry = x;
      break;
    case 2:
      rx = -x, ry = -y;
      break;
    default:
      rx = y, ry = -x;
      break;
  }
}

int64_t Key(int32_t k, int64_t tx, int64_t ty) {
  return (static_cast<int64_t>(k) << 60) ^ ((tx & 0x3FFFFFFF) << 30) ^ (ty & 0x3FFFFFFF);
}

double Median(std::vector<double>& v) {
  if (v.empty()) return 0;
  const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), middle, v.end());
  return *middle;
}

// Whether K quarter turns give the two grids steps of about one length and angle: the linear
// map from the reference's steps to the target's stays within a factor 2.5 and a shear of 2.
bool PlausibleTurn(const TGridSide& reference, const TGridSide& target, int32_t k) {
  int64_t iux, iuy, ivx, ivy;
  Turn(k, 1, 0, iux, iuy);
  Turn(k, 0, 1, ivx, ivy);
  const double ux = static_cast<double>(iux), uy = static_cast<double>(iuy);
  const double vx = static_cast<double>(ivx), vy = static_cast<double>(ivy);
  const double sxx = ux * reference.Ax() + uy * reference.Bx();
  const double sxy = ux * reference.Ay() + uy * reference.By();
  const double syx = vx * reference.Ax() + vy * reference.Bx();
  const double syy = vx * reference.Ay() + vy * reference.By();
  const double det = sxx * syy - syx * sxy;
  if (!(std::fabs(det) > 0)) return false;
  // L = [A B] [Sx Sy]^-1, columns.
  const double i00 = syy / det, i01 = -syx / det, i10 = -sxy / det, i11 = sxx / det;
  const double l00 = target.Ax() * i00 + target.Bx() * i10;
  const double l01 = target.Ax() * i01 + target.Bx() * i11;
  const double l10 = target.Ay() * i00 + target.By() * i10;
  const double l11 = target.Ay() * i01 + target.By() * i11;
  const double e = (l00 + l11) / 2, f = (l00 - l11) / 2, g = (l10 + l01) / 2, h = (l10 - l01) / 2;
  const double q = std::hypot(e, h), r = std::hypot(f, g);
  const double s1 = q + r, s2 = std::fabs(q - r);
  return l00 * l11 - l01 * l10 > 0 && s2 >= 0.4 && s1 <= 2.5 && s1 <= 2.0 * s2;
}

class TScorer {
 public:
  TScorer(const TGridSide& reference, const TGridSide& target, const TPrior& prior)
      : FRef(reference), FTarget(target), FPrior(prior) {
    const size_t n = target.Dots().size();
    FStride = std::max<size_t>(1, n / SampleDots);
  }

  TCandidate Evaluate(const TIndexMap& map) const {
    TCandidate c;
    c.Map = map;
    const auto& tdots = FTarget.Dots();
    const auto& rdots = FRef.Dots();
    double sx = 0, sy = 0, tx = 0, ty = 0;
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t j = 0; j < tdots.size(); j += FStride) {
      int64_t nx, ny;
      map.Apply(tdots[j].Ix, tdots[j].Iy, nx, ny);
      const int32_t i = FRef.At(nx, ny);
      if (i < 0) continue;
      const TSideDot& r = rdots[static_cast<size_t>(i)];
      pairs.emplace_back(j, static_cast<size_t>(i));
      sx += r.X, sy += r.Y, tx += tdots[j].X, ty += tdots[j].Y;
    }
    c.Overlap = static_cast<int32_t>(std::min(pairs.size() * FStride, tdots.size()));
    if (pairs.empty()) return c;
    // The medians from a few hundred of the pairs, evenly spread.
    std::vector<double> dx, dy, departure;
    for (size_t k = 0; k < pairs.size(); k += std::max<size_t>(1, pairs.size() / MedianPairs)) {
      const TSideDot& t = tdots[pairs[k].first];
      const TSideDot& r = rdots[pairs[k].second];
      dx.push_back(t.X - r.X);
      dy.push_back(t.Y - r.Y);
      if (FPrior.X.empty()) continue;
      const double ex = t.X - FPrior.X[static_cast<size_t>(r.Source)];
      const double ey = t.Y - FPrior.Y[static_cast<size_t>(r.Source)];
      departure.push_back(std::sqrt(ex * ex + ey * ey) / FTarget.Pitch());
    }
    c.Dx = Median(dx);
    c.Dy = Median(dy);
    if (!departure.empty()) c.Departure = Median(departure);
    // The turn of the best-fitting rotation between the paired places (y down, so a
    // counterclockwise turn on the screen has a negative cross product here).
    const double m = static_cast<double>(pairs.size());
    double dot = 0, cross = 0;
    for (const auto& [j, i] : pairs) {
      const double ax = rdots[i].X - sx / m, ay = rdots[i].Y - sy / m;
      const double bx = tdots[j].X - tx / m, by = tdots[j].Y - ty / m;
      dot += ax * bx + ay * by;
      cross += ax * by - ay * bx;
    }
    c.TurnDeg = -std::atan2(cross, dot) * 180 / Pi;

    int64_t x, y;
    for (const TSideCell& e : FRef.EmptyCells()) {
      map.Invert(e.Ix, e.Iy, x, y);
      c.Conflicts += FTarget.At(x, y) >= 0;
    }
    for (const TSideCell& e : FTarget.EmptyCells()) {
      map.Apply(e.Ix, e.Iy, x, y);
      c.Conflicts += FRef.At(x, y) >= 0;
    }
    for (const TSideCell& f : FRef.Features()) {
      if (f.Dir >= 0) continue;
      map.Invert(f.Ix, f.Iy, x, y);
      const int32_t j = FTarget.At(x, y);
      c.Conflicts += j >= 0 && !tdots[static_cast<size_t>(j)].Odd;
    }
    for (const TSideCell& f : FTarget.Features()) {
      if (f.Dir >= 0) continue;
      map.Apply(f.Ix, f.Iy, x, y);
      const int32_t i = FRef.At(x, y);
      c.Conflicts += i >= 0 && !rdots[static_cast<size_t>(i)].Odd;
    }
    return c;
  }

  size_t Stride() const { return FStride; }

 private:
  const TGridSide& FRef;
  const TGridSide& FTarget;
  const TPrior& FPrior;
  size_t FStride = 1;
};

// The maps the prior's places vote for: each sampled target dot near the predicted place of a
// reference dot names one map per quarter turn; the most named map of each turn.
std::vector<TIndexMap> PriorMaps(const TGridSide& reference, const TGridSide& target,
                                 const TPrior& prior, const bool turns[4]) {
  std::vector<TIndexMap> maps;
  if (prior.X.empty()) return maps;
  std::vector<float> xs, ys;
  for (const TSideDot& r : reference.Dots()) {
    xs.push_back(prior.X[static_cast<size_t>(r.Source)]);
    ys.push_back(prior.Y[static_cast<size_t>(r.Source)]);
  }
  TPointGrid places;
  places.Build(xs, ys, reference.Pitch());
  std::unordered_map<int64_t, int32_t> votes[4];
  const auto& tdots = target.Dots();
  const size_t stride = std::max<size_t>(1, tdots.size() / 2000);
  for (size_t j = 0; j < tdots.size(); j += stride) {
    const int32_t i = places.Nearest(tdots[j].X, tdots[j].Y, 0.5 * target.Pitch());
    if (i < 0) continue;
    const TSideDot& r = reference.Dots()[static_cast<size_t>(i)];
    for (int32_t k = 0; k < 4; ++k) {
      if (!turns[k]) continue;
      int64_t rx, ry;
      Turn(k, tdots[j].Ix, tdots[j].Iy, rx, ry);
      ++votes[k][Key(k, r.Ix - rx, r.Iy - ry)];
    }
  }
  for (int32_t k = 0; k < 4; ++k) {
    int64_t best = 0;
    int32_t most = 0;
    for (const auto& [key, count] : votes[k])
      if (count > most || (count == most && key < best)) best = key, most = count;
    // Where the prior is off by a turn far from its centre, only the dots near it agree.
    if (most < 3) continue;
    // Decode the translation back from the key through a fresh vote.
    for (size_t j = 0; j < tdots.size(); j += stride) {
      const int32_t i = places.Nearest(tdots[j].X, tdots[j].Y, 0.5 * target.Pitch());
      if (i < 0) continue;
      const TSideDot& r = reference.Dots()[static_cast<size_t>(i)];
      int64_t rx, ry;
      Turn(k, tdots[j].Ix, tdots[j].Iy, rx, ry);
      if (Key(k, r.Ix - rx, r.Iy - ry) != best) continue;
      maps.push_back({k, static_cast<int32_t>(r.Ix - rx), static_cast<int32_t>(r.Iy - ry)});
      break;
    }
  }
  return maps;
}

// The maps under which outline and odd-dot features of the two sides coincide most often.
std::vector<TIndexMap> FeatureMaps(const TGridSide& reference, const TGridSide& target,
                                   const bool turns[4]) {
  std::vector<TIndexMap> maps;
  const auto& tf = target.Features();
  const auto& rf = reference.Features();
  if (tf.empty() || rf.empty()) return maps;
  std::vector<const TSideCell*> byDir[5];
  const size_t rstride = std::max<size_t>(1, rf.size() / 4000);
  for (size_t i = 0; i < rf.size(); i += rstride) byDir[rf[i].Dir + 1].push_back(&rf[i]);
  const size_t tstride = std::max<size_t>(1, tf.size() / SampleFeatures);
  for (int32_t k = 0; k < 4; ++k) {
    if (!turns[k]) continue;
    // The translations that can put some target cell on some reference cell.
    int64_t lx = INT64_MAX, hx = INT64_MIN, ly = INT64_MAX, hy = INT64_MIN;
    for (int32_t corner = 0; corner < 4; ++corner) {
      int64_t rx, ry;
      Turn(k, target.MinX() + (corner & 1 ? target.SizeX() : 0),
           target.MinY() + (corner & 2 ? target.SizeY() : 0), rx, ry);
      lx = std::min(lx, reference.MinX() - rx),
      hx = std::max(hx, reference.MinX() + reference.SizeX() - rx);
      ly = std::min(ly, reference.MinY() - ry),
      hy = std::max(hy, reference.MinY() + reference.SizeY() - ry);
    }
    const int64_t w = hx - lx + 1, h = hy - ly + 1;
    if (w <= 0 || h <= 0 || w * h > (int64_t{1} << 26)) continue;
    std::vector<uint16_t> acc(static_cast<size_t>(w * h), 0);
    for (size_t j = 0; j < tf.size(); j += tstride) {
      const int32_t dir = tf[j].Dir < 0 ? -1 : (tf[j].Dir + k) % 4;
      int64_t rx, ry;
      Turn(k, tf[j].Ix, tf[j].Iy, rx, ry);
      for (const TSideCell* c : byDir[dir + 1]) {
        const int64_t x = c->Ix - rx - lx, y = c->Iy - ry - ly;
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        uint16_t& v = acc[static_cast<size_t>(y * w + x)];
        if (v < UINT16_MAX) ++v;
      }
    }
    // The few best translations of this turn.
    std::vector<std::pair<uint16_t, size_t>> top;
    for (size_t i = 0; i < acc.size(); ++i) {
      if (acc[i] < 3) continue;
      top.emplace_back(acc[i], i);
      if (top.size() > 64) {
        std::nth_element(top.begin(), top.begin() + 8, top.end(), std::greater<>());
        top.resize(8);
      }
    }
    std::sort(top.begin(), top.end(), std::greater<>());
    for (size_t i = 0; i < top.size() && i < 6; ++i) {
      if (4 * top[i].first < top[0].first) break;
      maps.push_back(
          {k,
           static_cast<int32_t>(static_cast<int64_t>(top[i].second % static_cast<size_t>(w)) + lx),
           static_cast<int32_t>(static_cast<int64_t>(top[i].second / static_cast<size_t>(w)) +
                                ly)});
    }
  }
  return maps;
}

// The turn of the prior's places against the reference's own, degrees counterclockwise.
double PriorTurn(const TGridSide& reference, const TPrior& prior) {
  if (prior.X.empty()) return 0;
  const auto& dots = reference.Dots();
  double sx = 0, sy = 0, px = 0, py = 0;
  for (const TSideDot& d : dots) {
    sx += d.X, sy += d.Y;
    px += prior.X[static_cast<size_t>(d.Source)], py += prior.Y[static_cast<size_t>(d.Source)];
  }
  const double n = static_cast<double>(dots.size());
  double dot = 0, cross = 0;
  for (const TSideDot& d : dots) {
    const double ax = d.X - sx / n, ay = d.Y - sy / n;
    const double bx = prior.X[static_cast<size_t>(d.Source)] - px / n;
    const double by = prior.Y[static_cast<size_t>(d.Source)] - py / n;
    dot += ax * bx + ay * by;
    cross += ax * by - ay * bx;
  }
  return -std::atan2(cross, dot) * 180 / Pi;
}

}  // namespace

void TIndexMap::Apply(int64_t mx, int64_t my, int64_t& nx, int64_t& ny) const {
  Turn(K, mx, my, nx, ny);
  nx += Tx, ny += Ty;
}

void TIndexMap::Invert(int64_t nx, int64_t ny, int64_t& mx, int64_t& my) const {
  Turn(4 - K, nx - Tx, ny - Ty, mx, my);
}

TRegistration Register(const TGridSide& reference, const TGridSide& target, const TPrior& prior) {
  TRegistration result;
  bool turns[4];
  for (int32_t k = 0; k < 4; ++k) turns[k] = PlausibleTurn(reference, target, k);
  result.Plausible = turns[0] || turns[1] || turns[2] || turns[3];
  if (!result.Plausible || reference.Dots().empty() || target.Dots().empty()) return result;

  const TScorer scorer(reference, target, prior);
  std::vector<TCandidate> tried;
  int32_t most = 0;  // the most dots any map pairs
  auto evaluate = [&](const TIndexMap& map) {
    for (const TCandidate& c : tried)
      if (c.Map == map) return;
    tried.push_back(scorer.Evaluate(map));
    most = std::max(most, tried.back().Overlap);
  };
  const std::vector<TIndexMap> predicted = PriorMaps(reference, target, prior, turns);
  for (const TIndexMap& map : predicted) evaluate(map);
  for (const TIndexMap& map : FeatureMaps(reference, target, turns)) evaluate(map);

  const int32_t minOverlap = std::max<int32_t>(
      6, static_cast<int32_t>(
             0.2 * static_cast<double>(std::min(reference.Dots().size(), target.Dots().size()))));
  // A map that pairs far fewer dots than the best pairing can have few conflicts only because
  // it compares little: it must pair at least half as many.
  auto valid = [&](const TCandidate& c) { return c.Overlap >= std::max(minOverlap, most / 2); };
  auto better = [](const TCandidate& a, const TCandidate& b) {
    if (a.Conflicts != b.Conflicts) return a.Conflicts < b.Conflicts;
    if (a.Departure != b.Departure) return a.Departure < b.Departure;
    return a.Overlap > b.Overlap;
  };
  // From the seeds, the neighbours of the best maps found so far, best first: the search goes
  // down to the least conflicts wherever it starts (an outline that neither picture shows on
  // the same side aligns nothing, it only bounds the offsets) and spreads over the maps that
  // come near the least, which are the rivals of a whole-pitch offset.
  std::vector<char> expanded(tried.size(), 0);
  std::vector<int32_t> parent(tried.size(), INT32_MAX);  // conflicts of the map it came from
  auto reached = [&](const TIndexMap& map, int32_t from) {
    const size_t before = tried.size();
    evaluate(map);
    if (tried.size() > before) expanded.push_back(0), parent.push_back(from);
  };
  // A prediction that holds within a quarter pitch, or the user's motion, needs only its own
  // neighbours (evaluated as the first seeds); everything else the search.
  for (const TIndexMap& map : predicted)
    for (int32_t y = -1; y <= 1; ++y)
      for (int32_t x = -1; x <= 1; ++x) reached({map.K, map.Tx + x, map.Ty + y}, INT32_MAX);
  bool settled = false;
  for (const TCandidate& c : tried)
    settled = settled || (valid(c) && ((prior.Kind == TPriorKind::Prediction && prior.Trusted &&
                                        c.Departure <= PredictionReach) ||
                                       prior.Kind == TPriorKind::Override));
  while (!settled && tried.size() < MostMaps) {
    int32_t least = INT32_MAX;
    for (const TCandidate& c : tried)
      if (valid(c)) least = std::min(least, c.Conflicts);
    const int32_t limit = least == INT32_MAX ? 0 : least + std::max(3, least / 2);
    size_t next = tried.size();
    for (size_t i = 0; i < tried.size(); ++i) {
      const TCandidate& c = tried[i];
      // Near the least, or still going down from where it started.
      if (expanded[i] || !valid(c) || (c.Conflicts >= limit && c.Conflicts >= parent[i])) continue;
      if (next == tried.size() || better(c, tried[next])) next = i;
    }
    if (next == tried.size()) break;
    expanded[next] = 1;
    const TIndexMap s = tried[next].Map;
    const int32_t from = tried[next].Conflicts;
    const size_t first = tried.size();
    for (int32_t y = -1; y <= 1; ++y)
      for (int32_t x = -1; x <= 1; ++x)
        if (x != 0 || y != 0) reached({s.K, s.Tx + x, s.Ty + y}, from);
    // Only the steepest of the new neighbours goes on down: one path per seed.
    size_t steepest = tried.size();
    for (size_t i = first; i < tried.size(); ++i)
      if (valid(tried[i]) && (steepest == tried.size() || better(tried[i], tried[steepest])))
        steepest = i;
    for (size_t i = first; i < tried.size(); ++i)
      if (i != steepest) parent[i] = INT32_MIN;
  }

  const TCandidate* best = nullptr;
  for (const TCandidate& c : tried)
    if (valid(c) && (!best || better(c, *best))) best = &c;
  if (!best || best->Conflicts > std::max(10.0, 0.35 * best->Overlap)) {
    if (best) result.Chosen = *best;
    return result;
  }
  const int32_t margin = std::max(3, best->Conflicts / 2);
  std::vector<TCandidate> close;  // best and its rivals
  for (const TCandidate& c : tried)
    if (valid(c) && c.Conflicts < best->Conflicts + margin) close.push_back(c);
  // Quarter and half turns of a symmetric outline look alike: a turn (from the prior's) of
  // less than 60 degrees is taken over the ones at least 30 degrees larger, since a specimen is
  // seldom turned far between two pictures; turns nearer than that stay rivals.
  const double priorTurn = PriorTurn(reference, prior);
  auto turnOff = [priorTurn](const TCandidate& c) {
    return std::fabs(std::remainder(c.TurnDeg - priorTurn, 360.0));
  };
  double least = 1e9;
  for (const TCandidate& c : close) least = std::min(least, turnOff(c));
  if (least < 60)
    close.erase(std::remove_if(close.begin(), close.end(),
                               [&](const TCandidate& c) { return turnOff(c) >= least + 30; }),
                close.end());
  if (std::none_of(close.begin(), close.end(),
                   [&](const TCandidate& c) { return c.Map == best->Map; }))
    best = nullptr;
  for (const TCandidate& c : close)
    if (!best || better(c, *best)) best = &c;
  const bool decided = close.size() == 1;
  const TCandidate* nearest = nullptr;  // to the prior
  for (const TCandidate& c : tried)
    if (valid(c) && (!nearest || c.Departure < nearest->Departure ||
                     (c.Departure == nearest->Departure && better(c, *nearest))))
      nearest = &c;
  auto byDeparture = [](const TCandidate& a, const TCandidate& b) {
    return a.Departure < b.Departure;
  };
  auto ambiguous = [&](const TCandidate& chosen) {
    result.Decision = TDecision::Ambiguous;
    result.Chosen = chosen;
    for (const TCandidate& c : close)
      if (!(c.Map == chosen.Map)) result.Rivals.push_back(c);
    std::sort(result.Rivals.begin(), result.Rivals.end(), byDeparture);
  };
  switch (prior.Kind) {
    case TPriorKind::Override:
      result.Decision = TDecision::Override;
      result.Chosen = *nearest;
      if (decided && !(best->Map == nearest->Map)) result.Rivals.push_back(*best);
      break;
    case TPriorKind::Prediction:
      if (prior.Trusted && nearest->Departure <= PredictionReach) {
        // The pictures overrule a prediction that holds only by a whole pitch next to it (a
        // step that moved one pitch more than predicted looks predicted); a placement far from
        // it is a crack's lip or a lost outline seen in another place.
        const TIndexMap& p = nearest->Map;
        const TIndexMap& b = best->Map;
        const bool beside = b.K == p.K && std::abs(b.Tx - p.Tx) <= 1 && std::abs(b.Ty - p.Ty) <= 1;
        const bool outlined = decided && beside && !(b == p);
        result.Decision = outlined ? TDecision::Pictures : TDecision::Prediction;
        result.Chosen = outlined ? *best : *nearest;
        break;
      }
      result.Departed = true;
      [[fallthrough]];
    case TPriorKind::Guess:
      if (decided) {
        result.Decision = TDecision::Pictures;
        result.Chosen = *best;
      } else {
        std::sort(close.begin(), close.end(), byDeparture);
        ambiguous(close.front());
      }
      break;
  }
  return result;
}
