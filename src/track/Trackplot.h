#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "track/Trackoptions.h"

// The mean strains exx, eyy and exy of every good step against the step number, with labelled
// axes, ticks and a legend, rendered headless. Failed steps leave a gap in the curves. Raises
// TError when no step is good.
QImage RenderTrackSummary(const std::vector<TTrackStep>& steps);
