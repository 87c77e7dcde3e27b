#include "compressorchoice.h"

#include <array>

namespace camera {

namespace {

// Windows codecs whose names a user may still meet in a codec pack; kept as data, matched as texts.
constexpr std::array<const char *, 17> kExcluded = {
    "WMVideo8 Encoder DMO", "WMVideo9 Encoder DMO", "MSScreen encoder DMO", "MSScreen 9 encoder DMO",
    "Intel 4:2:0 Video V2.50", "Microsoft H.261 Video Codec", "Microsoft H.263 Video Codec", "Microsoft RLE",
    "Microsoft Video 1", "Intel Indeo(R) Video R3.2", "Intel IndeoR Video 4.5", "Cinepak Codec by Radius",
    "IndeoR video 5.10 Compression Filter", "Decoder", "Sunplus", "Microsoft", "DMO",
};

} // namespace

bool isCompressorListed(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const char *text : kExcluded)
        if (name.contains(QLatin1String(text), Qt::CaseSensitive))
            return false;
    return true;
}

std::vector<CompressorChoice> compressorChoices(const std::vector<platform::CompressorInfo> &enumeration,
                                                const QString &noCompressorName)
{
    std::vector<CompressorChoice> choices{{noCompressorName, 0}};
    for (std::size_t i = 0; i < enumeration.size(); ++i)
        if (isCompressorListed(enumeration[i].name))
            choices.push_back({enumeration[i].name, int(i) + 1});
    return choices;
}

std::optional<QString> compressorFactory(const std::vector<platform::CompressorInfo> &enumeration, int index)
{
    if (index <= 0)
        return std::nullopt;
    if (std::size_t(index) > enumeration.size())
        return QString();
    return enumeration[std::size_t(index) - 1].factory;
}

} // namespace camera
