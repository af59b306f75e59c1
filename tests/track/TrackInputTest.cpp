#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Error.h"
#include "support/TempDir.h"
#include "track/Trackinput.h"

TEST(NaturalLess, OrdersNumbersByValue) {
  const std::vector<std::string> sorted = {"a",        "img-2.bmp", "img-9.bmp", "img-10.bmp",
                                           "img-010b", "img-11",    "img-100",   "imh"};
  for (size_t i = 0; i < sorted.size(); ++i)
    for (size_t j = 0; j < sorted.size(); ++j)
      EXPECT_EQ(NaturalLess(sorted[i], sorted[j]), i < j) << sorted[i] << " / " << sorted[j];
  // Leading zeros: equal values still have an order, and it is strict.
  EXPECT_NE(NaturalLess("x007", "x7"), NaturalLess("x7", "x007"));
}

TEST(SequencePictures, AFolderGivesItsPicturesInNaturalOrder) {
  TTempDir dir;
  for (const char* name : {"s10.bmp", "s9.PNG", "s1.tif", "notes.txt", "s2.jpeg"})
    WriteFileBytes(dir.File(name), "x");
  std::filesystem::create_directory(dir.File("s3.bmp"));  // a folder, not a picture
  std::vector<std::string> names;
  for (const std::string& path : SequencePictures({dir.Path()}))
    names.push_back(std::filesystem::path(path).filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"s1.tif", "s2.jpeg", "s9.PNG", "s10.bmp"}));
  // A list keeps the order given.
  const std::vector<std::string> list = {dir.File("s10.bmp"), dir.File("s9.PNG")};
  EXPECT_EQ(SequencePictures(list), list);
}

TEST(SequencePictures, AFolderWithoutPicturesIsAnError) {
  TTempDir dir;
  WriteFileBytes(dir.File("notes.txt"), "x");
  EXPECT_THROW(SequencePictures({dir.Path()}), TError);
}
