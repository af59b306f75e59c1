// What the desktop application's Multi-Area Segment command costs on a 6000 x 4000 camera
// picture, drawing every row on the view as it goes: the command as it runs now, asked before
// every row whether Esc was pressed and looking at the event loop every 100 ms; the same with
// the event loop never looked at; and the bare run in the same busy frame, as before Esc could
// stop it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <climits>
#include <memory>

#include "BenchSupport.h"
#include "app/Main.h"
#include "app/platform/Busyfilter.h"
#include "app/platform/Platform.h"
#include "app/platform/Qtplatform.h"
#include "app/view/Paintbox.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"

namespace {

TMainForm& Form() {
  static std::unique_ptr<QApplication> app;
  static TQtPlatform platform;
  static std::unique_ptr<TMainForm> form;
  static std::unique_ptr<QTemporaryDir> dir;
  if (!form) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "command_bench";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QApplication>(argc, argv);
    form = std::make_unique<TMainForm>(platform);
    form->resize(1600, 1000);
    form->show();
    dir = std::make_unique<QTemporaryDir>();
    const std::string path = dir->filePath("camera.bmp").toStdString();
    CameraPicture(1).SaveToFile(path);
    form->NewSegment(path);
  }
  return *form;
}

// arg: 0 the command with polling, 1 the command never polling, 2 the bare run.
void BM_MultiAreaSegmentCommand(benchmark::State& state) {
  TMainForm& form = Form();
  form.BusyFilter().SetPollInterval(state.range(0) == 1 ? INT_MAX : TBusyFilter::PollInterval);
  for (auto _ : state) {
    state.PauseTiming();
    form.ReLoadImageMenuItemClick();
    state.ResumeTiming();
    if (state.range(0) == 2)
      form.LongCommand(
          [&] { form.Workflow().FSegmenter->MultiAreaSegment(true, &form.ViewSurface()); });
    else
      form.MultiAreaSegmentMenuItemClick();
  }
}
BENCHMARK(BM_MultiAreaSegmentCommand)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
