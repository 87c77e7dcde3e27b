#pragma once

#include "camera/compressorchoice.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace camera::ui {

// The compressor choice ("Compressor Filter Dialog"). Kept by its owner between showings: it
// remembers the last chosen name and selects it again. Each prepare() refills the list from the
// compressors installed now. OK without a change keeps the previous index. Every text comes from
// setTexts(), in the interface language; the dialog holds none of its own.
class TCompressorFilterDlg final : public QDialog
{
    Q_OBJECT
public:
    struct Texts {
        QString title;
        QString info;
        QString ok;
        QString cancel;
        QString noCompressor;   // list position 0
    };
    explicit TCompressorFilterDlg(QWidget *parent = nullptr);

    // Also renames position 0 of a filled list at once, so a language change reaches a shown list.
    void setTexts(const Texts &texts);
    // Fills the combo box: Texts::noCompressor, then the listed compressors of `enumeration`.
    void prepare(const std::vector<platform::CompressorInfo> &enumeration);
    // The index chosen by the last OK (or `previous` when OK came without a change).
    int chosenIndex(int previous) const { return changed_ ? index_ : previous; }
    const std::vector<CompressorChoice> &choices() const { return choices_; }
    QComboBox *comboBox() const { return combo_; }

private:
    void onSelected(int position);

    QLabel *info_ = nullptr;
    QComboBox *combo_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
    std::vector<CompressorChoice> choices_;
    Texts texts_;
    QString lastName_;
    int index_ = 0;
    bool changed_ = false;
    bool filling_ = false;
};

} // namespace camera::ui
