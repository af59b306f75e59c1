#pragma once

#include <memory>
#include <string>

#include "track/Trackoptions.h"

class TEncode;

// One picture segmented and its dots extracted and measured, ready to be indexed: the work of a
// sequence that needs no other picture, so pictures go through it in parallel. Raises TError with
// the reader's or the extraction's message.
std::unique_ptr<TEncode> ExtractPicture(const std::string& picture, const TTrackOptions& options);
