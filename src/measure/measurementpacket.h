#pragma once

#include "measure/measurehistory.h"
#include "platform/picturemetadata.h"
#include "scales/rulerscale.h"

#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace measure {

// A packet of ours holds no more shapes than this; more is damage or hostility.
inline constexpr int kMaxPacketShapes = 5000;

// The calibration and the shapes a saved picture carries in its XMP packet. Shape points are in
// picture pixels of the saved picture, whatever window they were drawn in.
struct MeasurementPacket {
    QString scaleName;
    scales::ScaleUnit unit = scales::ScaleUnit::Millimetre;
    double pixelWidth = 0;    // real width of one pixel, in `unit`
    double pixelHeight = 0;   // real height of one pixel, in `unit`
    QSize picture;            // the picture the points belong to
    double screenMagnification = 0;
    double printMagnification = 0;
    std::vector<HistoryNode> shapes;

    // Pixels per centimetre for the picture's resolution fields.
    double pixelsPerCm(double pixelSize) const;
};

// The packet of a picture of `picture` pixels measured with `scale`; none when the scale covers
// no length (then the picture is saved without metadata). The scale's lengths cover the picture
// measured on, `measuredOn` (when valid): a cut-out of it keeps the pixel size of the whole.
std::optional<MeasurementPacket> packetFor(const scales::RulerScaleControl &scale, QSize picture,
                                           std::vector<HistoryNode> shapes, double screenMagnification,
                                           double printMagnification, QSize measuredOn = {});

// The picture's resolution and our XMP properties.
platform::PictureMetadata toMetadata(const MeasurementPacket &packet);

struct PacketRead {
    std::optional<MeasurementPacket> packet;   // none: no packet of ours, or a damaged one
    QString error;                             // why a packet present was refused
};
// Reads our properties back, trusting nothing: every count is bounded, every field must have its
// kind and range, every point must lie on the `picture` it is loaded with. Any fault refuses the
// whole packet; no properties of ours at all is no packet and no error.
PacketRead parsePacket(const std::vector<platform::XmpProperty> &properties, QSize picture);

// The ruler scale a packet describes: its name and unit, the lengths the picture covers.
scales::RulerScaleControl scaleFromPacket(const MeasurementPacket &packet);

} // namespace measure
