// Reading and writing pictures, 6000 x 4000 (argument 1) or 2000 x 1500 (argument 0): our
// bitmap decoder on the segmented picture saved as the 24-bit bitmap that segment writes and as
// an 8-bit palette bitmap, the Qt reader it replaced, a camera format through Qt, saving the
// segmented bitmap, and the floor: reading the file from the page cache and writing one of its
// size.
#include <fcntl.h>
#include <unistd.h>

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "image/Grayimage.h"

namespace {

std::string Dir() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/latticor-load-bench-XXXXXX";
    return std::string(mkdtemp(pattern));
  }();
  return dir;
}

// The segmented picture of the size as a file of the kind, written once per process.
const std::string& PictureFile(int64_t size, const std::string& kind) {
  static std::map<std::string, std::string> files;
  const std::string key = std::to_string(size) + kind;
  if (files.count(key) == 0) {
    const TGrayImage& p = SegmentedPicture(size);
    const std::string path = Dir() + "/" + key;
    if (kind == "24.bmp") {
      p.SaveBmp(path);
    } else {
      QImage q(p.Width(), p.Height(), QImage::Format_Grayscale8);
      for (int32_t y = 0; y < p.Height(); ++y)
        std::copy(p.Row(y), p.Row(y) + p.Width(), q.scanLine(y));
      QImageWriter(QString::fromStdString(path), kind == "8.bmp" ? "bmp" : "png").write(q);
    }
    files[key] = path;
  }
  return files[key];
}

void BM_LoadBitmap24(benchmark::State& state) {
  const std::string& path = PictureFile(state.range(0), "24.bmp");
  for (auto _ : state) {
    TGrayImage image(path);
    benchmark::DoNotOptimize(image.Data());
  }
  CountTimePer(state, "time/px", SegmentedPicture(state.range(0)).Size());
}

void BM_LoadBitmap8(benchmark::State& state) {
  const std::string& path = PictureFile(state.range(0), "8.bmp");
  for (auto _ : state) {
    TGrayImage image(path);
    benchmark::DoNotOptimize(image.Data());
  }
  CountTimePer(state, "time/px", SegmentedPicture(state.range(0)).Size());
}

// The former reader: Qt decodes into a 32-bit picture, which is then made gray.
void BM_LoadBitmap24Qt(benchmark::State& state) {
  const std::string& path = PictureFile(state.range(0), "24.bmp");
  for (auto _ : state) {
    QImageReader reader(QString::fromStdString(path), "bmp");
    reader.setAllocationLimit(0);
    const QImage picture = reader.read();
    TGrayImage image;
    image.SetSize(picture.width(), picture.height());
    for (int32_t y = 0; y < picture.height(); ++y) {
      const QRgb* src = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
      uint8_t* dst = image.Row(y);
      for (int32_t x = 0; x < picture.width(); ++x)
        dst[x] = static_cast<uint8_t>((qBlue(src[x]) + qGreen(src[x]) + qRed(src[x]) + 1) / 3);
    }
    benchmark::DoNotOptimize(image.Data());
  }
  CountTimePer(state, "time/px", SegmentedPicture(state.range(0)).Size());
}

void BM_LoadPng8(benchmark::State& state) {
  const std::string& path = PictureFile(state.range(0), "8.png");
  for (auto _ : state) {
    TGrayImage image(path);
    benchmark::DoNotOptimize(image.Data());
  }
  CountTimePer(state, "time/px", SegmentedPicture(state.range(0)).Size());
}

void BM_SaveBitmap24(benchmark::State& state) {
  const TGrayImage& p = SegmentedPicture(state.range(0));
  const std::string path = Dir() + "/saved.bmp";
  for (auto _ : state) p.SaveBmp(path);
  CountTimePer(state, "time/px", p.Size());
}

// The floor of load and save: the 24-bit file read from the page cache into memory, and a file
// of the same size written.
void BM_FloorReadAndWriteFile(benchmark::State& state) {
  const std::string& path = PictureFile(state.range(0), "24.bmp");
  const std::string out = Dir() + "/floor.bin";
  for (auto _ : state) {
    const int in = ::open(path.c_str(), O_RDONLY);
    const off_t size = ::lseek(in, 0, SEEK_END);
    std::vector<char> bytes(static_cast<size_t>(size));
    benchmark::DoNotOptimize(::pread(in, bytes.data(), bytes.size(), 0));
    ::close(in);
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
    ::close(fd);
  }
  CountTimePer(state, "time/px", SegmentedPicture(state.range(0)).Size());
}

}  // namespace

BENCHMARK(BM_LoadBitmap24)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadBitmap8)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadBitmap24Qt)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadPng8)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveBitmap24)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FloorReadAndWriteFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
