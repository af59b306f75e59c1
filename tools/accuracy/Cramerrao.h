#pragma once

#include "reference/Truthgrid.h"

// The Cramer-Rao bound of the displacement error for the pictures TTruthGrid renders with the
// given options: for each of a sample of dots, the Fisher information of its position in either
// picture from the derivatives of the rendered pixels (the disc's edge as it crosses each pixel,
// blurred as the renderer blurs, with the contrast) for Gaussian noise of the renderer's sigma
// plus the rounding to 8 bits, with the radius, the contrast and the background level as further
// unknowns. Returns the bound of the RMS length of the displacement error vector (both pictures'
// errors), pixels; one component's bound is this divided by the square root of 2.
double DisplacementBound(const TTruthOptions& o);
