#pragma once

#include <QGroupBox>

class QButtonGroup;
class QBoxLayout;

namespace scales::ui {

// A captioned group of radio buttons addressed by item index, like the design's radio groups:
// the items can be replaced (language change) and the chosen index survives the rebuild.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit RadioGroup(const QString &objectName, int columns, QWidget *parent = nullptr);
    void setItems(const QStringList &items);
    int itemIndex() const;
    void setItemIndex(int index);   // emits nothing
    int count() const;

Q_SIGNALS:
    void clicked(int index);

private:
    QButtonGroup *buttons_;
    int columns_;
};

} // namespace scales::ui
