// Pictures: files to arrays and back, and the segmentation of an array.
#include <cstring>
#include <optional>

#include <pybind11/stl.h>

#include "Binding.h"
#include "base/Path.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"
#include "segment/Segmentrun.h"

namespace {

// The picture file's pixels as the core reads them; page counts from 0 here, from 1 in the core.
std::unique_ptr<TGrayImage> ReadPicture(const std::string& path, int32_t page, TBits16 rule) {
  if (page < 0) throw py::value_error("page must be 0 or more, not " + std::to_string(page));
  if (page > 0 && FileExists(path)) {
    const int32_t pages = PictureFilePages(path);
    if (page >= pages)
      throw py::value_error("page " + std::to_string(page) + ": \"" + path + "\" has " +
                            std::to_string(pages) + (pages == 1 ? " page" : " pages") +
                            " (counted from 0)");
  }
  return std::make_unique<TGrayImage>(path, rule, page + 1);
}

// The picture as the camera gave it, 16-bit values as stored, in an array that owns them.
py::array ArrayOfDeep(std::shared_ptr<const TGray16Image> deep) {
  const py::ssize_t w = deep->Width(), h = deep->Height();
  auto* held = new std::shared_ptr<const TGray16Image>(std::move(deep));
  py::capsule owner(held,
                    [](void* p) { delete static_cast<std::shared_ptr<const TGray16Image>*>(p); });
  // The array is the picture's only holder now, so it may write to it.
  auto* data = const_cast<uint16_t*>((*held)->Data());
  return py::array_t<uint16_t>({h, w}, {2 * w, py::ssize_t{2}}, data, owner);
}

}  // namespace

std::unique_ptr<TGrayImage> ImageOfArray(const py::handle& object, const char* what, TBits16 rule) {
  if (!py::isinstance<py::array>(object))
    throw py::type_error(std::string(what) + " must be a numpy array, not " +
                         std::string(py::str(object.get_type().attr("__name__"))));
  const py::array array = py::reinterpret_borrow<py::array>(object);
  const bool bytes = array.dtype().is(py::dtype::of<uint8_t>());
  const bool words = array.dtype().is(py::dtype::of<uint16_t>());
  if (!bytes && !words)
    throw py::type_error(std::string(what) + " must be an array of uint8 or uint16, not " +
                         std::string(py::str(array.dtype())));
  if (array.ndim() != 2)
    throw py::value_error(std::string(what) + " must be a 2-D array (rows, columns), not " +
                          std::to_string(array.ndim()) + "-D");
  const int64_t height = array.shape(0), width = array.shape(1);
  CheckImageSize(width, height, std::string("The picture ") + what);
  auto image = std::make_unique<TGrayImage>();
  const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  const auto* base = static_cast<const char*>(array.data());
  const py::ssize_t rowStride = array.strides(0), step = array.strides(1);
  if (bytes) {
    image->SetSize(w, h);
    for (int32_t y = 0; y < h; ++y) {
      const char* row = base + y * rowStride;
      uint8_t* out = image->Row(y);
      if (step == 1) {
        std::memcpy(out, row, static_cast<size_t>(w));
      } else {
        for (int32_t x = 0; x < w; ++x) out[x] = static_cast<uint8_t>(row[x * step]);
      }
    }
  } else {
    // Kept as given beside its 8-bit picture, as a 16-bit picture file is read: refined
    // centroids measure on it.
    auto deep = std::make_shared<TGray16Image>();
    deep->SetSize(w, h);
    for (int32_t y = 0; y < h; ++y) {
      const char* row = base + y * rowStride;
      uint16_t* out = deep->Row(y);
      if (step == 2) {
        std::memcpy(out, row, sizeof(uint16_t) * static_cast<size_t>(w));
      } else {
        for (int32_t x = 0; x < w; ++x) std::memcpy(&out[x], row + x * step, sizeof(uint16_t));
      }
    }
    MapGray16(*deep, rule, *image);
    image->SetDeep(std::move(deep));
  }
  return image;
}

py::array ArrayOfImage(std::unique_ptr<TGrayImage> image) {
  const py::ssize_t w = image->Width(), h = image->Height();
  if (w == 0 || h == 0) return py::array_t<uint8_t>({h, w});
  TGrayImage* held = image.release();
  py::capsule owner(held, [](void* p) { delete static_cast<TGrayImage*>(p); });
  return py::array_t<uint8_t>({h, w}, {w, py::ssize_t{1}}, held->Data(), owner);
}

