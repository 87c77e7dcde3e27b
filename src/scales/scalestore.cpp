#include "scales/scalestore.h"

#include "platform/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cmath>
#include <limits>

namespace scales {

namespace {

// Largest mm spin value a stored scale can carry, for the writer and the reader alike: lines 3
// and 4 hold hundredths of a millimetre even for um and mil scales, whose bounds reach 16500 mm
// (16500000 um, 649605 mil); the hundredth above leave room for the step that makes a mil or
// inch scale read back exactly (storedMmSpin).
constexpr std::int32_t kMaxStoredMmSpin = 1650100;

// The hundredths of a millimetre that lines 3 and 4 hold for a scale. A mm scale stores its own
// spin values. A scale kept in another unit stores the hundredths that read back (as scaleAt
// derives every unit from them) as its own spin values: a 200000 um scale is 20000, not the mm
// field's bound of 16500, and a 10000 mil scale is 25401, since 25400 reads back as 9999 mil.
AxisPair<std::int32_t> storedMmSpin(const RulerScaleControl &s)
{
    const std::size_t mm = std::size_t(ScaleUnit::Millimetre);
    const std::size_t own = std::size_t(s.unit);
    if (own == mm)
        return s.spinValues[mm];
    const auto clamp = [](double v) {
        return v <= 0 || !std::isfinite(v) ? 0 : v >= kMaxStoredMmSpin ? kMaxStoredMmSpin : std::int32_t(v);
    };
    const std::int32_t h0 = clamp(std::trunc(double(s.lengths[mm].horizontal) * 100.0));
    const std::int32_t v0 = clamp(std::trunc(double(s.lengths[mm].vertical) * 100.0));
    AxisPair<std::int32_t> best{h0, v0};
    bool hFound = false, vFound = false;
    for (std::int32_t d = 0; d <= 8 && !(hFound && vFound); ++d) {
        RulerScaleControl back;
        setLengthsFromMillimetreSpin(back, clamp(h0 + d), clamp(v0 + d));
        if (!hFound && back.spinValues[own].horizontal == s.spinValues[own].horizontal) {
            best.horizontal = clamp(h0 + d);
            hFound = true;
        }
        if (!vFound && back.spinValues[own].vertical == s.spinValues[own].vertical) {
            best.vertical = clamp(v0 + d);
            vFound = true;
        }
    }
    return best;
}

enum Line { kName, kNumber, kUnit, kHSpin, kVSpin, kHPos, kVPos, kHOrigin, kVOrigin, kColour, kMonitorMode,
            kManualWidth, kMonitorUnit, kDisplayMag, kMagMode };

QString floatText(float value)
{
    // The shortest text that reads back as the same float, always with ".".
    return QString::number(double(value), 'g', 7);
}

} // namespace

ScaleStore::ScaleStore(QString storeFile, QString markerFile, std::function<void(const QString &)> log)
    : storeFile_(std::move(storeFile)), markerFile_(std::move(markerFile)), log_(std::move(log))
{
}

void ScaleStore::logLine(const QString &line) const
{
    if (log_)
        log_(line);
}

bool ScaleStore::fileExists() const { return QFileInfo::exists(storeFile_); }
bool ScaleStore::markerExists() const { return QFileInfo::exists(markerFile_); }

QByteArray ScaleStore::encode(const QStringList &lines)
{
    QString text;
    for (const QString &l : lines)
        text += l + QStringLiteral("\r\n");
    QByteArray bytes("\xFF\xFE", 2);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        bytes.append(char(u & 0xFF));
        bytes.append(char(u >> 8));
    }
    return bytes;
}

bool ScaleStore::load()
{
    lines_.clear();
    QFile f(storeFile_);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        text = QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2));
    } else if (bytes.startsWith("\xFE\xFF")) {
        text = QStringDecoder(QStringConverter::Utf16BE)(bytes.mid(2));
    } else {
        // Hand-edited without a byte-order mark: read it as UTF-8.
        text = QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines_ = text.split(QLatin1Char('\n'));
    if (!lines_.isEmpty() && lines_.last().isEmpty())
        lines_.removeLast();
    if (lines_.size() % kLinesPerScale != 0) {
        logLine(QStringLiteral("Scale store: %1 lines, the last incomplete scale is left out").arg(lines_.size()));
        lines_ = lines_.mid(0, lines_.size() - lines_.size() % kLinesPerScale);
    }
    return true;
}

std::error_code ScaleStore::write()
{
    const QByteArray bytes = encode(lines_);
    const std::error_code ec = platform::writeFileAtomically(storeFile_, bytes.constData(), std::size_t(bytes.size()),
                                                             platform::Durability::Synced);
    if (ec)
        logLine(QStringLiteral("Scale store not written: ") + QString::fromStdString(ec.message()));
    return ec;
}

void ScaleStore::rebuild(const BuiltInTexts &texts)
{
    lines_.clear();
    for (int i = 0; i < kBuiltInScales; ++i)
        lines_ += scaleLines(builtInScale(i, texts));
}

std::error_code ScaleStore::open(const BuiltInTexts &texts)
{
    const bool present = load();
    if (present && lines_.size() >= kBuiltInScales * kLinesPerScale)
        return {};
    if (present) {
        logLine(QStringLiteral("Lines Count error"));
        // The short store may still hold what the user typed: keep it beside the new one.
        QFile::remove(backupPath());
        QFile::copy(storeFile_, backupPath());
    }
    rebuild(texts);
    return write();
}

void ScaleStore::backupAndRemove()
{
    QFile::remove(backupPath());
    if (!QFile::rename(storeFile_, backupPath()))
        QFile::remove(storeFile_);
    logLine(QStringLiteral("Scale store damaged: kept as ") + backupPath());
}

