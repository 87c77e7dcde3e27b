#pragma once

#include <QSpinBox>

namespace scales::ui {

// A spin box whose value stays the whole number of steps the scale record keeps (hundredths of a
// mm, ten-thousandths of an inch, ...) while the field shows and accepts the length itself with
// the unit's decimals: with 2 decimals the value 150 reads "1.50", and typing "1.5" (or "1,5")
// gives 150, not 15. One arrow step is one step of the value. UI thread only.
class DecimalSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit DecimalSpinBox(QWidget *parent = nullptr);

    // Digits after the point; the value is the shown number times 10^decimals.
    void setDecimals(int decimals);
    int decimals() const { return decimals_; }

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString &text) const override;
    QValidator::State validate(QString &text, int &pos) const override;

private:
    int decimals_ = 0;
};

} // namespace scales::ui
