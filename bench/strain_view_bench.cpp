// What the strain map in the image view costs on a 6000 x 4000 picture with 60,000 dots (a
// 300 x 200 grid at pitch 20) in a 1600 x 1000 window: a change of the field shown (new colour
// scale, the map layer painted anew, the frame), and a repaint with the layer kept, at Fit; and
// the frames at 1:1 and 4x, where only the part shown is painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <memory>

#include "BenchSupport.h"
#include "app/Imageview.h"
#include "app/match/Strainoverlay.h"
#include "image/Grayimage.h"

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

}  // namespace

BENCHMARK_MAIN();
