#pragma once

#include "platform/mediapipeline.h"

#include <QString>

#include <optional>
#include <vector>

namespace camera {

// Compressors the dialog never offers: a name that contains any of these texts (case-sensitive)
// is left out, as is an empty name.
bool isCompressorListed(const QString &name);

// One line of the compressor dialog's combo box and the compressor index it stands for.
struct CompressorChoice {
    QString name;
    int index = 0;   // 0 "No Compressor"; n the n-th compressor of the enumeration, from 1
    friend bool operator==(const CompressorChoice &, const CompressorChoice &) = default;
};
// Position 0 is `noCompressorName` with index 0; then every listed compressor, mapped to its
// enumeration position plus one (excluded ones still count in the enumeration).
std::vector<CompressorChoice> compressorChoices(const std::vector<platform::CompressorInfo> &enumeration,
                                                const QString &noCompressorName);

// The compressor a recording uses: nullopt when `index` is 0 or less ("No Compressor");
// an index past the enumeration yields an empty factory (the compressor went away).
std::optional<QString> compressorFactory(const std::vector<platform::CompressorInfo> &enumeration, int index);

} // namespace camera
