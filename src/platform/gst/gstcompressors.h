#pragma once

#include "platform/mediapipeline.h"

typedef struct _GstElement GstElement;

namespace platform {

// The encoders the AVI multiplexer accepts: video and image encoder factories whose source pad
// caps intersect avimux's video sink caps, sorted by rank (highest first), then by factory name,
// because the registry's own order changes from run to run.
std::vector<CompressorInfo> listVideoCompressors();

// The writable, non-construct-only properties of the factory's element, with their current
// (default) values. Empty when the factory is unknown.
std::vector<EncoderProperty> encoderProperties(const QString &factory);

// Applies settings by property name and text value; unknown names are skipped. Returns the
// names that could not be applied.
QStringList applyEncoderSettings(GstElement *encoder, const std::vector<EncoderSetting> &settings);

} // namespace platform
