#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "image/Grayimage.h"
#include "image/Median.h"
#include "image/MedianImpl.h"
#include "image/MedianNetwork.h"
#include "reference/PlainMedian.h"

namespace {

void Fill(TGrayImage& image, int w, int h, const std::vector<uint8_t>& pixels) {
  image.SetWidth(w);
  image.SetHeight(h);
  std::copy(pixels.begin(), pixels.end(), image.Data());
}

std::vector<uint8_t> RandomPixels(int w, int h, std::mt19937& rng, int levels) {
  std::vector<uint8_t> p(static_cast<size_t>(w) * h);
  for (auto& v : p) v = static_cast<uint8_t>(levels == 256 ? rng() & 255 : (rng() % levels) * 60);
  return p;
}

}  // namespace

TEST(MedianFilter, AgreesWithTheDefinitionForEveryWindowUpToElevenAndTinyPictures) {
  std::mt19937 rng(2024);
  auto check = [](const std::vector<uint8_t>& src, int w, int h, int wx, int wy) {
    TGrayImage image;
    Fill(image, w, h, src);
    image.MedianFilter(wx, wy);
    const std::vector<uint8_t> expected = PlainMedian(src, w, h, wx, wy);
    return std::equal(expected.begin(), expected.end(), image.Data());
  };
  for (int levels : {256, 3}) {  // full range, and few levels with many ties
    const std::vector<uint8_t> src = RandomPixels(29, 21, rng, levels);
    for (int wx = 0; wx <= 10; ++wx)
      for (int wy = 0; wy <= 10; ++wy)
        ASSERT_TRUE(check(src, 29, 21, wx, wy)) << wx << " x " << wy << ", levels " << levels;
  }
  // Pictures smaller than or close to the window.
  for (int w = 1; w <= 6; ++w)
    for (int h = 1; h <= 6; ++h) {
      const std::vector<uint8_t> src = RandomPixels(w, h, rng, 256);
      for (int p : {3, 5, 7, 9, 10})
        EXPECT_TRUE(check(src, w, h, p, p)) << w << "x" << h << " " << p;
    }
}

// Checks the reference itself on a case worked by hand.
TEST(MedianFilter, WorkedExample) {
  // A 3 x 3 block of 255 on black: centre and edge pixels stay, corners go; a lone white pixel
  // vanishes; even sizes become 3.
  TGrayImage image;
  Fill(image, 9, 7, std::vector<uint8_t>(63, 0));
  image.FillRect(255, 2, 2, 4, 4);
  image.SetPixel(7, 3, 255);
  image.MedianFilter(2, 2);
  EXPECT_EQ(image.GetPixel(3, 3), 255);
  EXPECT_EQ(image.GetPixel(3, 2), 255);
  EXPECT_EQ(image.GetPixel(2, 3), 255);
  EXPECT_EQ(image.SumRect(0, 0, 8, 6), 5 * 255);
}

// The fast filter has several ways to compute a median (square 3 x 3 and 5 x 5 networks, general
// networks, a sliding histogram), each on the vector units the processor has. Each of them is
// checked against the definition here, in place and into a separate plane.
namespace {

struct TWay {
  const char* Name;
  const TMedianKernels* Fixed;
  const TMedianKernels* Network;
};

std::vector<TWay> Ways() {
  std::vector<TWay> ways = {{"histogram", nullptr, nullptr}};
  if (MedianKernelsSse2()) ways.push_back({"sse2", MedianKernelsSse2(), MedianKernelsSse2()});
  if (MedianKernelsAvx2()) ways.push_back({"avx2", MedianKernelsAvx2(), MedianKernelsAvx2()});
  if (MedianKernelsAvx2() && MedianKernelsAvx512())
    ways.push_back({"avx512", MedianKernelsAvx2(), MedianKernelsAvx512()});
  return ways;
}

// Filters src in every way, both in place and into a plane holding other values, and compares
// with the definition. Returns false (after reporting) on the first difference.
bool Check(const std::vector<uint8_t>& src, int w, int h, int wx, int wy) {
  std::vector<uint8_t> other(src.size());
  for (size_t i = 0; i < other.size(); ++i) other[i] = static_cast<uint8_t>(src[i] ^ 0x5A);
  const std::vector<uint8_t> expectInPlace = PlainMedian(src, w, h, wx, wy);
  std::vector<uint8_t> expectSeparate = other;
  for (int y = wy / 2; y < h - wy / 2; ++y)
    for (int x = wx / 2; x < w - wx / 2; ++x) expectSeparate[y * w + x] = expectInPlace[y * w + x];
  for (const TWay& way : Ways()) {
    std::vector<uint8_t> inPlace = src, separate = other;
    MedianFilterPlaneWith(way.Fixed, way.Network, inPlace.data(), inPlace.data(), w, h, wx, wy);
    MedianFilterPlaneWith(way.Fixed, way.Network, src.data(), separate.data(), w, h, wx, wy);
    const bool ok = inPlace == expectInPlace && separate == expectSeparate;
    EXPECT_TRUE(ok) << way.Name << ": " << w << " x " << h << " picture, window " << wx << " x "
                    << wy;
    if (!ok) return false;
  }
  return true;
}

}  // namespace

