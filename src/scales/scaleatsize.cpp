#include "scales/scaleatsize.h"

#include <QRegularExpression>
#include <QStringList>

namespace scales {

RulerScaleControl scaleAtPictureSize(const RulerScaleControl &scale, QSize picture, const QString &nameFormat)
{
    const QSize at = scale.calibratedSize;
    if (at.isEmpty() || picture.isEmpty() || at == picture)
        return scale;
    RulerScaleControl s = scale;
    // Compared in integers: 1600x1200 and 800x600 are exactly the same shape.
    if (qint64(picture.height()) * at.width() != qint64(at.height()) * picture.width()) {
        const double vLength = double(scale.vLength) * picture.height() * at.width() / (double(at.height()) * picture.width());
        setLengthsFromLength(s, s.unit, double(scale.hLength), vLength);
    }
    s.name = QString(nameFormat)
                 .arg(scale.name)
                 .arg(at.width())
                 .arg(at.height())
                 .arg(picture.width())
                 .arg(picture.height());
    return s;
}

QString storedScaleName(const QString &shown, const QStringList &storedNames, const QString &nameFormat)
{
    // The format with the name and the sizes as wildcards, the rest literal, matched whole.
    QString pattern;
    const QRegularExpression placeholder(QStringLiteral("%([1-5])"));
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(nameFormat); it.hasNext();) {
        const QRegularExpressionMatch p = it.next();
        pattern += QRegularExpression::escape(nameFormat.mid(from, p.capturedStart() - from));
        pattern += p.captured(1) == QLatin1String("1") ? QStringLiteral("(.*)") : QStringLiteral("[0-9]+");
        from = p.capturedEnd();
    }
    pattern += QRegularExpression::escape(nameFormat.mid(from));
    const QRegularExpressionMatch m = QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(shown);
    if (!m.hasMatch() || !storedNames.contains(m.captured(1)))
        return QString();
    return m.captured(1);
}

} // namespace scales
