#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "encode/Dotinfo.h"
#include "track/Trackoptions.h"

class TEncode;

// One picture segmented and its dots extracted and measured, ready to be indexed: the work of a
// sequence that needs no other picture, so pictures go through it in parallel, in one process or
// in many (the split run keeps it in a dots file). Indexing needs nothing of the picture but
// this.
struct TPictureDots {
  std::string Picture;   // as the sequence names it ("stack.tif#3" for a page)
  std::string FileName;  // the file it was read from; its name goes into the code file
  int32_t Width = 0;
  int32_t Height = 0;
  bool WhiteDots = true;
  int32_t LeastArea = 0;
  std::string Decoding;        // how the picture was read
  std::vector<TDotInfo> Dots;  // every extracted dot: x, y (refined if chosen) and Area
};

// Reads, segments and extracts one picture of a sequence (a page "FILE#N" included). Raises
// TError with the reader's or the extraction's message.
TPictureDots ExtractPicture(const std::string& picture, const TTrackOptions& options);

// An encoding job holding the extracted dots, as the extraction leaves it, to be indexed (its
// picture has the size and the name, never pixels that are read).
std::unique_ptr<TEncode> JobFromDots(const TPictureDots& dots, const TTrackOptions& options);
