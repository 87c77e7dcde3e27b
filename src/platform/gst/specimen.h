#pragma once

#include <QImage>

namespace platform {

// The virtual camera's subject: a backlit stage micrometer, 1 mm in 0.01 mm divisions, with a
// few round particles beside it, so that measuring and calibrating mean something. The field of
// view is the same at every size: one division is width / 128 pixels.
QImage drawSpecimen(int width, int height);

// Pixels per 0.01 mm division at a picture width, as drawn.
double specimenPixelsPerDivision(int width);

// How the specimen stands under the lens: flat on the stage, or tilted so that its height (and
// with it the focus position at which each part is sharp) changes across the picture.
enum class SpecimenRelief { Flat, Tilted };

// The focus control's range and its sharp position (the virtual camera's "Focus (absolute)").
inline constexpr int kSpecimenFocusMin = 0;
inline constexpr int kSpecimenFocusMax = 100;
inline constexpr int kSpecimenFocusSharp = 50;
// Blur per focus step of the flat specimen, in divisions of the micrometer: at the ends of the
// range (50 steps from sharp) the blur is two divisions, so the 0.01 mm lines melt into a band.
inline constexpr double kSpecimenBlurDivisionsPerStep = 0.04;

// The Gaussian blur of the flat specimen at `focus` (clamped to 0..100), as its standard
// deviation in pixels of a picture `width` wide: kSpecimenBlurDivisionsPerStep * |focus - 50|
// divisions. Zero at 50.
double specimenBlurSigmaPx(int width, int focus);

// The specimen as the lens shows it with the focus control at `focus`. Flat: drawSpecimen()
// blurred by a Gaussian of specimenBlurSigmaPx() (separable, kernel cut at 3 sigma and
// normalised, edges repeated); at 50 it is drawSpecimen() itself. Tilted is drawn as Flat until
// the stacking work gives the specimen a height map.
QImage drawSpecimenAtFocus(int width, int height, int focus, SpecimenRelief relief = SpecimenRelief::Flat);

// `image` (Format_RGB32) blurred by a Gaussian of `sigmaPx` as drawSpecimenAtFocus does it; the
// image itself when sigmaPx is below a third of a pixel (the kernel would be a single tap).
QImage gaussianBlurred(const QImage &image, double sigmaPx);

} // namespace platform
