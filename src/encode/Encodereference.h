#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/Dotinfo.h"

class TEncode;

// The origin of an encoding taken from an earlier encoding of the same grid, so that both code
// files index the same physical dots whatever the grid's rotation and however the two pictures
// would pick their own origins.
//
// reference holds the Coded dots of the earlier encoding (positions in pixels of its picture,
// their Nx, Ny); a code file's dots or an encoding job's dots serve alike. A reference dot with
// all four grid neighbours present is chosen near the centre of the reference grid; the job's
// dot nearest to its position plus (shiftX, shiftY) becomes the origin, and the job's dots
// nearest to the origin plus the reference steps to the four neighbours become its neighbours.
// Each must lie within 0.4 of the local pitch of where it is predicted. The origin gets the
// reference dot's own (Nx, Ny); FRatio is the ratio of the vertical to the horizontal step.
//
// When the dot nearest the centre cannot be found (say it is missing from this picture), the
// next few reference dots are tried. Returns the origin's index; TError when the reference has no
// dot with four neighbours or no candidate is found, ending in shiftInput: how the user gives
// the shift ("with --shift DX DY" on the command line).
int32_t FindOriginByReference(TEncode& job, const std::vector<TDotInfo>& reference, float shiftX,
                              float shiftY, const std::string& shiftInput = "with --shift DX DY");

// The Coded dots of a job, as a reference for the next picture.
std::vector<TDotInfo> CodedDots(const TEncode& job);
