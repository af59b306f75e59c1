// Pictures of dots given as dot lists (no pixels): a grid with a known truth per dot, moved,
// turned, cut by its frame or its own outline, and the registration's indices checked dot by
// dot against it.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "encode/Codefile.h"
#include "encode/Encode.h"
#include "encode/Encodereference.h"
#include "image/Grayimage.h"
#include "match/Codelineage.h"
#include "register/Registerpicture.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

struct TDotCase {
  std::string Name;
  double Tx = 0, Ty = 0, Turn = 0;  // motion, pixels and degrees counterclockwise
  int32_t Columns = 0, Rows = 0;    // 0: the grid fills both pictures
  double Rotation = 0;              // of the grid in the reference
  std::vector<std::pair<int32_t, int32_t>> Missing;
  double Pitch = 20;
  int32_t Width = 400, Height = 300;
  double Crack = 0;  // the rows below the middle move down this far more
};

struct TTruthDot {
  int32_t I, J;
  double X, Y;
};

// The dots each picture shows: those whose centre lies 7 px inside it.
std::vector<TTruthDot> Dots(const TDotCase& c, bool moved) {
  std::vector<TTruthDot> dots;
  const double cx = c.Width / 2.0 + 0.3, cy = c.Height / 2.0 - 0.2;
  const double a = c.Rotation * Pi / 180, t = c.Turn * Pi / 180;
  const int32_t reach = static_cast<int32_t>(std::hypot(c.Width, c.Height) / c.Pitch);
  for (int32_t j = -reach; j <= reach; ++j)
    for (int32_t i = -reach; i <= reach; ++i) {
      if (c.Columns > 0 && (std::abs(2 * i) > c.Columns || std::abs(2 * j) > c.Rows)) continue;
      bool missing = false;
      for (const auto& [mi, mj] : c.Missing) missing = missing || (mi == i && mj == j);
      if (missing) continue;
      double x = i * c.Pitch * std::cos(a) - j * c.Pitch * std::sin(a);
      double y = i * c.Pitch * std::sin(a) + j * c.Pitch * std::cos(a);
      if (moved) {
        // Counterclockwise on the screen, whose y grows downwards.
        const double tx = x * std::cos(t) + y * std::sin(t),
                     ty = -x * std::sin(t) + y * std::cos(t);
        x = tx + c.Tx, y = ty + c.Ty + (j > 0 ? c.Crack : 0);
      }
      x += cx, y += cy;
      if (x >= 7 && y >= 7 && x <= c.Width - 8 && y <= c.Height - 8) dots.push_back({i, j, x, y});
    }
  return dots;
}

TDotCase Case(std::string name, double tx, double ty, double turn = 0, int32_t columns = 0,
              int32_t rows = 0, double rotation = 0,
              std::vector<std::pair<int32_t, int32_t>> missing = {}) {
  TDotCase c;
  c.Name = std::move(name);
  c.Tx = tx, c.Ty = ty, c.Turn = turn, c.Columns = columns, c.Rows = rows, c.Rotation = rotation;
  c.Missing = std::move(missing);
  return c;
}

TRegisterReference Reference(const TDotCase& c) {
  TRegisterReference r;
  r.Width = c.Width, r.Height = c.Height;
  for (const TTruthDot& t : Dots(c, false)) {
    TDotInfo d;
    d.x = static_cast<float>(t.X), d.y = static_cast<float>(t.Y);
    d.Nx = t.I, d.Ny = -t.J, d.Area = 78, d.Coded = true;
    r.Dots.push_back(d);
  }
  return r;
}

std::unique_ptr<TEncode> Job(const TDotCase& c, std::vector<TTruthDot>& truth) {
  auto picture = std::make_unique<TGrayImage>();
  picture->SetWidth(c.Width);
  picture->SetHeight(c.Height);
  auto job = std::make_unique<TEncode>(std::move(picture), true, false, 1, 1);
  truth = Dots(c, true);
  std::vector<TDotInfo> dots;
  for (const TTruthDot& t : truth) {
    TDotInfo d;
    d.x = static_cast<float>(t.X), d.y = static_cast<float>(t.Y), d.Area = 78;
    dots.push_back(d);
  }
  job->ReplaceDots(std::move(dots));
  return job;
}

