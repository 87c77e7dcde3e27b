#include "measure/labels.h"

#include <cmath>

namespace measure {

QString GetUnitStr(UnitCode code)
{
    switch (code) {
    case UnitCode::Cm: return QStringLiteral("cm");
    case UnitCode::Mm: return QStringLiteral("mm");
    case UnitCode::Um: return QStringLiteral("um");
    case UnitCode::In: return QStringLiteral("in");
    case UnitCode::Mil: return QStringLiteral("mil");
    case UnitCode::Deg: return QStringLiteral("Deg");
    default: return QString();
    }
}

UnitCode unitCodeFor(int scaleUnitIndex, bool displayUnit)
{
    if (!displayUnit)
        return UnitCode::None;
    switch (scaleUnitIndex) {
    case 0: return UnitCode::Mm;
    case 1: return UnitCode::In;
    case 2: return UnitCode::Um;
    case 3: return UnitCode::Mil;
    case 4: return UnitCode::Cm;
    case 5: return UnitCode::Deg;
    default: return UnitCode::None;
    }
}

double roundForLabel(double value, int precision)
{
    const double f = std::pow(10.0, -precision);
    const double scale = std::pow(10.0, precision);
    // nearbyint in the default rounding mode rounds ties to even.
    const double stepped = std::nearbyint(value / f) * f;
    return std::floor(stepped * scale + 0.5) / scale;
}

QString labelText(int counter, const QString &letter)
{
    return QStringLiteral("[%1]").arg(counter, 2, 10, QLatin1Char('0')) + letter;
}

LabelLine composeLabel(double value, int precision, UnitCode unit, const QString &label)
{
    LabelLine line;
    if (unit == UnitCode::NoValue) {
        line.text = label;
        return line;
    }
    const QString prefix = label.isEmpty() ? QString() : label + QLatin1Char('=');
    // QString::number always writes '.', whatever the locale.
    line.text = prefix + QString::number(roundForLabel(value, precision), 'f', precision);
    if (unit == UnitCode::Deg) {
        line.text += kDegree;
        line.symbolSized = true;
    } else {
        line.text += GetUnitStr(unit);
    }
    line.raisedTwo = label.contains(QLatin1Char('A'));
    return line;
}

} // namespace measure
