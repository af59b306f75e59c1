#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "synth/Synth.h"

// A synthetic test: steps + 1 pictures of one grid whose translation, uniform strain, rigid turn
// and crack opening grow linearly from nothing (picture 0, the reference) to the values of final
// (picture steps).

// The options of picture k: final's translation, strain, turn and opening times k / steps.
TSynthOptions SequenceStep(const TSynthOptions& final, int32_t steps, int32_t k);

// The files of dir named as a sequence's frames and truths are ("frame-NNNN.bmp",
// "truth-NNNN.csv", four digits or more), sorted.
std::vector<std::string> SequenceFilesIn(const std::string& dir);

// Writes DIR/frame-NNNN.bmp and the truth DIR/truth-NNNN.csv ("i,j,x0,y0,x1,y1": the reference
// and picture k) for k = 0..steps; returns the picture paths in order. Raises TError for steps
// below 1 and for what the grid or the writers refuse.
std::vector<std::string> WriteSynthSequence(const TSynthOptions& final, int32_t steps,
                                            const std::string& dir);
