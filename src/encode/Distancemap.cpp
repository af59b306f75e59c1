#include "encode/Distancemap.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int64_t Far = std::numeric_limits<int64_t>::max() / 4;

// One line: out[q] = min over p of (q - p)^2 + f[p], and the p that gives it, by the lower
// envelope of the parabolas rooted at the finite f[p].
void Line(const int64_t* f, int32_t n, int64_t* out, int32_t* from, std::vector<int32_t>& v,
          std::vector<double>& z) {
  v.resize(static_cast<size_t>(n));
  z.resize(static_cast<size_t>(n) + 1);
  int32_t k = -1;
  for (int32_t q = 0; q < n; ++q) {
    if (f[q] >= Far) continue;
    double s = 0;
    while (k >= 0) {
      const int32_t p = v[k];
      s = (static_cast<double>(f[q] + int64_t{q} * q) -
           static_cast<double>(f[p] + int64_t{p} * p)) /
          (2.0 * (q - p));
      if (s > z[k]) break;
      --k;
    }
    ++k;
    v[k] = q;
    z[k] = k == 0 ? -1e300 : s;
    z[k + 1] = 1e300;
  }
  if (k < 0) {
    for (int32_t q = 0; q < n; ++q) out[q] = Far, from[q] = -1;
    return;
  }
  int32_t j = 0;
  for (int32_t q = 0; q < n; ++q) {
    while (z[j + 1] < q) ++j;
    const int64_t d = q - v[j];
    out[q] = d * d + f[v[j]];
    from[q] = v[j];
  }
}

}  // namespace

void DistanceMap(const std::vector<char>& site, int32_t w, int32_t h, std::vector<int32_t>& d2,
                 std::vector<int32_t>* nearest) {
  const size_t size = static_cast<size_t>(w) * static_cast<size_t>(h);
  d2.assign(size, std::numeric_limits<int32_t>::max());
  if (nearest) nearest->assign(size, -1);
  if (w <= 0 || h <= 0) return;
  std::vector<int32_t> v;
  std::vector<double> z;
  // Down the columns: the squared distance to the nearest site in the column, and its row.
  std::vector<int64_t> f(static_cast<size_t>(std::max(w, h))), out(f.size());
  std::vector<int32_t> from(f.size());
  std::vector<int32_t> row(size, -1);
  constexpr int32_t None = std::numeric_limits<int32_t>::max();
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) f[y] = site[static_cast<size_t>(y) * w + x] ? 0 : Far;
    Line(f.data(), h, out.data(), from.data(), v, z);
    for (int32_t y = 0; y < h; ++y) {
      d2[static_cast<size_t>(y) * w + x] = out[y] < Far ? static_cast<int32_t>(out[y]) : None;
      row[static_cast<size_t>(y) * w + x] = from[y];
    }
  }
  // Along the rows over those.
  for (int32_t y = 0; y < h; ++y) {
    const size_t base = static_cast<size_t>(y) * w;
    for (int32_t x = 0; x < w; ++x) f[x] = d2[base + x] == None ? Far : d2[base + x];
    Line(f.data(), w, out.data(), from.data(), v, z);
    for (int32_t x = 0; x < w; ++x) {
      d2[base + x] =
          out[x] < Far ? static_cast<int32_t>(std::min<int64_t>(out[x], None - 1)) : None;
      if (nearest && from[x] >= 0) {
        const int32_t sy = row[base + from[x]];
        (*nearest)[base + x] = sy < 0 ? -1 : sy * w + from[x];
      }
    }
  }
}