struct TOutcome {
  int32_t Indexed = 0, Wrong = 0;
  TDecision Decision = TDecision::NoFit;
  std::string Error;
};

TOutcome Place(const TDotCase& c, const TRegisterOptions& options = {},
               TRegisterReport* out = nullptr) {
  std::vector<TTruthDot> truth;
  const std::unique_ptr<TEncode> job = Job(c, truth);
  TOutcome outcome;
  outcome.Error = ErrorOf([&] {
    const TRegisterReport report = RegisterPicture(*job, Reference(c), options);
    outcome.Decision = report.Main.Decision;
    if (out) *out = report;
  });
  std::map<std::pair<int32_t, int32_t>, int32_t> at;
  for (size_t k = 0; k < truth.size(); ++k) {
    const TDotInfo& d = job->DotInfo()[k];
    if (!d.Coded) continue;
    ++outcome.Indexed;
    outcome.Wrong += d.Nx != truth[k].I || d.Ny != -truth[k].J;
    at[{d.Nx, d.Ny}] = static_cast<int32_t>(k);
  }
  // Every indexed dot is linked to the indexed dots one step away, as the walk links them.
  const int32_t stepX[4] = {1, 0, -1, 0}, stepY[4] = {0, -1, 0, 1};
  for (const TDotInfo& d : job->DotInfo())
    for (int32_t dir = 0; d.Coded && dir < 4; ++dir) {
      const auto n = at.find({d.Nx + stepX[dir], d.Ny + stepY[dir]});
      outcome.Wrong += d.Neighbour[dir] != (n == at.end() ? -1 : n->second);
    }
  outcome.Wrong += job->CodedSum() != outcome.Indexed;
  return outcome;
}

}  // namespace

// Every dot of a grid whose outline lies inside both pictures keeps its reference indices,
// whatever the motion: the outline decides the whole-pitch offset and the quarter turn.
TEST(Register, OutlineInsideThePicturesDecidesEveryMotion) {
  const std::vector<TDotCase> cases = {
      Case("0.4 pitch, even columns", 8, 3, 0, 14, 9),
      Case("0.6 pitch, even columns", 12, -4, 0, 14, 9),
      Case("1.0 pitch, odd columns", 20, 0, 0, 15, 9),
      Case("3.3 pitches, odd columns", 66, 10, 0, 15, 9),
      Case("45 deg turn", 3, -2, 45, 12, 7),
      Case("turned grid, 2.5 pitches", -50, 7, 8, 12, 8, 20),
      Case("holes", 30, 0, 0, 0, 0, 0, {{0, 0}, {3, 2}, {-4, -1}, {5, -3}}),
  };
  for (const TDotCase& c : cases) {
    const TOutcome o = Place(c);
    EXPECT_EQ(o.Error, "(no error)") << c.Name;
    EXPECT_GT(o.Indexed, 60) << c.Name;
    EXPECT_EQ(o.Wrong, 0) << c.Name;
    EXPECT_EQ(o.Decision, TDecision::Pictures) << c.Name;
  }
}

// Nothing in a grid without missing dots that fills both pictures tells its motion from one a
// whole pitch longer: refused, naming the motions and the shift; the user's shift then decides.
TEST(Register, FilledFramesAreRefusedUntilTheShiftIsGiven) {
  const TDotCase filled = Case("filled", 66, 4);
  const TOutcome refused = Place(filled);
  EXPECT_NE(refused.Error.find("cannot be told from the pictures"), std::string::npos)
      << refused.Error;
  EXPECT_NE(refused.Error.find("moved by (6.0, 4.0) px, or (-14.0, 4.0) px"), std::string::npos)
      << refused.Error;
  EXPECT_NE(refused.Error.find("with --shift DX DY"), std::string::npos);
  EXPECT_EQ(refused.Indexed, 0);

  TRegisterOptions shift;
  shift.Prior = TPriorKind::Override;
  shift.ShiftX = 60, shift.ShiftY = 0;
  const TOutcome given = Place(filled, shift);
  EXPECT_EQ(given.Error, "(no error)");
  EXPECT_EQ(given.Wrong, 0);
  EXPECT_GT(given.Indexed, 200);

  TRegisterOptions accept;
  accept.AcceptAmbiguous = true;
  EXPECT_EQ(Place(Case("small", 3, 2), accept).Decision, TDecision::Ambiguous);
  EXPECT_EQ(Place(Case("small", 3, 2), accept).Wrong, 0);
}

