#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "track/Trackoptions.h"

// Natural order of names: runs of digits compare by their value, so "img-9" comes before
// "img-10"; other characters compare as they are (case included). Equal values with different
// leading zeros fall back to the plain order, so the order is total.
bool NaturalLess(const std::string& a, const std::string& b);

// The pictures of a sequence as the user gave them: a single folder stands for its picture
// files (.bmp, .raw, .png, .tif, .tiff, .pgm, .jpg, .jpeg, any case) in natural order; a list of
// files is taken in the order given. A TIFF of several pages stands for its pages in order,
// named "FILE#1", "FILE#2", ... Raises TError for a folder without pictures or that cannot be
// read.
std::vector<std::string> SequencePictures(const std::vector<std::string>& arguments);

// A picture of a sequence: a file, or page N of a multi-page file named "FILE#N" (when no file
// of that whole name exists). page is 1 for a file of its own.
struct TSequencePicture {
  std::string File;
  int32_t Page = 1;
  bool Paged = false;  // named as one page of a stack
};
TSequencePicture SplitPicturePage(const std::string& picture);

class TGrayImage;
enum class TBits16;
// The picture itself, for the page it names.
std::unique_ptr<TGrayImage> LoadSequencePicture(const std::string& picture, TBits16 bits16);

// The options with the dots' colour found from the first picture of the sequence when they ask
// for it (FindPolarity), so that every picture, and every part of a split run, is segmented
// alike. Raises TError when the colour cannot be told.
TTrackOptions WithDotColour(const std::string& firstPicture, const TTrackOptions& options);