TEST(MedianFilterPlane, EveryWayHandlesSizesAcrossEveryVectorStripAndBlockBoundary) {
  std::mt19937 rng(11);
  for (int p : {3, 5, 7, 11}) {
    std::vector<int> widths;
    for (int w = p; w <= 80; ++w) widths.push_back(w);
    // Around one and two strips of outputs of the widest network kernel.
    for (int strip : {64, 128, 256})
      for (int d = -1; d <= 1; ++d) {
        widths.push_back(strip + p - 1 + d);
        widths.push_back(2 * strip + p - 1 + d);
      }
    for (int w : widths)
      if (!Check(RandomPixels(w, p + 3, rng, 256), w, p + 3, p, p)) return;
    for (int h = p; h <= p + 36; ++h)
      if (!Check(RandomPixels(70, h, rng, 256), 70, h, p, p)) return;
  }
}

TEST(MedianFilterPlane, ThinOblongAndLargeWindowsTiesAndExtremeValues) {
  std::mt19937 rng(13);
  const int windows[][2] = {{1, 3},   {3, 1},   {1, 7},   {9, 1},  {1, 15}, {31, 1},
                            {3, 5},   {5, 3},   {3, 11},  {11, 3}, {5, 9},  {15, 3},
                            {13, 13}, {15, 15}, {21, 21}, {9, 13}, {21, 5}, {3, 25}};
  for (const auto& c : windows)
    if (!Check(RandomPixels(290, 40, rng, 256), 290, 40, c[0], c[1])) return;
  const int w = 140, h = 30;
  for (const std::vector<uint8_t>& levels :
       {std::vector<uint8_t>{0}, std::vector<uint8_t>{255}, std::vector<uint8_t>{0, 255},
        std::vector<uint8_t>{0, 1, 254, 255}, std::vector<uint8_t>{127, 128}}) {
    std::vector<uint8_t> picture(w * h);
    for (auto& v : picture) v = levels[rng() % levels.size()];
    for (int p : {3, 5, 7, 11, 17})
      if (!Check(picture, w, h, p, p)) return;
  }
}

TEST(MedianFilterPlane, EvenOrEmptyWindowsAreRefused) {
  std::vector<uint8_t> plane(20 * 10, 7);
  EXPECT_THROW(MedianFilterPlane(plane.data(), plane.data(), 20, 10, 4, 3), std::invalid_argument);
  EXPECT_THROW(MedianFilterPlane(plane.data(), plane.data(), 20, 10, 3, 0), std::invalid_argument);
}

TEST(MedianFilterPlane, WindowsLargerThanThePlaneChangeNothing) {
  std::vector<uint8_t> plane(20 * 10, 7);
  plane[55] = 200;
  const std::vector<uint8_t> before = plane;
  MedianFilterPlane(plane.data(), plane.data(), 20, 10, 21, 3);
  MedianFilterPlane(plane.data(), plane.data(), 20, 10, 3, 11);
  EXPECT_EQ(plane, before);
}

// A min/max network that puts the right value in place for every input of zeros and ones does
// so for every input (0-1 principle), so these exhaustive runs prove the networks for the
// shapes they cover.
namespace {

void Exchange(std::vector<uint8_t>& slots, size_t base, const TMedianNetwork::TOp& op) {
  const uint8_t a = slots[base + op.A], b = slots[base + op.B];
  slots[base + op.Lo] = std::min(a, b);
  slots[base + op.Hi] = std::max(a, b);
}

}  // namespace

TEST(MedianNetwork, RowSortSortsEveryZeroOneRow) {
  for (int n = 1; n <= 17; n += 2) {
    const TMedianNetwork net(n, 1, 1);
    std::vector<uint8_t> slots(n);
    for (uint32_t bits = 0; bits < (1u << n); ++bits) {
      for (int i = 0; i < n; ++i) slots[i] = (bits >> i) & 1;
      for (const auto& op : net.SortOps()) Exchange(slots, 0, op);
      ASSERT_TRUE(std::is_sorted(slots.begin(), slots.end())) << n << " values, bits " << bits;
    }
  }
}

TEST(MedianNetwork, GivesTheMedianOfEveryZeroOneBlock) {
  struct TShape {
    int Wx, Wy, Rows;
  };
  for (TShape c : {TShape{3, 3, 1}, TShape{3, 3, 2}, TShape{3, 3, 4}, TShape{1, 5, 4},
                   TShape{1, 9, 8}, TShape{1, 3, 16}, TShape{5, 1, 4}, TShape{7, 1, 2},
                   TShape{3, 5, 2}, TShape{5, 3, 2}, TShape{5, 3, 1}}) {
    const TMedianNetwork net(c.Wx, c.Wy, c.Rows);
    const int bits = net.SegmentRows() * c.Wx, n = c.Wx * c.Wy;
    ASSERT_LE(bits, 20);
    std::vector<uint8_t> slots(net.Slots());
    for (uint32_t input = 0; input < (1u << bits); ++input) {
      for (int i = 0; i < bits; ++i) slots[i] = (input >> i) & 1;
      for (int r = 0; r < net.SegmentRows(); ++r)
        for (const auto& op : net.SortOps()) Exchange(slots, r * c.Wx, op);
      for (const auto& op : net.Ops()) Exchange(slots, 0, op);
      for (int t = 0; t < c.Rows; ++t) {
        int ones = 0;
        for (int i = t * c.Wx; i < (t + c.Wy) * c.Wx; ++i) ones += (input >> i) & 1;
        ASSERT_EQ(slots[net.Outputs()[t]], ones > n / 2 ? 1 : 0)
            << c.Wx << " x " << c.Wy << " window, block of " << c.Rows << ", input " << input
            << ", row " << t;
      }
    }
  }
}
