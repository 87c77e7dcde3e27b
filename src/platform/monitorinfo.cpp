#include "platform/monitorinfo.h"

#include <QDir>
#include <QFile>

namespace platform {

namespace {

constexpr int kEdidBlockBytes = 128;
constexpr unsigned char kEdidHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr int kFirstDescriptor = 54;

// sysfs files report a size of 4096 whatever they hold; read until the end instead.
QByteArray readSmallFile(const QString &path, qint64 limit)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(limit);
}

} // namespace

std::optional<MonitorSize> parseEdid(const QByteArray &blob)
{
    if (blob.size() < kEdidBlockBytes)
        return std::nullopt;
    const auto *b = reinterpret_cast<const unsigned char *>(blob.constData());
    for (int i = 0; i < 8; ++i)
        if (b[i] != kEdidHeader[i])
            return std::nullopt;
    MonitorSize size;
    size.widthCm = float(b[21]);
    size.heightCm = float(b[22]);
    // A descriptor with a zero pixel clock is a display descriptor (name, serial...): its bytes
    // 12 to 14 are text, not a size.
    const unsigned char *d = b + kFirstDescriptor;
    if (d[0] != 0 || d[1] != 0) {
        size.widthMm = float((d[14] >> 4) * 256 + d[12]);
        size.heightMm = float((d[14] & 0x0F) * 256 + d[13]);
    }
    size.detectedWidthCm = size.widthMm > 0.0f ? size.widthMm * 0.1f : size.widthCm;
    size.detectedHeightCm = size.heightMm > 0.0f ? size.heightMm * 0.1f : size.heightCm;
    return size;
}

MonitorSize EnumMonitorDevices(const QString &drmRoot)
{
    MonitorSize found;
    QDir root(drmRoot);
    const QStringList connectors = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString &name : connectors) {
        const QString dir = root.filePath(name);
        if (!QFile::exists(dir + QStringLiteral("/edid")))
            continue;
        const QByteArray status = readSmallFile(dir + QStringLiteral("/status"), 64).trimmed();
        if (!status.isEmpty() && status != "connected")
            continue;
        const std::optional<MonitorSize> m = parseEdid(readSmallFile(dir + QStringLiteral("/edid"), 32768));
        if (!m)
            continue;
        const auto keep = [](float &mine, float theirs) {
            if (mine == 0.0f)
                mine = theirs;
        };
        keep(found.widthCm, m->widthCm);
        keep(found.heightCm, m->heightCm);
        keep(found.widthMm, m->widthMm);
        keep(found.heightMm, m->heightMm);
        keep(found.detectedWidthCm, m->detectedWidthCm);
        keep(found.detectedHeightCm, m->detectedHeightCm);
    }
    return found;
}

} // namespace platform
