#include "scales/ui/decimalspinbox.h"

#include <QLineEdit>
#include <QRegularExpression>

#include <algorithm>

#include <cmath>

namespace scales::ui {

namespace {

double powerOfTen(int n) { return std::pow(10.0, n); }

// The typed text with "," read as "." (a German keyboard's decimal key).
QString normalised(QString text)
{
    text = text.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text;
}

} // namespace

DecimalSpinBox::DecimalSpinBox(QWidget *parent) : QSpinBox(parent) {}

void DecimalSpinBox::setDecimals(int decimals)
{
    if (decimals == decimals_)
        return;
    decimals_ = std::max(0, decimals);
    // The text of the same value changes: show it again.
    lineEdit()->setText(textFromValue(value()));
}

QString DecimalSpinBox::textFromValue(int value) const
{
    // Labels and files use "." whatever the locale.
    return QString::number(value / powerOfTen(decimals_), 'f', decimals_);
}

int DecimalSpinBox::valueFromText(const QString &text) const
{
    bool ok = false;
    const double shown = normalised(text).toDouble(&ok);
    if (!ok)
        return value();
    // Rounded, not truncated: "1.15" is 115 although 1.15 x 100 is 114.99999... in binary.
    return int(std::clamp<double>(std::round(shown * powerOfTen(decimals_)), minimum(), maximum()));
}

QValidator::State DecimalSpinBox::validate(QString &text, int &) const
{
    const QString t = normalised(text);
    if (t.isEmpty())
        return QValidator::Intermediate;
    const QString pattern = decimals_ > 0 ? QStringLiteral("^[0-9]*([.][0-9]{0,%1})?$").arg(decimals_) : QStringLiteral("^[0-9]*$");
    if (!QRegularExpression(pattern).match(t).hasMatch())
        return QValidator::Invalid;
    bool ok = false;
    const double shown = t.toDouble(&ok);
    if (!ok)
        return QValidator::Intermediate;   // "." alone
    const double v = std::round(shown * powerOfTen(decimals_));
    if (v > maximum())
        return QValidator::Invalid;
    return v < minimum() ? QValidator::Intermediate : QValidator::Acceptable;
}

} // namespace scales::ui