// A crack opened by 2.5 pitches between two pictures: each side is placed by its own outline,
// its lip not taken for one.
TEST(Register, EachSideOfACrackIsPlacedOnItsOwn) {
  TDotCase c = Case("crack", 6, -20, 0, 14, 8);
  c.Crack = 50;
  TRegisterReport report;
  const TOutcome o = Place(c, {}, &report);
  EXPECT_EQ(o.Error, "(no error)");
  EXPECT_EQ(report.Regions, 2);
  EXPECT_EQ(o.Wrong, 0);
  EXPECT_EQ(o.Indexed, 15 * 9) << report.Outliers << " " << report.Unplaced;
}

// Each dot predicted where it goes: the prediction holds within a quarter pitch, and is
// overruled by an outline that shows it a pitch off; a prediction farther off on a grid that
// fills the pictures is reported, not taken.
TEST(Register, APredictionHoldsUnlessTheOutlineShowsItAPitchOff) {
  for (const double off : {4.0, 20.0}) {
    const TDotCase c = Case("predicted", 30, 10, 0, 14, 10);
    TRegisterOptions predicted;
    predicted.Prior = TPriorKind::Prediction;
    for (const TDotInfo& d : Reference(c).Dots)
      predicted.PredictedX.push_back(d.x + 30 - static_cast<float>(off)),
          predicted.PredictedY.push_back(d.y + 10);
    const TOutcome o = Place(c, predicted);
    EXPECT_EQ(o.Wrong, 0) << off;
    EXPECT_EQ(o.Decision, off < 5 ? TDecision::Prediction : TDecision::Pictures) << off;
  }
  const TDotCase filled = Case("filled", 8, 0);
  TRegisterOptions predicted;
  predicted.Prior = TPriorKind::Prediction;
  predicted.AcceptAmbiguous = true;
  for (const TDotInfo& d : Reference(filled).Dots)
    predicted.PredictedX.push_back(d.x), predicted.PredictedY.push_back(d.y);
  TRegisterReport report;
  EXPECT_EQ(Place(filled, predicted, &report).Decision, TDecision::Ambiguous);
  EXPECT_TRUE(report.Main.Departed);
}

// A job's lineage, from its dots as the writer rounds them, is its saved file's; a file indexed
// from it carries that lineage after the magic word, and a file without one is its own.
TEST(Register, AFileIndexedFromAReferenceCarriesItsLineage) {
  const TDotCase c = Case("lineage", 30, 10, 0, 14, 10);
  std::vector<TTruthDot> truth;
  const std::unique_ptr<TEncode> job = Job(c, truth);
  TTempDir dir;
  TRegisterReference reference = Reference(c);
  reference.Lineage = "0123456789abcdef";
  RegisterPicture(*job, reference, {});
  job->SaveCodes(dir.File("d.cod"));
  const TCodeFileContent saved = ReadCodeFile(dir.File("d.cod"));
  EXPECT_EQ(saved.Mark, "+ref:0123456789abcdef");
  EXPECT_EQ(CodeLineage(saved), "0123456789abcdef");
  job->SetCodeMark("");
  job->SaveCodes(dir.File("own.cod"));
  EXPECT_EQ(ReadFileBytes(dir.File("own.cod")).rfind("VRKT-FS\r\n", 0), 0u);
  EXPECT_EQ(CodeLineage(ReadCodeFile(dir.File("own.cod"))), LineageOfDots(CodedDots(*job), true));
  EXPECT_NE(LineageOfDots(CodedDots(*job), true), "0123456789abcdef");
}