ScaleStore::Repair ScaleStore::repairDamaged(int index, const BuiltInTexts &texts, std::error_code *written)
{
    if (!entryDamaged(index))
        return Repair::None;
    backupAndRemove();
    if (!markerExists())
        return Repair::Removed;
    rebuild(texts);
    const std::error_code ec = write();
    if (written)
        *written = ec;
    return Repair::Rebuilt;
}

QStringList ScaleStore::names() const
{
    QStringList n;
    for (int i = 0; i < count(); ++i)
        n << lines_[i * kLinesPerScale];
    return n;
}

bool ScaleStore::entryDamaged(int index) const
{
    return index >= 0 && index < kBuiltInScales && index < count() &&
           !lines_[index * kLinesPerScale].contains(QLatin1Char('@'));
}

RulerScaleControl ScaleStore::scaleAt(int index) const
{
    RulerScaleControl s;
    applyStoreDefaults(s);
    if (index < 0 || index >= count())
        return s;
    const int base = index * kLinesPerScale;
    const auto line = [&](int i) { return lines_[base + i].trimmed(); };
    // A line that is not a whole number in [lo, hi] takes its default, and the log says so.
    const auto integer = [&](int i, std::int64_t lo, std::int64_t hi, std::int32_t fallback) {
        bool ok = false;
        const qlonglong v = line(i).toLongLong(&ok);
        if (ok && v >= lo && v <= hi)
            return std::int32_t(v);
        logLine(QStringLiteral("Scale store: scale %1 line %2 \"%3\" is not valid, %4 is used")
                    .arg(index + 1).arg(i).arg(lines_[base + i]).arg(fallback));
        return fallback;
    };
    s.name = lines_[base + kName];
    s.number = index + 1;
    const int unit = integer(kUnit, 0, 3, 0);
    s.unit = ScaleUnit(unit);
    const std::int32_t hSpin = integer(kHSpin, 0, kMaxStoredMmSpin, 0);
    const std::int32_t vSpin = integer(kVSpin, 0, kMaxStoredMmSpin, 0);
    setLengthsFromMillimetreSpin(s, hSpin, vSpin);
    s.horizontalPosition = integer(kHPos, 0, 3, s.horizontalPosition);
    s.verticalPosition = integer(kVPos, 0, 3, s.verticalPosition);
    s.horizontalOrigin = integer(kHOrigin, 0, 2, s.horizontalOrigin);
    s.verticalOrigin = integer(kVOrigin, 0, 2, s.verticalOrigin);
    const std::int32_t colour = integer(kColour, 0, 0xFFFFFF, std::int32_t(s.colour));
    s.colour = colour == 0xFFFFFF ? 0xFFFFFE : platform::ColorRef(colour);
    s.monitorWidthMode = s.pendingMonitorWidthMode = integer(kMonitorMode, 0, 1, 0);
    {
        // Written with "."; a store from a machine that wrote "," reads as well.
        QString text = line(kManualWidth);
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double cm = text.toDouble(&ok);
        if (ok && std::isfinite(cm) && cm >= 0 && cm <= 100000) {
            s.manualMonitorWidthCm = float(cm);
        } else {
            logLine(QStringLiteral("Scale store: scale %1 line %2 \"%3\" is not valid, 0 is used")
                        .arg(index + 1).arg(int(kManualWidth)).arg(lines_[base + kManualWidth]));
            s.manualMonitorWidthCm = 0;
        }
        s.pendingManualMonitorWidthCm = s.manualMonitorWidthCm;
    }
    s.monitorWidthUnit = integer(kMonitorUnit, 0, 1, 0);
    s.displayMagnification = integer(kDisplayMag, 0, 1, 1) != 0;
    s.magnificationMode = integer(kMagMode, 0, 3, 3);
    return s;
}

QStringList ScaleStore::scaleLines(const RulerScaleControl &s)
{
    const AxisPair<std::int32_t> mm = storedMmSpin(s);
    return {s.name,
            QString::number(s.number),
            QString::number(int(s.unit)),
            QString::number(mm.horizontal),
            QString::number(mm.vertical),
            QString::number(s.horizontalPosition),
            QString::number(s.verticalPosition),
            QString::number(s.horizontalOrigin),
            QString::number(s.verticalOrigin),
            QString::number(s.colour),
            QString::number(s.monitorWidthMode),
            floatText(s.manualMonitorWidthCm),
            QString::number(s.monitorWidthUnit),
            QString::number(s.displayMagnification ? 1 : 0),
            QString::number(s.magnificationMode)};
}

void ScaleStore::setScaleAt(int index, const RulerScaleControl &scale)
{
    if (index < 0 || index >= count())
        return;
    RulerScaleControl s = scale;
    s.number = index + 1;
    const QStringList l = scaleLines(s);
    for (int i = 0; i < kLinesPerScale; ++i)
        lines_[index * kLinesPerScale + i] = l[i];
}

void ScaleStore::append(const RulerScaleControl &scale)
{
    RulerScaleControl s = scale;
    s.number = count() + 1;
    lines_ += scaleLines(s);
}

void ScaleStore::remove(int index)
{
    if (index < 0 || index >= count())
        return;
    lines_.remove(index * kLinesPerScale, kLinesPerScale);
    for (int i = index; i < count(); ++i)
        lines_[i * kLinesPerScale + kNumber] = QString::number(i + 1);
}

void ScaleStore::rename(int index, const QString &name)
{
    if (index >= 0 && index < count())
        lines_[index * kLinesPerScale + kName] = name;
}

void ScaleStore::retranslateBuiltIns(const BuiltInTexts &texts)
{
    for (int i = 0; i < kBuiltInScales && i < count(); ++i)
        lines_[i * kLinesPerScale + kName] = builtInScaleName(i, texts);
}

} // namespace scales
