#include "strain/Strainpairs.h"

#include <memory>
#include <utility>

#include "base/Error.h"
#include "encode/Codefile.h"
#include "match/Match.h"

std::vector<TStrainPair> PairsFromMatch(const TMatch& match) {
  std::vector<TStrainPair> pairs(static_cast<size_t>(match.FMatchSum));
  const double top = static_cast<double>(match.FImageHeight) * match.FScaleY[0];
  for (size_t k = 0; k < pairs.size(); ++k) {
    const TDotInfo& dot = match.FDotInfo[0][static_cast<size_t>(match.FMatchIndex[k])];
    TStrainPair& pair = pairs[k];
    pair.Nx = dot.Nx;
    pair.Ny = dot.Ny;
    pair.X = dot.x;
    pair.Y = top - dot.y;
    pair.Dx = match.FDisplacement[k].x;
    pair.Dy = match.FDisplacement[k].y;  // already y up
  }
  return pairs;
}

std::string UnitOfMatch(const TMatch& match) {
  for (int i = 0; i < 2; ++i)
    if (match.FScaleX[i] != 1.0f || match.FScaleY[i] != 1.0f) return "units";
  return "px";
}

TStrainField StrainOfMatch(const TMatch& match, const TStrainOptions& options) {
  if (match.FMatchSum == 0)
    throw TError("The code files " + match.FCodeFileName[0] + " and " + match.FCodeFileName[1] +
                 " have no grid position in common: they are not of the same grid");
  TStrainField field = TStrainField::Compute(PairsFromMatch(match), options);
  field.FUnit = UnitOfMatch(match);
  field.FPictureWidth = match.FImageWidth;
  field.FPictureHeight = match.FImageHeight;
  field.FScaleX = match.FScaleX[0];
  field.FScaleY = match.FScaleY[0];
  return field;
}

void RequireStrain(const TStrainField& field) {
  if (field.StrainCount() == 0)
    throw TError(
        "No dot has the neighbours a strain needs (a dot of another column and of "
        "another row within the neighbourhood " +
        std::to_string(field.Options().Neighbourhood) + ")");
}

TStrainField StrainFromCodeFiles(const std::string& initialFile, const std::string& deformedFile,
                                 const TStrainOptions& options) {
  TMatch match(initialFile, deformedFile);
  match.Match();
  TStrainField field = StrainOfMatch(match, options);
  RequireStrain(field);
  return field;
}

TStrainField StrainFromCodeFiles(const TCodeFileContent& initial, const std::string& initialFile,
                                 const std::string& deformedFile, const TStrainOptions& options) {
  // The reference is matched against many steps, so each match takes its own copy.
  TCodeFileContent copy;
  copy.DotSum = initial.DotSum, copy.Width = initial.Width, copy.Height = initial.Height;
  copy.Background = initial.Background, copy.ScaleX = initial.ScaleX, copy.ScaleY = initial.ScaleY;
  copy.Dots = initial.Dots;
  copy.Table = std::make_unique<TCoordinate>(*initial.Table);
  copy.ImageName = initial.ImageName;
  TMatch match(std::move(copy), ReadCodeFile(deformedFile), initialFile, deformedFile);
  match.Match();
  TStrainField field = StrainOfMatch(match, options);
  RequireStrain(field);
  return field;
}
