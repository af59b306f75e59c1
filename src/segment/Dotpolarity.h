#pragma once

#include <cstdint>

class TGrayImage;

// Whether the dots of a grid picture are brighter or darker than its background, guessed
// before segmentation so that a wrong White/Black choice can be caught.
//
// The picture is split at Otsu's threshold into a bright and a dark class. The dots of a grid
// are many separate blobs, none holding much of its class, while the background is one
// connected region holding most of its class, whichever of the two covers more of the picture.
// A class that is fragmented against one that is connected names the dots; anything else (a
// flat picture, too little contrast, noise, no grid) is Unsure rather than a guess. A grid looks
// the same all over, so only the middle 1024 x 1024 pixels at most are looked at, where the
// specimen is; a large picture takes no longer than that.
enum class TDotPolarity { White, Black, Unsure };

struct TPolarityGuess {
  TDotPolarity Polarity = TDotPolarity::Unsure;
  int32_t Threshold = 0;     // Otsu's threshold: pixels above it are the bright class
  double BrightShare = 0;    // share of the picture's pixels in the bright class
  int32_t BrightBlobs = 0;   // 8-connected blobs of the bright class
  int32_t DarkBlobs = 0;     // and of the dark class
  double BrightLargest = 0;  // share of the bright class held by its largest blob
  double DarkLargest = 0;    // and of the dark class
  double Contrast = 0;       // mean of the bright class minus mean of the dark class
};

// Otsu's threshold of a 256-bin histogram: the gray value t that maximises the between-class
// variance of {<= t} and {> t}; 0 for a histogram with fewer than two levels in use.
int32_t OtsuThreshold(const int64_t (&counts)[256]);

TPolarityGuess GuessDotPolarity(const TGrayImage& image);
