// A pair of camera pictures measured with one track run, stage by stage, beside the floor: the
// files read from the page cache and one pass over the pixels. Argument 0 is 2000 x 1500 (about
// 7,000 dots), 1 is 6000 x 4000 (about 60,000 dots); the pictures are written once per process
// as 24-bit bitmaps (what synth writes) and as 16-bit TIFF (8-bit values x 256 plus a low byte
// of noise, uncompressed, as cameras write them).
//
//   floor:   read a file whole (pread), and sum its pixels once;
//   decode:  a picture file into the gray image (and the 16-bit picture);
//   segment, extract, refine: the stages of one picture's extraction, refine at 8 and 16 bits;
//   extract picture: all of it for one file, as each worker does;
//   index, codes, step files: what follows in order for the second picture;
//   track pair: the whole command's work (TrackSequence, 2 jobs), files written.
#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "encode/Encoderun.h"
#include "encode/Refinecentroid.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"
#include "segment/Segmentrun.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "synth/Synth.h"
#include "track/Trackextract.h"
#include "track/Trackindexer.h"
#include "track/Tracksequence.h"

namespace {

std::string Dir() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/latticor-track-bench-XXXXXX";
    return std::string(mkdtemp(pattern));
  }();
  return dir;
}

void WriteTiff16(const TGrayImage& image, const std::string& path) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, image.Width());
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, image.Height());
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
  std::mt19937 rng(5);
  std::vector<uint16_t> row(static_cast<size_t>(image.Width()));
  for (int32_t y = 0; y < image.Height(); ++y) {
    for (int32_t x = 0; x < image.Width(); ++x)
      row[static_cast<size_t>(x)] = static_cast<uint16_t>(image.Row(y)[x] * 256 + rng() % 256);
    TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0);
  }
  TIFFClose(tif);
}

// The pair's files: "A.bmp", "B.bmp", "A.tif", "B.tif" for the size.
std::string PairFile(int64_t size, const std::string& name) {
  static std::map<int64_t, bool> written;
  const std::string dir = Dir() + "/" + std::to_string(size);
  if (!written[size]) {
    std::filesystem::create_directories(dir);
    TSynthOptions o;
    o.Width = size == 0 ? 2000 : 6000;
    o.Height = size == 0 ? 1500 : 4000;
    o.NoiseSigma = 2;
    o.TranslateX = 0.4, o.TranslateY = -0.2;
    o.Exx = 0.003, o.Eyy = -0.002, o.Exy = 0.001;
    const TSynthGrid grid(o);
    for (bool deformed : {false, true}) {
      TGrayImage image;
      grid.Render(deformed, image);
      image.SaveBmp(dir + (deformed ? "/B.bmp" : "/A.bmp"));
      WriteTiff16(image, dir + (deformed ? "/B.tif" : "/A.tif"));
    }
    written[size] = true;
  }
  return dir + "/" + name;
}

const char* Format(benchmark::State& state) {
  return state.range(1) == 0 ? "bmp" : "tif";
}

TTrackOptions Options() {
  TTrackOptions o;
  o.RefinedCentroids = true;
  o.Jobs = 2;
  return o;
}