void AddPictures(py::module_& m) {
  m.def(
      "read_picture",
      [](const py::object& path, int32_t page, const std::string& bits16, bool fullDepth) {
        const std::string file = PathOf(path, "path");
        const TBits16 rule = Bits16Of(bits16);
        std::unique_ptr<TGrayImage> image;
        {
          py::gil_scoped_release release;
          image = ReadPicture(file, page, rule);
        }
        if (fullDepth && image->Deep()) return ArrayOfDeep(image->SharedDeep());
        return ArrayOfImage(std::move(image));
      },
      py::arg("path"), py::arg("page") = 0, py::arg("bits16") = "percentile",
      py::arg("full_depth") = true,
      "read_picture(path, page=0, bits16=\"percentile\", full_depth=True) -> numpy.ndarray\n\n"
      "The picture file as a (height, width) array, read by its content as latticor-cli reads "
      "it: a Windows bitmap, PNG, TIFF, PGM/PPM or JPEG, gray or colour (colour becomes "
      "(B + G + R + 1) // 3). A picture of more than 8 bits comes as the camera gave it, a "
      "uint16 array of the values as stored (12-bit data stays 0..4095), which measure() and "
      "segment() take as latticor-cli takes the file; anything else is uint8. full_depth=False "
      "gives the 8-bit picture segmentation sees instead, made by bits16: \"percentile\" "
      "stretches the 0.1 % and 99.9 % percentiles to 0 and 255, \"shift\" keeps the top 8 bits "
      "of the data. page: the page of a multi-page TIFF, from 0.\n"
      "Raises latticor.Error with the reader's message (a missing file, a damaged one), "
      "ValueError for a page the file does not have.");
  m.def(
      "write_bitmap",
      [](const py::object& path, const py::object& picture, const std::string& bits16) {
        const std::string file = PathOf(path, "path");
        std::unique_ptr<TGrayImage> image = ImageOfArray(picture, "picture", Bits16Of(bits16));
        py::gil_scoped_release release;
        image->SaveBmp(file);
      },
      py::arg("path"), py::arg("picture"), py::arg("bits16") = "percentile",
      "write_bitmap(path, picture, bits16=\"percentile\")\n\n"
      "Writes a 2-D uint8 (or uint16, made 8-bit by bits16) array as an uncompressed 24-bit "
      "bitmap with red = green = blue, the file latticor-cli segment writes. A failed write "
      "leaves any previous file whole and raises latticor.Error.");
  m.def(
      "segment",
      [](const py::object& picture, bool black, int32_t median, std::optional<int32_t> window,
         int32_t adjust, std::optional<int32_t> threshold, const std::string& bits16) {
        TSegmentRunOptions options;
        options.WhiteDots = !black;
        if (median != 0) options.Median = median;
        options.Window = window;
        options.Adjust = adjust;
        options.Threshold = threshold;
        CheckSegmentRunOptions(options);
        TSegment job(ImageOfArray(picture, "picture", Bits16Of(bits16)), false);
        {
          py::gil_scoped_release release;
          RunSegmentation(job, options);
        }
        return ArrayOfImage(job.ReleaseImage());
      },
      py::arg("picture"), py::kw_only(), py::arg("black") = false, py::arg("median") = 0,
      py::arg("window") = py::none(), py::arg("adjust") = 0, py::arg("threshold") = py::none(),
      py::arg("bits16") = "percentile",
      "segment(picture, *, black=False, median=0, window=None, adjust=0, threshold=None, "
      "bits16=\"percentile\") -> numpy.ndarray\n\n"
      "The segmented picture as latticor-cli segment makes it: every background pixel becomes 0 "
      "(white dots) or 255 (black=True: dark dots), the dots keep their gray values. The "
      "picture (2-D uint8 or uint16) is not changed.\n"
      "median: a P x P median filter first (P 0..10, 0 none; even P means P + 1). window: the "
      "multi-area window in pixels (default width // 4, at most half the smaller side); adjust "
      "is added to every window mean. threshold: one threshold for the whole picture instead "
      "(no window, adjust or median with it).");
}
