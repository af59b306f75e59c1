#include <gtest/gtest.h>

#include <cstring>

#include "EncodeTestSupport.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/RgbSurface.h"
#include "encode/Encoderun.h"
#include "support/Encodeprobe.h"

using namespace enctest;

namespace {

struct TCase {
  double PitchX, PitchY, Rotation;
  int32_t Missing;
  bool White;
};

TGridCase MakeGrid(const TCase& c, uint32_t seed, int32_t width = 420, int32_t height = 340) {
  TSynthOptions o;
  o.Width = width;
  o.Height = height;
  o.PitchX = c.PitchX;
  o.PitchY = c.PitchY;
  o.Radius = 5;
  o.RotationDeg = c.Rotation;
  o.Missing = c.Missing;
  o.WhiteDots = c.White;
  o.Seed = seed;
  return SegmentedGrid(o);
}

std::unique_ptr<TEncode> Extracted(TGridCase& g, int32_t maxN = 50) {
  auto image = std::make_unique<TGrayImage>();
  image->SetWidth(g.Image->Width());
  image->SetHeight(g.Image->Height());
  std::memcpy(image->Data(), g.Image->Data(), static_cast<size_t>(g.Image->Size()));
  auto job = Job(std::move(image), g.Options.WhiteDots, maxN);
  ExtractDots(*job, {});
  return job;
}

// The picked origin and neighbours of the third stage: the synthetic centre dot and the dots
// one lattice step away from it.
int32_t PickOrigin(const TEncode& job, const TSynthGrid& grid, int32_t neighbours[4]) {
  const TSynthDot& c = grid.CentreDot();
  const int32_t di[4] = {1, 0, -1, 0}, dj[4] = {0, 1, 0, -1};
  for (int32_t d = 0; d < 4; ++d) {
    neighbours[d] = -1;
    for (const TSynthDot& s : grid.Dots())
      if (s.Present && s.I == c.I + di[d] && s.J == c.J + dj[d])
        neighbours[d] = DotAt(job, s.X0, s.Y0);
  }
  return DotAt(job, c.X0, c.Y0);
}

}  // namespace

TEST(Encoding, SyntheticGridsEncodeEveryDotAtItsLatticePosition) {
  const TCase cases[] = {
      {20, 20, 0, 0, true},  {20, 20, 3, 6, false}, {20, 30, 0, 6, true}, {20, 30, 2.5, 8, false},
      {30, 20, 0, 6, false}, {30, 20, -3, 8, true}, {24, 20, 1, 4, true},
  };
  uint32_t seed = 11;
  for (const TCase& c : cases) {
    for (int32_t stage : {1, 0, -1}) {
      for (int32_t method = 0; method < 4; ++method) {
        if (stage == -1 && method > 0) continue;  // the user's pick needs no method
        TGridCase g = MakeGrid(c, ++seed);
        auto job = Job(std::move(g.Image), c.White);
        SCOPED_TRACE(Format("pitch %gx%g rotation %g missing %d %s stage %d method %d", c.PitchX,
                            c.PitchY, c.Rotation, c.Missing, c.White ? "white" : "black", stage,
                            method));
        // The run as the shells call it: the Auto least area, then the stage's origin.
        TEncodeRunOptions run;
        run.Method = method;
        ExtractDots(*job, run);
        if (stage == 0) {
          run.Origin = TOriginSource::Pitch;
          run.Pitch = {static_cast<float>(c.PitchX), static_cast<float>(c.PitchY)};
        } else if (stage == -1) {
          run.Origin = TOriginSource::Picked;
          run.PickedDot = PickOrigin(*job, *g.Grid, run.PickedNeighbours.data());
        }
        int32_t o = -1;
        const std::string error = ErrorOf([&] { o = ContinueEncoding(*job, run); });
        // The pitch's chosen dot may lie on the grid's edge.
        if (stage == 0 && method < 2 && error == TEncode::RatioOriginFailedMessage) continue;
        ASSERT_EQ(error, "(no error)");
        if (stage == -1) {
          EXPECT_NEAR(job->Ratio(), c.PitchY / c.PitchX, 0.05);
        }
        EXPECT_EQ(EncodingErrors(*job, *g.Grid), "");
        EXPECT_EQ(job->DotInfo()[o].Nx, 0);
        EXPECT_EQ(job->DotInfo()[o].Ny, 0);
      }
    }
  }
}

TEST(Encoding, AThreeHundredByThreeHundredGridEncodesWithoutDeepRecursion) {
  TSynthOptions o;
  o.Width = 2420;
  o.Height = 2420;
  o.PitchX = o.PitchY = 8;
  o.Radius = 2.5;
  TGridCase g = SegmentedGrid(o);
  ASSERT_GE(g.Grid->Dots().size(), 90000u);
  auto job = Extracted(g, 160);
  ASSERT_GE(job->DotSum(), 90000);
  const int32_t origin = job->FindOrigin(2);
  ASSERT_GE(origin, 0);
  job->Encode(origin);
  EXPECT_EQ(EncodingErrors(*job, *g.Grid), "");
}

TEST(Encoding, TheTableBoundsLimitTheWalk) {
  TGridCase g = MakeGrid({20, 20, 0, 0, true}, 3);
  auto job = Extracted(g, 3);
  std::vector<uint8_t> before(job->Image().Data(), job->Image().Data() + job->Image().Size());
  const int32_t origin = job->FindOrigin(2);
  ASSERT_GE(origin, 0);
  const std::string message = ErrorOf([&] { job->Encode(origin); });
  EXPECT_EQ(message.front(), '(');
  EXPECT_NE(message.find(" , "), std::string::npos) << message;
  EXPECT_NE(message.find(") not in the range"), std::string::npos) << message;
  // The picture is restored and the assignments made so far stay.
  EXPECT_EQ(0, std::memcmp(job->Image().Data(), before.data(), before.size()));
  int32_t coded = 0;
  for (int32_t i = 0; i < job->DotSum(); ++i) coded += job->DotInfo()[i].Coded ? 1 : 0;
  EXPECT_GT(coded, 5);
}

