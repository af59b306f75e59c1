// Nearest-dot searches and the three ways of finding the origin and its four neighbours.
#include <cmath>

#include "base/Convert.h"
#include "base/Error.h"
#include "encode/Encode.h"

namespace {

// A predicted point is worked out in double and handed to the search as float.
float F(double v) {
  return static_cast<float>(v);
}

bool FinitePositive(float v) {
  return std::isfinite(v) && v > 0;
}

}  // namespace

TDotGrid& TEncode::Grid() {
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  if (!FGridValid || FGrid.Count() != count) {
    FGrid.Build(FDotInfo.data(), count);
    FGridValid = true;
  }
  return FGrid;
}

int32_t TEncode::MaxAreaDot() const {
  int32_t best = -1, maxArea = 0;
  for (int32_t i = 0; i < FDotSum && i < static_cast<int32_t>(FDotInfo.size()); ++i)
    if (FDotInfo[i].Area > maxArea) {
      maxArea = FDotInfo[i].Area;
      best = i;
    }
  return best;
}

int32_t TEncode::NearestDot(float x, float y) {
  return Grid().NearestDot(x, y);
}

int32_t TEncode::NearestOtherDot(int32_t i) {
  if (i < 0 || i >= Grid().Count()) return -1;
  return Grid().NearestOther(FDotInfo[i].x, FDotInfo[i].y, i);
}

int32_t TEncode::NearestDotWithin(float x, float y) {
  return Grid().NearestWithin(x, y, FTolX, FTolY);
}

void TEncode::CheckMethod(int32_t method) const {
  if (method < 0 || method > 3)
    throw TError(Format("Unknown origin method %d: choose 0 to 3", method));
}

int32_t TEncode::ChooseOrigin(int32_t method) {
  switch (method) {
    case 0:
      return MaxAreaDot();
    case 1:
      return FDotSum / 2;
    case 2: {
      float sumX = 0, sumY = 0;  // single precision, as the means have always been taken
      for (int32_t i = 0; i < FDotSum; ++i) {
        sumX += FDotInfo[i].x;
        sumY += FDotInfo[i].y;
      }
      return NearestDot(sumX / static_cast<float>(FDotSum), sumY / static_cast<float>(FDotSum));
    }
    default:
      return NearestDot(static_cast<float>(FImage->Width() / 2),
                        static_cast<float>(FImage->Height() / 2));
  }
}

// The origin and the step to its nearest neighbour, which fixes the first direction d0.
bool TEncode::FirstStep(int32_t method, TFirstStep& step) {
  CheckMethod(method);
  if (FDotSum < 2 || static_cast<int32_t>(FDotInfo.size()) < FDotSum) return false;
  const int32_t o = ChooseOrigin(method);
  if (o < 0) return false;
  const int32_t j = NearestOtherDot(o);
  if (j < 0) return false;
  step.Origin = o;
  step.Fx = FDotInfo[j].x - FDotInfo[o].x;
  step.Fy = FDotInfo[j].y - FDotInfo[o].y;
  const float ax = std::fabs(step.Fx), ay = std::fabs(step.Fy);
  const float p = ay < ax ? ax : ay;
  if (ay < ax)
    step.D0 = step.Fx > 0 ? 0 : 2;
  else
    step.D0 = step.Fy > 0 ? 1 : 3;
  step.Neighbour = j;
  FTolX = FTolY = F(0.45 * p);
  return true;
}

// The point o + s (-fy, fx) beside the known step. s is a multiple of the perpendicular pitch:
// across a horizontal step (d0 even) the pitch ratio dy/dx scales the step, across a vertical
// one its inverse does.
namespace {
double Across(int32_t d0, double s, float ratio) {
  return d0 % 2 == 0 ? s * ratio : s / ratio;
}
}  // namespace

