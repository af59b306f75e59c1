#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "strain/Plotquantity.h"
#include "strain/Strainfield.h"

class TGrayImage;

// Figures for reports, rendered headless into images: a colour map of one quantity over the
// initial picture (or over a blank area of its size) with a title and a colour bar, and the
// displacement vectors. Text needs a Qt GUI application; one is made (offscreen) when the
// program has none.

// Raises TError when no dot has a value of the quantity.
QImage RenderFieldMap(const TStrainField& field, TPlotQuantity quantity, const TGrayImage* picture);
QImage RenderVectorPlot(const TStrainField& field, const TGrayImage* picture);

// Makes the folder when it is missing and checks that a file can be created in it; raises
// TError naming the folder and the reason otherwise. Cheap: call it before any other work.
void CheckPlotFolder(const std::string& folder);
// The files SavePlots writes into folder, in its order.
std::vector<std::string> PlotFiles(const std::string& folder);
// Writes folder/exx.png, eyy.png, exy.png, e1.png and displacement.png; each file is replaced
// only when it was written completely. Every figure is rendered before the first is written,
// so a field without strain writes none.
void SavePlots(const std::string& folder, const TStrainField& field, const TGrayImage* picture);
// Writes one image as PNG through the atomic writer.
void SavePng(const QImage& image, const std::string& path);
