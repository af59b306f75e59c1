// What the strain map in the image view costs on a 6000 x 4000 picture with 60,000 dots (a
// 300 x 200 grid at pitch 20) in a 1600 x 1000 window: a change of the field shown (new colour
// scale, the map layer painted anew, the frame), and a repaint with the layer kept, at Fit; and
// the frames at 1:1 and 4x, where only the part shown is painted. And a step of the sequence
// window's slider on a tracked sequence of such pictures (2000 x 1500 and 6000 x 4000): the
// step's strain from its code files, its picture read, the map over it and the frame at Fit.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <memory>

#include "BenchSupport.h"
#include "app/Imageview.h"
#include "app/match/Strainoverlay.h"
#include "app/sequence/Sequencesteps.h"
#include "image/Grayimage.h"
#include "support/TempDir.h"
#include "synth/Synthsequence.h"
#include "track/Tracksequence.h"

namespace {

constexpr int WindowWidth = 1600;
constexpr int WindowHeight = 1000;

struct TScene {
  std::unique_ptr<QApplication> App;
  TStrainOverlay Overlay;
  std::unique_ptr<TPaintBox> Box;
};

// A field that varies over the picture, so that every cell has a colour of its own.
std::shared_ptr<const TStrainField> Field() {
  std::vector<TStrainPair> pairs;
  for (int32_t ny = -100; ny < 100; ++ny)
    for (int32_t nx = -150; nx < 150; ++nx) {
      TStrainPair p;
      p.Nx = nx;
      p.Ny = ny;
      p.X = 3000 + 20.0 * nx;
      p.Y = 2000 + 20.0 * ny;
      p.Dx = 0.4 + 0.003 * (p.X - 3000) + 2 * std::sin(p.Y / 700);
      p.Dy = -0.2 - 0.002 * (p.Y - 2000) + std::cos(p.X / 900);
      pairs.push_back(p);
    }
  auto field = std::make_shared<TStrainField>(TStrainField::Compute(pairs, {}));
  field->FPictureWidth = 6000;
  field->FPictureHeight = 4000;
  return field;
}

TScene& Scene() {
  static TScene scene;
  if (!scene.App) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "strain_view_bench";
    static char* argv[] = {name, nullptr};
    scene.App = std::make_unique<QApplication>(argc, argv);
    const auto field = Field();
    scene.Overlay.SetPicture(&SegmentedPicture(1), *field);
    scene.Overlay.SetField(field);
    scene.Box = std::make_unique<TPaintBox>();
    scene.Box->SetOverlay(&scene.Overlay);
  }
  return scene;
}

// The part of the box a window shows, in its middle; zoom 0 Fit, 1 1:1, 2 4x.
QRect Shown(TPaintBox& box, int64_t zoom) {
  const double fit = std::min(static_cast<double>(WindowWidth) / 6000, WindowHeight / 4000.0);
  box.SetZoom(zoom == 0 ? fit : zoom == 1 ? 1.0 : 4.0);
  return QRect(std::max(0, (box.width() - WindowWidth) / 2),
               std::max(0, (box.height() - WindowHeight) / 2), std::min(box.width(), WindowWidth),
               std::min(box.height(), WindowHeight));
}

// arg: 0 the map alone, 1 with the vectors.
void BM_StrainFieldChangeAtFit(benchmark::State& state) {
  TScene& scene = Scene();
  scene.Overlay.SetVectors(state.range(0) != 0);
  const QRect visible = Shown(*scene.Box, 0);
  QImage screen(WindowWidth, WindowHeight, QImage::Format_RGB32);
  bool exx = false;
  for (auto _ : state) {
    scene.Overlay.SetQuantity(exx ? TPlotQuantity::Exx : TPlotQuantity::Eyy);
    exx = !exx;
    scene.Box->render(&screen, QPoint(), QRegion(visible));
    benchmark::DoNotOptimize(screen.constBits());
  }
}
BENCHMARK(BM_StrainFieldChangeAtFit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// args: zoom (0 Fit, 1 1:1, 2 4x), vectors.
void BM_StrainRepaint(benchmark::State& state) {
  TScene& scene = Scene();
  scene.Overlay.SetQuantity(TPlotQuantity::Exx);
  scene.Overlay.SetVectors(state.range(1) != 0);
  const QRect visible = Shown(*scene.Box, state.range(0));
  QImage screen(WindowWidth, WindowHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    scene.Box->render(&screen, QPoint(), QRegion(visible));
    benchmark::DoNotOptimize(screen.constBits());
  }
}
BENCHMARK(BM_StrainRepaint)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A reference and one step of a grid moving by 6 px and stretching by 1 %, tracked.
struct TTracked {
  TTempDir Dir;
  std::vector<std::string> Pictures;
  std::vector<TTrackStep> Steps;
};

const TTracked& Tracked(int64_t size) {
  static std::unique_ptr<TTracked> tracked[2];
  auto& t = tracked[size];
  if (!t) {
    t = std::make_unique<TTracked>();
    TSynthOptions final;
    final.Width = size == 0 ? 2000 : 6000;
    final.Height = size == 0 ? 1500 : 4000;
    final.NoiseSigma = 4;
    final.TranslateX = 6;
    final.Exx = 0.01;
    t->Pictures = WriteSynthSequence(final, 1, t->Dir.Path());
    TTrackOptions options;
    options.Jobs = 2;
    t->Steps = TrackSequence(t->Pictures, t->Dir.File("out"), options);
  }
  return *t;
}

// args: size (0: 2000 x 1500, 1: 6000 x 4000), part (0 the whole step, 1 the strain from the
// code files, 2 the picture read, 3 the map over it and the frame).
void BM_SequenceStep(benchmark::State& state) {
  TScene& scene = Scene();
  const TTracked& tracked = Tracked(state.range(0));
  const int64_t part = state.range(1);
  TStrainOverlay overlay;
  overlay.SetDeformed(true);
  TPaintBox box;
  QImage screen(WindowWidth, WindowHeight, QImage::Format_RGB32);
  auto field = [&tracked] {
    // A window that has not seen the step yet.
    TSequenceSteps steps(tracked.Dir.File("out"), tracked.Pictures, {});
    steps.SetSteps(tracked.Steps);
    return steps.Field(1);
  };
  const auto kept = field();
  const TGrayImage keptPicture(tracked.Pictures[1]);
  for (auto _ : state) {
    const auto shown = part == 0 || part == 1 ? field() : kept;
    std::unique_ptr<TGrayImage> read;
    if (part == 0 || part == 2) read = std::make_unique<TGrayImage>(tracked.Pictures[1]);
    if (part == 0 || part == 3) {
      overlay.SetPicture(read ? read.get() : &keptPicture, *shown);
      overlay.SetField(shown);
      box.SetOverlay(&overlay);
      box.SetZoom(std::min(static_cast<double>(WindowWidth) / overlay.Picture().Width(),
                           static_cast<double>(WindowHeight) / overlay.Picture().Height()));
      box.render(&screen, QPoint(), QRegion(box.rect()));
    }
    benchmark::DoNotOptimize(screen.constBits());
  }
  box.SetOverlay(nullptr);
  (void)scene;
}
BENCHMARK(BM_SequenceStep)
    ->ArgsProduct({{0, 1}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
