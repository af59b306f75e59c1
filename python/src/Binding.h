#pragma once

// What the parts of the module share: how arrays, paths and option texts cross into the core.
// The module only converts and calls the core functions the command line calls; each part adds
// its functions to the module in one Add... function.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/Picturedecode.h"

class TGrayImage;
namespace py = pybind11;

void AddPictures(py::module_& m);
void AddMeasure(py::module_& m);
void AddPairs(py::module_& m);
void AddTrack(py::module_& m);

// "percentile" or "shift", else ValueError.
TBits16 Bits16Of(const std::string& text);
// A str or an os.PathLike as the core's path text; TypeError otherwise.
std::string PathOf(const py::handle& path, const char* what);
// True for a str or an os.PathLike.
bool IsPath(const py::handle& object);

// A copy of a 2-D array of uint8 (as it is) or uint16 (kept as the picture's full depth, and to
// 8 bits by rule, as a 16-bit picture file is read) of any strides; TypeError for another dtype,
// ValueError for another number of dimensions. The core works on its pictures in place, so the
// caller's array is never handed to it.
std::unique_ptr<TGrayImage> ImageOfArray(const py::handle& array, const char* what, TBits16 rule);
// The picture's pixels as a (height, width) uint8 array that owns them: no copy.
py::array ArrayOfImage(std::unique_ptr<TGrayImage> image);

// A read-only 1-D array owning the values: no copy.
template <class T>
py::array ArrayOf(std::vector<T>&& values) {
  auto* held = new std::vector<T>(std::move(values));
  py::capsule owner(held, [](void* p) { delete static_cast<std::vector<T>*>(p); });
  py::array_t<T> array({static_cast<py::ssize_t>(held->size())}, {sizeof(T)}, held->data(), owner);
  array.attr("flags").attr("writeable") = false;
  return array;
}

// Raises ValueError with text unless value is finite (and positive, when asked).
void CheckFinite(double value, const char* what, bool positive);

// dots="lattice" (true) or "blobs" (false); ValueError for any other text.
bool LatticeOf(const std::string& dots);