TEST(Encoding, GridNeighbourUsesTheTablesOwnBoundsWithoutOverflow) {
  TGridCase g = MakeGrid({20, 20, 0, 0, true}, 3);
  auto job = Extracted(g, 60);
  int32_t none[4] = {-1, -1, -1, -1};
  job->AssignDot(1, none, 55, 49);
  job->AssignDot(2, none, 55, 50);
  job->AssignDot(3, none, 60, 60);
  // Rows: dot, direction, expected neighbour (ny = 50 lies inside a table of 60).
  const int32_t rows[][3] = {{1, 3, 2}, {2, 1, 1}, {3, 0, -1}, {3, 3, -1}};
  for (const auto& r : rows) EXPECT_EQ(job->GridNeighbour(r[0], r[1]), r[2]) << r[0] << r[1];
  job->ModifyDot(0, 2147483647, -2147483647 - 1, true);  // typed by hand
  for (int32_t d = 0; d < 4; ++d) EXPECT_EQ(job->GridNeighbour(0, d), -1);
}

TEST(Encoding, InconsistentGridsRaiseTheTwoEncodingErrors) {
  TGridCase g = MakeGrid({20, 20, 0, 0, true}, 5);
  {
    // A neighbour that was already expanded at other indices.
    auto job = Extracted(g);
    const int32_t o = job->FindOrigin(2);
    ASSERT_GE(o, 0);
    const int32_t right = job->DotInfo()[o].Neighbour[0];
    job->ModifyDot(right, 7, 7, true);
    EXPECT_EQ(ErrorOf([&] { job->Encode(o); }), " Error when encoding, Direct correct it");
  }
  {
    // A dot registered at a grid position whose own indices say otherwise.
    auto job = Extracted(g);
    const int32_t o = job->FindOrigin(2);
    ASSERT_GE(o, 0);
    const int32_t right = job->DotInfo()[o].Neighbour[0];
    const int32_t farRight = job->DotInfo()[right].Neighbour[0] >= 0
                                 ? job->DotInfo()[right].Neighbour[0]
                                 : DotAt(*job, 2 * job->DotInfo()[right].x - job->DotInfo()[o].x,
                                         2 * job->DotInfo()[right].y - job->DotInfo()[o].y);
    ASSERT_GE(farRight, 0);
    int32_t none[4] = {-1, -1, -1, -1};
    job->AssignDot(farRight, none, 2, 0);
    job->ModifyDot(farRight, 9, 9, false);
    EXPECT_EQ(ErrorOf([&] { job->Encode(o); }), "Error when Encoding, direct correct it");
  }
}

TEST(Encoding, ARunAgainWithTheSameOriginStopsAtOnce) {
  TGridCase g = MakeGrid({20, 30, 0, 4, true}, 9);
  auto job = Extracted(g);
  const int32_t firstOrigin = job->FindOrigin(2);
  ASSERT_GE(firstOrigin, 0);
  job->Encode(firstOrigin);
  const std::vector<TDotInfo> first = job->DotInfo();
  int32_t pauses = 0;
  job->SetDelay(1);
  job->SetPause([&](int32_t) { ++pauses; });
  const int32_t o = job->FindOriginByRatio(2, 1.5f);
  ASSERT_GE(o, 0);
  job->Encode(o);
  EXPECT_EQ(pauses, 0);
  for (size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(job->DotInfo()[i].Nx, first[i].Nx);
    EXPECT_EQ(job->DotInfo()[i].Ny, first[i].Ny);
  }
}

TEST(Encoding, ManualCorrectionsShiftAndSetIndices) {
  TGridCase g = MakeGrid({20, 20, 0, 0, true}, 21);
  auto job = Extracted(g);
  job->Encode(job->FindOrigin(2));
  const int32_t target = job->Coordinate().GetIndex(3, -2);
  ASSERT_GE(target, 0);
  const int32_t uncoded = (target + 1) % job->DotSum();
  TEncodeProbe::Dots(*job)[uncoded].Coded = false;
  const std::vector<TDotInfo> before = job->DotInfo();
  job->ModifyOrigin(target);
  for (int32_t i = 0; i < job->DotSum(); ++i) {
    const int32_t shift = before[i].Coded ? 1 : 0;
    EXPECT_EQ(job->DotInfo()[i].Nx, before[i].Nx - 3 * shift);
    EXPECT_EQ(job->DotInfo()[i].Ny, before[i].Ny + 2 * shift);
  }
  EXPECT_EQ(job->Coordinate().GetIndex(3, -2), target);  // the table is not touched
  EXPECT_EQ(ErrorOf([&] { job->ModifyOrigin(uncoded); }),
            " this grid are not encoded, Encode this grid first !");
  job->ModifyDot(uncoded, -4, 5, true);
  const TDotInfo& typed = job->DotInfo()[uncoded];
  EXPECT_TRUE(typed.Coded);
  EXPECT_TRUE(typed.Neted);
  EXPECT_EQ(typed.Nx, -4);
  EXPECT_EQ(typed.Ny, 5);
  // Indices outside the dots change nothing.
  const std::vector<TDotInfo> kept = job->DotInfo();
  for (int32_t i : {-1, job->DotSum()}) {
    job->ModifyOrigin(i);
    job->ModifyDot(i, 1, 1, false);
  }
  for (int32_t i = 0; i < job->DotSum(); ++i) EXPECT_EQ(job->DotInfo()[i].Nx, kept[i].Nx);
}