int32_t TEncode::FindOrigin(int32_t method) {
  TFirstStep st;
  if (!FirstStep(method, st)) return -1;
  const TDotInfo& o = FDotInfo[st.Origin];
  int32_t n[4] = {-1, -1, -1, -1};
  n[st.D0] = st.Neighbour;
  int32_t m = -1;
  double s = 0;
  for (int32_t k = 1; k <= 9 && m < 0; ++k) {
    for (double sign : {1.0, -1.0}) {
      s = sign * k * (1.0 / 3.0);
      FRatio = F(s);
      const int32_t found = NearestDotWithin(F(o.x - s * st.Fy), F(o.y + s * st.Fx));
      if (found >= 0 && found != st.Origin) {
        m = found;
        break;
      }
    }
  }
  if (m < 0) return -1;
  n[(st.D0 + (s > 0 ? 1 : 3)) % 4] = m;
  const TDotInfo& dm = FDotInfo[m];
  if (st.D0 % 2 == 1)
    FRatio = F(std::fabs(static_cast<double>(st.Fy) / (static_cast<double>(dm.x) - o.x)));
  else
    FRatio = F(std::fabs((static_cast<double>(dm.y) - o.y) / static_cast<double>(st.Fx)));
  // A perpendicular neighbour level with the origin gives no usable pitch ratio.
  if (!FinitePositive(FRatio)) return -1;
  n[(st.D0 + 2) % 4] = NearestDotWithin(F(o.x - st.Fx), F(o.y - st.Fy));
  const double across = Across(st.D0, 1.0, FRatio);
  if (s < 0)
    n[(st.D0 + 1) % 4] = NearestDotWithin(F(o.x - across * st.Fy), F(o.y + across * st.Fx));
  else
    n[(st.D0 + 3) % 4] = NearestDotWithin(F(o.x + across * st.Fy), F(o.y - across * st.Fx));
  AssignDot(st.Origin, n, 0, 0);
  return st.Origin;
}

int32_t TEncode::FindOriginByRatio(int32_t method, float ratio) {
  CheckMethod(method);
  if (!FinitePositive(ratio)) return -1;
  TFirstStep st;
  if (!FirstStep(method, st)) return -1;
  FRatio = ratio;
  const TDotInfo& o = FDotInfo[st.Origin];
  int32_t n[4] = {-1, -1, -1, -1};
  n[st.D0] = st.Neighbour;
  const double across = Across(st.D0, 1.0, FRatio);
  n[(st.D0 + 1) % 4] = NearestDotWithin(F(o.x - across * st.Fy), F(o.y + across * st.Fx));
  n[(st.D0 + 2) % 4] = NearestDotWithin(F(o.x - st.Fx), F(o.y - st.Fy));
  n[(st.D0 + 3) % 4] = NearestDotWithin(F(o.x + across * st.Fy), F(o.y - across * st.Fx));
  for (int32_t d = 0; d < 4; ++d)
    if (n[d] < 0) return -1;
  AssignDot(st.Origin, n, 0, 0);
  return st.Origin;
}

int32_t TEncode::SetOrigin(int32_t origin, const int32_t neighbour[4], int32_t nx, int32_t ny) {
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  if (origin < 0 || origin >= count) return -1;
  int32_t n[4];
  for (int32_t d = 0; d < 4; ++d)
    n[d] = neighbour[d] >= 0 && neighbour[d] < count ? neighbour[d] : -1;
  const TDotInfo& o = FDotInfo[origin];
  const int32_t vertical = n[1] >= 0 ? n[1] : n[3];
  const int32_t horizontal = n[0] >= 0 ? n[0] : n[2];
  // Without a picked neighbour on an axis, or with one level with the origin, there is no pitch
  // to divide by: the grid is taken as square.
  FRatio = 1.0f;
  if (vertical >= 0 && horizontal >= 0) {
    const double a = std::fabs(static_cast<double>(o.y) - FDotInfo[vertical].y);
    const double b = std::fabs(static_cast<double>(o.x) - FDotInfo[horizontal].x);
    if (a > 0 && b > 0) FRatio = F(a / b);
    if (!FinitePositive(FRatio)) FRatio = 1.0f;
  }
  AssignDot(origin, n, nx, ny);
  return origin;
}
