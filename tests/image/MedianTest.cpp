#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "image/Grayimage.h"

namespace {

// The definition: odd windows, the value at n div 2 of the sorted window read from a copy,
// pixels without a full window unchanged.
std::vector<uint8_t> ReferenceMedian(const std::vector<uint8_t>& src, int w, int h, int wx,
                                     int wy) {
  if (wx <= 0) wx = 1;
  if (wy <= 0) wy = 1;
  if (wx % 2 == 0) ++wx;
  if (wy % 2 == 0) ++wy;
  std::vector<uint8_t> out = src;
  const int hx = wx / 2, hy = wy / 2;
  std::vector<uint8_t> window;
  for (int y = hy; y < h - hy; ++y)
    for (int x = hx; x < w - hx; ++x) {
      window.clear();
      for (int yy = y - hy; yy <= y + hy; ++yy)
        for (int xx = x - hx; xx <= x + hx; ++xx) window.push_back(src[yy * w + xx]);
      std::sort(window.begin(), window.end());
      out[y * w + x] = window[window.size() / 2];
    }
  return out;
}

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

TEST(MedianFilter, AgreesWithTheDefinitionForEveryWindowUpToEleven) {
  std::mt19937 rng(2024);
  for (int levels : {256, 3}) {  // full range, and few levels with many ties
    const int w = 29, h = 21;
    std::vector<uint8_t> src = RandomPixels(w, h, rng, levels);
    for (int wx = 0; wx <= 10; ++wx)
      for (int wy = 0; wy <= 10; ++wy) {
        TGrayImage image;
        Fill(image, w, h, src);
        image.MedianFilter(wx, wy);
        std::vector<uint8_t> expected = ReferenceMedian(src, w, h, wx, wy);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), image.Data()))
            << "window " << wx << " x " << wy << ", levels " << levels;
      }
  }
}

TEST(MedianFilter, LargerAndOddShapedPicturesAgreeWithTheDefinition) {
  std::mt19937 rng(7);
  struct TCase {
    int W, H, Wx, Wy;
  };
  for (TCase c :
       {TCase{130, 9, 11, 9}, TCase{67, 45, 5, 5}, TCase{64, 64, 3, 3}, TCase{33, 70, 7, 11},
        TCase{200, 13, 13, 3}, TCase{11, 11, 11, 11}, TCase{97, 31, 21, 15}}) {
    std::vector<uint8_t> src = RandomPixels(c.W, c.H, rng, 256);
    TGrayImage image;
    Fill(image, c.W, c.H, src);
    image.MedianFilter(c.Wx, c.Wy);
    std::vector<uint8_t> expected = ReferenceMedian(src, c.W, c.H, c.Wx, c.Wy);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.Data()))
        << c.W << "x" << c.H << " window " << c.Wx << "x" << c.Wy;
  }
}

TEST(MedianFilter, PicturesSmallerThanTheWindowAreUnchanged) {
  std::mt19937 rng(5);
  for (int w = 1; w <= 6; ++w)
    for (int h = 1; h <= 6; ++h) {
      std::vector<uint8_t> src = RandomPixels(w, h, rng, 256);
      for (int p : {3, 5, 7, 9, 10}) {
        TGrayImage image;
        Fill(image, w, h, src);
        image.MedianFilter(p, p);
        std::vector<uint8_t> expected = ReferenceMedian(src, w, h, p, p);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.Data()));
      }
    }
}

TEST(MedianFilter, WorkedExamples) {
  // A 3 x 3 block of 255 on black: centre and edge pixels stay, corners go.
  TGrayImage image;
  Fill(image, 7, 7, std::vector<uint8_t>(49, 0));
  image.FillRect(255, 2, 2, 4, 4);
  image.MedianFilter(3, 3);
  EXPECT_EQ(image.GetPixel(3, 3), 255);
  EXPECT_EQ(image.GetPixel(3, 2), 255);
  EXPECT_EQ(image.GetPixel(2, 3), 255);
  EXPECT_EQ(image.GetPixel(2, 2), 0);
  EXPECT_EQ(image.GetPixel(4, 4), 0);

  // A lone white pixel and a 2 x 2 block vanish; position 1 is a 1 x 1 window.
  Fill(image, 9, 9, std::vector<uint8_t>(81, 0));
  image.SetPixel(2, 2, 255);
  image.FillRect(255, 5, 5, 6, 6);
  image.MedianFilter(1, 1);
  EXPECT_EQ(image.GetPixel(2, 2), 255);
  image.MedianFilter(2, 2);  // even sizes become 3
  EXPECT_EQ(image.SumRect(0, 0, 8, 8), 0);

  // Position 3 on a 5 x 5 picture changes only the inner 3 x 3.
  Fill(image, 5, 5, std::vector<uint8_t>(25, 200));
  for (int x = 0; x < 5; ++x) image.SetPixel(x, 0, 10);
  image.MedianFilter(3, 3);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(image.GetPixel(x, 0), 10);
  EXPECT_EQ(image.GetPixel(2, 1), 200);
}
