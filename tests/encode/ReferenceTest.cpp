#include <gtest/gtest.h>

#include <map>

#include "EncodeTestSupport.h"
#include "encode/Encodereference.h"

using namespace enctest;

namespace {

std::unique_ptr<TEncode> Encoded(const TSynthOptions& o, bool deformed) {
  TSynthOptions s = o;
  s.DotLevel = 255;
  s.BackgroundLevel = 0;
  auto image = std::make_unique<TGrayImage>();
  TSynthGrid(s).Render(deformed, *image);
  auto job = Job(std::move(image), true, 200);
  Extract(*job, 20);
  return job;
}

// Lattice position of every measured dot, by its true centre in one of the pictures.
std::map<std::pair<int32_t, int32_t>, int32_t> DotsByLattice(const TEncode& job,
                                                             const TSynthGrid& grid,
                                                             bool deformed) {
  std::map<std::pair<int32_t, int32_t>, int32_t> m;
  for (const TSynthDot& d : grid.Dots()) {
    const int32_t i = DotAt(job, deformed ? d.X1 : d.X0, deformed ? d.Y1 : d.Y0);
    if (d.Present && i >= 0) m[{d.I, d.J}] = i;
  }
  return m;
}

struct TPairing {
  int32_t Pairs = 0;      // dots Coded in both pictures
  int32_t Mispaired = 0;  // of those, with other indices in the deformed picture
};

// Encodes the initial picture with the automatic origin and the deformed one either the same
// way or from the initial encoding, and compares the indices of every physical dot.
TPairing EncodePair(const TSynthOptions& o, bool reference) {
  TSynthGrid grid(o);
  auto initial = Encoded(o, false);
  initial->Encode(initial->FindOrigin(2));
  auto deformed = Encoded(o, true);
  const int32_t origin = reference ? FindOriginByReference(*deformed, CodedDots(*initial), 0, 0)
                                   : deformed->FindOrigin(2);
  deformed->Encode(origin);
  const auto before = DotsByLattice(*initial, grid, false);
  const auto after = DotsByLattice(*deformed, grid, true);
  TPairing p;
  for (const auto& [lattice, i0] : before) {
    const auto it = after.find(lattice);
    if (it == after.end()) continue;
    const TDotInfo &a = initial->FDotInfo[i0], &b = deformed->FDotInfo[it->second];
    if (!a.Coded || !b.Coded) continue;
    ++p.Pairs;
    p.Mispaired += a.Nx != b.Nx || a.Ny != b.Ny;
  }
  return p;
}

TSynthOptions BaseCase(uint32_t seed) {
  TSynthOptions o;
  o.Width = 1000;
  o.Height = 800;
  o.TranslateX = 0.37;
  o.TranslateY = -0.23;
  o.Seed = seed;
  return o;
}

}  // namespace

TEST(Reference, EveryPhysicalDotGetsTheSameIndicesInBothPictures) {
  struct TCase {
    const char* Name;
    double Rotation, Exx, Eyy, Tx, Ty;
  };
  const TCase cases[] = {{"translation", 0, 0, 0, 0.37, -0.23},
                         {"45 degrees", 45, 0, 0, 0.37, -0.23},
                         {"10 % strain", 0, 0.10, -0.03, 0.37, -0.23},
                         {"45 degrees and 10 % strain", 45, 0.10, 0, 1, 2},
                         {"0.38 pitch", 10, 0, 0, 7.6, 0}};
  int32_t wrongBefore = 0;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    const TCase& c = cases[seed % 5];
    TSynthOptions o = BaseCase(seed);
    o.Width = 1000 + 10 * static_cast<int32_t>(seed);  // odd and even column counts
    o.RotationDeg = c.Rotation;
    o.Exx = c.Exx;
    o.Eyy = c.Eyy;
    o.TranslateX = c.Tx;
    o.TranslateY = c.Ty;
    const TPairing p = EncodePair(o, true);
    EXPECT_GT(p.Pairs, 1000) << c.Name << " seed " << seed;
    EXPECT_EQ(p.Mispaired, 0) << c.Name << " seed " << seed;
    wrongBefore += EncodePair(o, false).Mispaired > 0;
  }
  // The pictures are ones on which each picture's own origin does not agree.
  EXPECT_GT(wrongBefore, 0);
}

TEST(Reference, ShiftCarriesTheSearchOverLargeMotionsAndTheErrorNamesIt) {
  TSynthOptions o = BaseCase(3);
  o.TranslateX = 31;  // 1.55 pitch
  o.TranslateY = -12;
  auto initial = Encoded(o, false);
  initial->Encode(initial->FindOrigin(2));
  const std::vector<TDotInfo> reference = CodedDots(*initial);

  auto lost = Encoded(o, true);
  const std::string message = ErrorOf([&] { FindOriginByReference(*lost, reference, 0, 0); });
  EXPECT_NE(message.find("--shift"), std::string::npos) << message;

  auto deformed = Encoded(o, true);
  const int32_t origin = FindOriginByReference(*deformed, reference, 30, -10);
  ASSERT_GE(origin, 0);
  // The origin is the reference dot itself, moved: same indices, position shifted.
  const TDotInfo& found = deformed->FDotInfo[origin];
  const int32_t r = DotAt(*initial, found.x - 31, found.y + 12, 1.0);
  ASSERT_GE(r, 0);
  EXPECT_EQ(found.Nx, initial->FDotInfo[r].Nx);
  EXPECT_EQ(found.Ny, initial->FDotInfo[r].Ny);
}

TEST(Reference, ReferenceWithoutACompleteCrossIsRefused) {
  auto job = Encoded(BaseCase(1), false);
  std::vector<TDotInfo> line(3);
  for (int32_t k = 0; k < 3; ++k) {
    line[k].x = 100.0f + 20.0f * static_cast<float>(k);
    line[k].y = 100;
    line[k].Nx = k;
    line[k].Coded = true;
  }
  EXPECT_NE(ErrorOf([&] { FindOriginByReference(*job, line, 0, 0); }).find("four grid neighbours"),
            std::string::npos);
}
