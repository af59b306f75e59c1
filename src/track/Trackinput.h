#pragma once

#include <string>
#include <vector>

// Natural order of names: runs of digits compare by their value, so "img-9" comes before
// "img-10"; other characters compare as they are (case included). Equal values with different
// leading zeros fall back to the plain order, so the order is total.
bool NaturalLess(const std::string& a, const std::string& b);

// The pictures of a sequence as the user gave them: a single folder stands for its picture
// files (.bmp, .raw, .png, .tif, .tiff, .pgm, .jpg, .jpeg, any case) in natural order; a list of
// files is taken in the order given. Raises TError for a folder without pictures or that cannot
// be read.
std::vector<std::string> SequencePictures(const std::vector<std::string>& arguments);
