#pragma once

#include <vector>

#include "encode/Dotinfo.h"

class TEncode;

// The Coded dots of a job, as a reference for the next picture.
std::vector<TDotInfo> CodedDots(const TEncode& job);
