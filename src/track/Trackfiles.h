#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/Commandfiles.h"
#include "base/Folderlock.h"
#include "track/Trackoptions.h"

// The files a run reads and writes: every picture (roles "PICTURE <path>"), and summary.csv,
// summary.png with plots, each picture's code file and each step's strain file.
void TrackCommandFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                       bool plots, std::vector<TCommandFile>& inputs,
                       std::vector<TCommandFile>& outputs);

// Everything the names of a sequence's run decide, before the first picture is read: an output
// folder that is a file, an earlier run's results there (kept unless force), two pictures whose
// code files would have one name (Status 2, a usage error), an output over an input, a folder
// that cannot be written. Makes the folder and its codes/ folder when they are missing.
TFileCheck CheckTrackFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                           bool plots, bool force);

// CheckTrackFiles, then again under the lock of outDir that lock is given (one run at a time,
// TFolderLock), so that a run ending between the first check and the lock is not written over.
// A refusal releases the lock; raises TError when another run holds it.
TFileCheck LockTrackFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                          bool plots, bool force, std::unique_ptr<TFolderLock>& lock);

// The pictures of a run into outDir (SequencePictures of the names given); of a single folder
// without those such a run writes itself (summary.png, the maps in plots/), which a folder
// tracked again with its results beside the pictures holds. Raises TError when none is left.
std::vector<std::string> TrackPictures(const std::vector<std::string>& given,
                                       const std::string& outDir);

// Why a run whose steps could not all be written has failed, whatever it measured: how many,
// the first one and its reason; empty when every step was written.
std::string UnwrittenStepsMessage(const std::vector<TTrackStep>& steps, const std::string& outDir);
