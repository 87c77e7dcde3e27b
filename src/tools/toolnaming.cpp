#include "toolnaming.h"

namespace tools {

QString autoName(const QString &base, const QDateTime &now)
{
    return base + u'_' + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

int numberWidth(long long files)
{
    if (files <= 10)
        return 1;
    if (files <= 100)
        return 2;
    if (files <= 1000)
        return 3;
    if (files <= 10000)
        return 4;
    if (files <= 100000)
        return 5;
    if (files > 1000000)
        return 7;
    return 6;
}

QString sequenceFileName(const QString &base, long long number, int width, bool jpg)
{
    return base + u'_' + QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'))
           + (jpg ? QStringLiteral(".jpg") : QStringLiteral(".bmp"));
}

int percentUp(long long done, long long total)
{
    if (total <= 0)
        return done > 0 ? 100 : 0;
    return int((done * 100 + total - 1) / total);
}

} // namespace tools