void BM_FloorReadFile(benchmark::State& state) {
  const std::string path = PairFile(state.range(0), std::string("B.") + Format(state));
  const size_t size = std::filesystem::file_size(path);
  std::vector<uint8_t> bytes(size);
  for (auto _ : state) {
    const int fd = open(path.c_str(), O_RDONLY);
    size_t got = 0;
    while (got < size)
      got +=
          static_cast<size_t>(pread(fd, bytes.data() + got, size - got, static_cast<off_t>(got)));
    close(fd);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_FloorOnePass(benchmark::State& state) {
  const TGrayImage image(PairFile(state.range(0), "B.bmp"));
  for (auto _ : state) {
    uint64_t sum = 0;
    for (int32_t i = 0; i < image.Size(); ++i) sum += image.Data()[i];
    benchmark::DoNotOptimize(sum);
  }
}

void BM_Decode(benchmark::State& state) {
  const std::string path = PairFile(state.range(0), std::string("B.") + Format(state));
  for (auto _ : state) {
    TGrayImage image(path);
    benchmark::DoNotOptimize(image.Data());
  }
}

std::unique_ptr<TGrayImage> Copy(const TGrayImage& image) {
  auto copy = std::make_unique<TGrayImage>();
  copy->SetSize(image.Width(), image.Height());
  std::memcpy(copy->Data(), image.Data(), static_cast<size_t>(image.Size()));
  return copy;
}

void BM_Segment(benchmark::State& state) {
  const TGrayImage picture(PairFile(state.range(0), "B.bmp"));
  for (auto _ : state) {
    state.PauseTiming();
    TSegment segment(Copy(picture), false);
    state.ResumeTiming();
    RunSegmentation(segment, {});
  }
}

// The segmented picture of B, and its job with the dots extracted (plain centroids).
const TGrayImage& Segmented(int64_t size) {
  static std::map<int64_t, std::unique_ptr<TGrayImage>> cache;
  if (!cache[size]) {
    TSegment segment(std::make_unique<TGrayImage>(PairFile(size, "B.bmp")), false);
    RunSegmentation(segment, {});
    cache[size] = segment.ReleaseImage();
  }
  return *cache[size];
}

std::unique_ptr<TEncode> Extracted(int64_t size) {
  auto job = std::make_unique<TEncode>(Copy(Segmented(size)), true, false, 1, 1);
  TEncodeRunOptions run;
  run.LeastArea.Mode = TLeastArea::TMode::Robust;
  ExtractDots(*job, run);
  return job;
}

void BM_ExtractDots(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto job = std::make_unique<TEncode>(Copy(Segmented(state.range(0))), true, false, 1, 1);
    TEncodeRunOptions run;
    run.LeastArea.Mode = TLeastArea::TMode::Robust;
    state.ResumeTiming();
    ExtractDots(*job, run);
  }
}

void BM_Refine(benchmark::State& state) {
  const TGrayImage picture(PairFile(state.range(0), std::string("B.") + Format(state)));
  auto job = Extracted(state.range(0));
  const std::vector<TDotInfo> dots = job->DotInfo();
  for (auto _ : state) {
    state.PauseTiming();
    job->ReplaceDots(dots);
    state.ResumeTiming();
    RefineCentroids(*job, picture);
  }
  state.counters["dots"] = job->DotSum();
}

void BM_ExtractPicture(benchmark::State& state) {
  const std::string path = PairFile(state.range(0), std::string("B.") + Format(state));
  for (auto _ : state) benchmark::DoNotOptimize(ExtractPicture(path, Options()).Dots.data());
}

// B indexed from A's dots as a pair's step is, its code file, its strain file against A's.
void BM_StepInOrder(benchmark::State& state) {
  const int64_t size = state.range(0);
  const TPictureDots a = ExtractPicture(PairFile(size, "A.bmp"), Options());
  const TPictureDots b = ExtractPicture(PairFile(size, "B.bmp"), Options());
  const std::string codesA = Dir() + "/A.cod", codesB = Dir() + "/B.cod";
  {
    TTrackIndexer indexer(Options(), false);
    auto reference = JobFromDots(a, Options());
    indexer.Index(*reference, 0);
    reference->SaveCodes(codesA);
  }
  const int what = static_cast<int>(state.range(1));  // 0 index, 1 code file, 2 strain file
  std::unique_ptr<TEncode> job;
  for (auto _ : state) {
    if (what == 0 || !job) {
      // The indexer learns from every step: each round starts from the reference alone.
      state.PauseTiming();
      TTrackIndexer indexer(Options(), false);
      indexer.Index(*JobFromDots(a, Options()), 0);
      job = JobFromDots(b, Options());
      state.ResumeTiming();
      indexer.Index(*job, 1);
    }
    if (what == 1) job->SaveCodes(codesB);
    if (what == 2) {
      if (!std::filesystem::exists(codesB)) job->SaveCodes(codesB);
      WriteStrainCsv(Dir() + "/step.csv", StrainFromCodeFiles(codesA, codesB, {}));
    }
  }
}

void BM_TrackPair(benchmark::State& state) {
  const std::vector<std::string> pair = {
      PairFile(state.range(0), std::string("A.") + Format(state)),
      PairFile(state.range(0), std::string("B.") + Format(state))};
  for (auto _ : state) TrackSequence(pair, Dir() + "/out", Options());
}

void Pictures(benchmark::internal::Benchmark* b) {
  for (int64_t size : {0, 1})
    for (int64_t format : {0, 1}) b->Args({size, format});
  b->Unit(benchmark::kMillisecond)->UseRealTime();
}

}  // namespace

BENCHMARK(BM_FloorReadFile)->Apply(Pictures);
BENCHMARK(BM_FloorOnePass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Apply(Pictures);
BENCHMARK(BM_Segment)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExtractDots)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Refine)->Apply(Pictures);
BENCHMARK(BM_ExtractPicture)->Apply(Pictures);
BENCHMARK(BM_StepInOrder)
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->ArgNames({"size", "index|codes|strain"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_TrackPair)->Apply(Pictures);

BENCHMARK_MAIN();
