#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class TGrayImage;

// Pictures of a dot grid on a flat specimen seen by a camera, rendered independently of the
// product's synthetic pictures: the specimen's dots (a lattice of discs, with an outline and
// missing dots), moved in the specimen's plane by any motion (a crack, a turn, a stretch), and
// seen through a homography (a viewpoint). Every pixel's coverage is integrated on an 8 x 8
// sub-pixel lattice in the specimen's plane, then lit and given Gaussian noise. Each picture
// shows the dots whose image lies inside it, as a camera does.
struct TTruthSpecimen {
  double Pitch = 20;
  double Radius = 5;
  int32_t Columns = 40, Rows = 30;  // dots, centred on the specimen's origin
  std::vector<std::pair<int32_t, int32_t>> Missing;
};

struct TTruthViewOptions {
  int32_t Width = 800, Height = 600;
  // Specimen plane to image: [x' y' w'] = H [x y 1]; the specimen's origin at the image centre
  // by default.
  double H[3][3] = {{1, 0, 400}, {0, 1, 300}, {0, 0, 1}};
  double Noise = 2, Dot = 200, Background = 50;
  uint32_t Seed = 1;
};

struct TTruthViewDot {
  int32_t I = 0, J = 0;  // lattice column and row (row growing downwards)
  double X = 0, Y = 0;   // its centre in the picture
};

// The motion of the specimen: where the point (x, y) of the undeformed specimen goes.
using TSpecimenMotion = std::function<void(double x, double y, double& mx, double& my)>;

// Renders one picture and returns the dots it shows with their true centres.
std::vector<TTruthViewDot> RenderTruthView(const TTruthSpecimen& specimen,
                                           const TSpecimenMotion& motion,
                                           const TTruthViewOptions& view, TGrayImage& image);
// A homography looking at the specimen from a viewpoint: turned by turnDeg about the optical
// axis, tilted by tiltDeg about an axis at tiltAxisDeg in the image, from distance (in units of
// the specimen), scaled by scale, the specimen's origin seen at (cx, cy).
void ViewHomography(double turnDeg, double tiltDeg, double tiltAxisDeg, double distance,
                    double scale, double cx, double cy, double H[3][3]);
