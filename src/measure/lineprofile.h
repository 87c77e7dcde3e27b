#pragma once

#include <QByteArray>
#include <QPointF>
#include <QSize>
#include <QString>

#include <system_error>
#include <vector>

class QImage;

namespace scales {
struct RulerScaleControl;
}

namespace measure {

// One point of a line profile: its distance from the line's start in the profile's unit and the
// picture's intensity there (platform::lumaOf of the interpolated colour), with its
// red, green and blue.
struct ProfileSample {
    double distance = 0;
    double intensity = 0;
    double red = 0, green = 0, blue = 0;
    friend bool operator==(const ProfileSample &, const ProfileSample &) = default;
};

// The intensity along a line drawn on a picture.
struct LineProfile {
    QPointF from, to;            // in picture pixels
    QSize picture;
    QString scaleName;
    int scaleUnitIndex = 0;      // the scale's unit (0 mm, 1 inch, 2 um, 3 mil)
    bool calibrated = false;     // false: distances are in pixels
    QString unit;                // "mm", "in", "um", "mil"; "px" when not calibrated
    double pixelWidth = 0;       // unit per picture pixel along x and y (1 when not calibrated)
    double pixelHeight = 0;
    double length = 0;           // of the line, in unit
    std::vector<ProfileSample> samples;
};

// Samples `picture` from `from` to `to` (picture pixels) at steps of at most one pixel, the ends
// included, each sample interpolated bilinearly between the four pixels around it. Distances go
// through the current scale's pixel size, the one the labels use (the scale's lengths over the
// picture's size: ScaleFactorsFor on the picture); an uncalibrated scale gives pixels. Points
// outside the picture are taken at its edge. No samples for a null picture.
LineProfile sampleLineProfile(const QImage &picture, QPointF from, QPointF to, const scales::RulerScaleControl &scale);

// The profile as CSV in the results table's rules: UTF-8, CRLF line ends, a key,value block about
// the scale and the line, a blank line, a header with units, one row per sample; numbers with "."
// in their shortest form that reads back to the same double.
QByteArray lineProfileCsv(const LineProfile &profile);
// Written atomically: the destination keeps its old content when anything fails.
std::error_code writeLineProfileCsv(const QString &path, const LineProfile &profile);

} // namespace measure
