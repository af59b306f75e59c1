// What one frame of the image view costs: the visible part of a picture made into screen pixels
// (Qt's own drawing of the made image comes on top). A 1600 x 1000 window shows the picture at
// Fit (the whole 6000 x 4000 picture, each screen pixel the mean of 4 x 4 samples), at 1:1 (a
// window-sized part) and zoomed in 4x.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <memory>

#include "BenchSupport.h"
#include "app/view/Paintbox.h"
#include "image/Grayimage.h"

namespace {

constexpr int WindowWidth = 1600;
constexpr int WindowHeight = 1000;

TPaintBox& Box(int64_t size) {
  static std::unique_ptr<QApplication> app;
  static std::unique_ptr<TPaintBox> box[2];
  if (!app) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "view_bench";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QApplication>(argc, argv);
  }
  if (!box[size]) {
    const TGrayImage& picture = CameraPicture(size);
    box[size] = std::make_unique<TPaintBox>();
    box[size]->ResizeSurface(picture.Width(), picture.Height());
    picture.Repaint(&box[size]->Surface());
  }
  return *box[size];
}

// arg 0: the picture size; arg 1: 0 Fit, 1 1:1, 2 400 %.
void BM_ViewFrame(benchmark::State& state) {
  TPaintBox& box = Box(state.range(0));
  const int32_t w = box.Surface().Width(), h = box.Surface().Height();
  const double fit =
      std::min(static_cast<double>(WindowWidth) / w, static_cast<double>(WindowHeight) / h);
  const double zoom = state.range(1) == 0 ? fit : state.range(1) == 1 ? 1.0 : 4.0;
  box.SetZoom(zoom);
  QImage screen(WindowWidth, WindowHeight, QImage::Format_RGB32);
  // A part in the middle of the picture, as after panning there.
  const QRect visible(std::max(0, (box.width() - WindowWidth) / 2),
                      std::max(0, (box.height() - WindowHeight) / 2),
                      std::min(box.width(), WindowWidth), std::min(box.height(), WindowHeight));
  for (auto _ : state) {
    box.render(&screen, QPoint(), QRegion(visible));
    benchmark::DoNotOptimize(screen.constBits());
  }
  state.counters["screen_pixels"] = static_cast<double>(visible.width()) * visible.height();
}
BENCHMARK(BM_ViewFrame)
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// Show Position on a 6000 x 4000 grid of pitch 20: one label per dot, 60,000 labels.
void BM_ShowPositionLabels(benchmark::State& state) {
  TPaintBox& box = Box(1);
  TViewSurface& surface = box.Surface();
  surface.SetLabelsApart(true);
  const TViewSurface::TSnapshot bare{surface, {}};
  for (auto _ : state) {
    state.PauseTiming();
    surface.Restore(bare);
    state.ResumeTiming();
    for (int32_t y = 10; y < surface.Height(); y += 20)
      for (int32_t x = 10; x < surface.Width(); x += 20) surface.TextOut(x, y, "(12,34)");
    benchmark::DoNotOptimize(surface.Labels().data());
  }
  state.counters["labels"] = static_cast<double>(surface.Labels().size());
}
BENCHMARK(BM_ShowPositionLabels)->Unit(benchmark::kMillisecond)->UseRealTime();
