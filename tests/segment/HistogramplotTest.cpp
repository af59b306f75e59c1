// The histogram of the simple segment dialog: bar heights, the drawing and the marker.
#include <gtest/gtest.h>

#include <random>

#include "base/RgbSurface.h"
#include "segment/Histogramplot.h"

namespace {

// The colour of each row of one column of the area, from the top.
std::vector<TColor> Column(const TRgbSurface& surface, int32_t x) {
  std::vector<TColor> column;
  for (int32_t y = 0; y < THistogramPlot::AreaHeight; ++y) column.push_back(surface.Pixel(x, y));
  return column;
}

// A column of the given height in the given colour standing on row 109, white above.
std::vector<TColor> Bar(int32_t height, TColor colour) {
  std::vector<TColor> column(THistogramPlot::AreaHeight, clWhite);
  for (int32_t i = 0; i < height; ++i) column[THistogramPlot::Base - i] = colour;
  return column;
}

}  // namespace

TEST(HistogramPlot, OneGrayLevelGivesOneFullBarAndTheMarkerAt128) {
  std::array<int32_t, 256> counts{};
  counts[200] = 640 * 480;
  THistogramPlot plot;
  TRgbSurface area(256, 110, TColor{0, 0, 255});
  plot.SetHistogram(counts, &area);
  EXPECT_EQ(plot.MaxCount(), 640 * 480);
  EXPECT_EQ(plot.BarHeight(200), 109);
  EXPECT_EQ(Column(area, 200), Bar(109, clBlack));  // rows 109 up to 1
  EXPECT_EQ(Column(area, 128), Bar(109, clRed));
  EXPECT_EQ(Column(area, 0), Bar(0, clBlack));
  EXPECT_EQ(Column(area, 255), Bar(0, clBlack));
  EXPECT_EQ(plot.MarkerX(), 128);
  EXPECT_EQ(plot.MarkerY(), 0);

  plot.SetHistogram({}, nullptr);  // an empty picture: the maximum is at least 1
  EXPECT_EQ(plot.MaxCount(), 1);
  EXPECT_EQ(plot.BarHeight(200), 0);
}

TEST(HistogramPlot, BarHeightsOfHugePicturesDoNotOverflow) {
  std::array<int32_t, 256> counts{};
  counts[10] = 40000000;  // a 40-Mpixel picture of one level...
  counts[11] = 30000000;  // 30e6 * 109 is past 2^31
  counts[12] = 19000000;
  THistogramPlot plot;
  plot.SetHistogram(counts, nullptr);
  EXPECT_EQ(plot.BarHeight(10), 109);
  EXPECT_EQ(plot.BarHeight(11), 81);  // 81.75
  EXPECT_EQ(plot.BarHeight(12), 51);  // 51.775

  // Where 32 bits do not overflow the height is the 32-bit product divided, truncated.
  std::mt19937 rng(2);
  for (int round = 0; round < 100; ++round) {
    for (int32_t& c : counts) c = static_cast<int32_t>(rng() % 19000000);
    plot.SetHistogram(counts, nullptr);
    for (int32_t v = 0; v < 256; ++v)
      ASSERT_EQ(plot.BarHeight(v), counts[v] * 109 / plot.MaxCount());
  }
}

TEST(HistogramPlot, ClickMovesTheMarkerAndRestoresTheBarUnderTheOldOne) {
  std::array<int32_t, 256> counts{};
  for (int32_t v = 0; v < 256; ++v) counts[v] = v;  // bar heights v * 109 div 255
  THistogramPlot plot;
  TRgbSurface area(256, 110, clWhite);
  plot.SetHistogram(counts, &area);
  plot.MouseMove(37, 64);
  EXPECT_TRUE(plot.Click(&area));
  EXPECT_EQ(plot.MarkerX(), 37);
  EXPECT_EQ(plot.MarkerY(), 64);
  EXPECT_EQ(Column(area, 128), Bar(128 * 109 / 255, clBlack));
  EXPECT_EQ(Column(area, 37), Bar(109, clRed));

  // Outside the gray levels a click is ignored.
  for (int32_t x : {-1, 256, 400}) {
    plot.MouseMove(x, 5);
    EXPECT_FALSE(plot.Click(&area));
  }
  EXPECT_EQ(plot.MarkerX(), 37);
  EXPECT_EQ(Column(area, 37), Bar(109, clRed));

  plot.MouseMove(255, 109);
  EXPECT_TRUE(plot.Click(nullptr));  // without an area only the marker moves
  EXPECT_EQ(plot.MarkerX(), 255);
  EXPECT_EQ(plot.MarkerY(), 109);
}
