#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "track/Trackextract.h"
#include "track/Trackoptions.h"

// The split run of a sequence. Stage 1, the extraction of any range of its pictures, needs no
// other picture: every range can run in a process of its own, on this machine or another, and
// leaves one dots file per picture in outDir/dots/. Stage 2, the indexing, matching and strain
// in order, reads them (TTrackOptions::Extracted) and writes what one TrackSequence writes,
// byte for byte.

// Steps First .. End - 1 of a sequence.
struct TStepRange {
  size_t First = 0;
  size_t End = 0;
};
// "K/N" (part K of N, from 1: as equal as whole pictures allow; a part of a short sequence may
// be empty), "A-B" or "A" (step numbers, as in step-NNNN.csv) of a sequence of count pictures.
// Raises TError for anything else or steps past the sequence.
TStepRange ParseStepRange(const std::string& text, size_t count);

// outDir/dots/NAME.dots for a picture (NAME as its code file's).
std::string TrackDotsFile(const std::string& outDir, const std::string& picture);

// The choices that change a picture's dots, in words; a dots file made with other choices is
// refused by stage 2.
std::string ExtractionChoices(const TTrackOptions& options);

// Extracts pictures[range] (options.Jobs at a time) into their dots files; a picture that fails
// gets a dots file that says why, so stage 2 reports that step as one run would. Returns the
// failures' messages.
std::vector<std::string> ExtractToDotsFiles(const std::vector<std::string>& pictures,
                                            TStepRange range, const std::string& outDir,
                                            const TTrackOptions& options);

// Saves the dots of a picture, or the reason its extraction failed (dots null).
void WriteDotsFile(const std::string& path, const std::string& picture, const TPictureDots* dots,
                   const std::string& failure, const TTrackOptions& options);
// What a dots file holds; raises TError ("The dots file PATH is damaged (...)") for anything
// that is not one.
struct TDotsFileContent {
  std::string Choices;
  bool Failed = false;
  std::string Reason;  // of a failed extraction
  std::string Source;  // the picture file's size and time when it was extracted
  TPictureDots Dots;
};
TDotsFileContent ParseDotsFile(const uint8_t* bytes, size_t size, const std::string& path);

// The dots of picture from its dots file: raises TError naming the file when it is missing,
// damaged, made with other choices or for another state of the picture, and the extraction's
// own message for a picture whose extraction failed.
TPictureDots ReadDotsFile(const std::string& path, const std::string& picture,
                          const TTrackOptions& options);
