#pragma once

#include <QImage>

#include <vector>

namespace platform {

// The virtual camera's subject: a backlit stage micrometer, 1 mm in 0.01 mm divisions, with a
// few round particles beside it, so that measuring and calibrating on it mean something. The
// field of view is the same at every size: one division is width / 128 pixels.
QImage drawSpecimen(int width, int height);

// Pixels per 0.01 mm division at a picture width, as drawn.
double specimenPixelsPerDivision(int width);

// --- Depth ------------------------------------------------------------------------------------
// The focus control of the virtual camera runs from 0 to 100 focus units; the specimen's height
// is given in the same units, so "in focus" means focus == height.
inline constexpr int kSpecimenFocusMin = 0;
inline constexpr int kSpecimenFocusMax = 100;
inline constexpr int kSpecimenFocusSharp = 50;   // the flat specimen's height

// The shape of the specimen in depth.
//  - Flat: the micrometer lies at height 50 everywhere; the whole picture blurs alike.
//  - Tilted: the slide is tilted along the scale: the height rises linearly from 30 at the
//    specimen's left edge to 70 at its right edge, so every focus from 30 to 70 has a sharp
//    band of columns and the rest of the picture is blurred by its distance from that band.
//    Forty units deep: nine frames five units apart (about the depth of field at the blur
//    below) cover it, as a stack is stepped on a real microscope.
enum class SpecimenRelief { Flat, Tilted };

// Where the specimen lies in a frame: magnified by `scale` about the picture's centre, then
// shifted by (dx, dy) pixels. Focus breathing and stage drift of a z-stack are placements.
struct SpecimenPlacement {
    double scale = 1.0;
    double dx = 0;
    double dy = 0;
    bool isIdentity() const { return scale == 1.0 && dx == 0 && dy == 0; }
};

// The specimen's height (focus units) at a horizontal position of the specimen, 0 at its left
// edge and 1 at its right edge.
double specimenHeight(SpecimenRelief relief, double xFraction);

// Blur per focus unit away from the focus, in divisions of the micrometer: a shallow depth of
// field, as a microscope objective has. Twenty units off (sigma 0.8 of a division) focus peaking
// finds no edge left on the 0.01 mm lines at any shown size from 400 x 300 up; thirty units off
// (1.2 divisions) they have melted into a band. The live virtual camera and rendered focus
// stacks use the same law.
inline constexpr double kSpecimenBlurDivisionsPerUnit = 0.04;

// The Gaussian sigma, in pixels of a picture `width` wide, of a point `focusDistance` focus units
// away from the focus: kSpecimenBlurDivisionsPerUnit divisions a unit, so 0.5 px a unit at 1600
// pixels, in proportion to the width (the field of view is the same at every size).
double specimenBlurSigma(int width, double focusDistance);

// The specimen as the camera sees it with its focus at `focus`: every pixel blurred by a Gaussian
// whose sigma grows with the distance between the focus and the height under that pixel
// (specimenBlurSigma). Flat at focus 50 is drawSpecimen(width, height) exactly. The blur is
// separable (down the columns, then along the rows, each pixel with the sigma of its own
// column); where the height varies the kernel follows the pixel's own sigma to within the change
// of sigma across the kernel: on the tilted slide sigma changes by 0.0125 px a pixel, so by under
// 4 % of itself across the kernel's three sigma.
QImage drawSpecimenAtFocus(int width, int height, int focus, SpecimenRelief relief = SpecimenRelief::Flat);
QImage drawSpecimenAtFocus(int width, int height, double focus, SpecimenRelief relief, SpecimenPlacement placement);

// The same frame with every pixel in focus: the exact all-in-focus picture a focus stack of the
// specimen aims at. The Tilted specimen, and any placement other than the identity, is a
// band-limited picture, as optics deliver it: painted with antialiasing at twice the size and
// sampled through the placement, so that a frame moves exactly as its placement says; the Flat
// one in place is drawSpecimen exactly.
QImage drawSpecimenAllInFocus(int width, int height, SpecimenRelief relief, SpecimenPlacement placement = {});

// Renders frames of one specimen at one size: the oversampled picture that every placed frame is
// sampled from is painted once, at the first frame that needs it. Any one thread at a time.
class SpecimenRenderer
{
public:
    SpecimenRenderer(int width, int height, SpecimenRelief relief);
    ~SpecimenRenderer();
    QImage atFocus(double focus, SpecimenPlacement placement = {});   // as drawSpecimenAtFocus
    QImage allInFocus(SpecimenPlacement placement = {});              // as drawSpecimenAllInFocus

private:
    int width_, height_;
    SpecimenRelief relief_;
    QImage base_;
};

// The height under each pixel of such a frame, row by row (width x height values).
std::vector<float> specimenHeightMap(int width, int height, SpecimenRelief relief, SpecimenPlacement placement = {});

} // namespace platform
