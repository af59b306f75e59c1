#pragma once

#include <string>
#include <vector>

#include "strain/Strainfield.h"
#include "strain/Strainpair.h"

class TMatch;

// The pairs of a matched job in the strain frame: x to the right, y up from the bottom of the
// initial picture (y = height x scale y - y), positions and displacements in the code files'
// units. Pair order is the job's (ascending Ny, then Nx).
std::vector<TStrainPair> PairsFromMatch(const TMatch& match);
// "px" when both files are unscaled, else "units" (whatever the scale factors give).
std::string UnitOfMatch(const TMatch& match);

// The strain field of a matched job, with its unit, picture size and scale factors. Raises
// TError when the job has no pairs; the field may hold no strain at all (see RequireStrain).
TStrainField StrainOfMatch(const TMatch& match, const TStrainOptions& options);
// Raises TError, naming the neighbourhood, when no dot of the field has strain.
void RequireStrain(const TStrainField& field);

// Loads and matches two code files and computes the strain field. Raises TError with the
// loader's message for a bad file, and a clear message when the files share no grid position
// or no dot has the neighbours a strain needs.
TStrainField StrainFromCodeFiles(const std::string& initialFile, const std::string& deformedFile,
                                 const TStrainOptions& options);
// The same with the initial file already read (ReadCodeFile), for many against one.
struct TCodeFileContent;
TStrainField StrainFromCodeFiles(const TCodeFileContent& initial, const std::string& initialFile,
                                 const std::string& deformedFile, const TStrainOptions& options);
