#include "scales/ui/setrulerdlg.h"

#include "scales/ui/decimalspinbox.h"
#include "scales/ui/monitorwidthgroup.h"
#include "scales/ui/newscalenamedlg.h"
#include "scales/ui/radiogroup.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace scales::ui {

namespace {

// Holds the dialog's change rules off while controls are set from code.
struct Updating {
    int &depth;
    explicit Updating(int &d) : depth(d) { ++depth; }
    ~Updating() { --depth; }
};

// The link picture beside the two lengths while "Fixed Ratio" holds them at 4:3.
QPixmap linkPicture()
{
    QPixmap p(14, 44);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setPen(QPen(QColor(70, 70, 70), 2));
    painter.drawLine(2, 8, 10, 8);
    painter.drawLine(10, 8, 10, 36);
    painter.drawLine(2, 36, 10, 36);
    return p;
}

} // namespace

TSetRulerDlg::TSetRulerDlg(ScaleLibrary &library, Deps deps, QWidget *parent)
    : QDialog(parent), library_(library), deps_(std::move(deps))
{
    setObjectName(QStringLiteral("TSetRulerDlg"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    if (!deps_.text)
        deps_.text = [](const QString &) { return QString(); };
    askName = [this](const QString &preset) -> std::optional<QString> {
        TNewScaleNameDlg dialog(this);
        dialog.setTexts(deps_.text(QStringLiteral("NewScaleNameInfoDlg_nsnDlg")),
                        deps_.text(QStringLiteral("PleaseNewName_GB_nsnDlg")), deps_.text(QStringLiteral("OKBtn_Dlg")),
                        deps_.text(QStringLiteral("CancelBtn_Dlg")));
        dialog.setName(preset);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.name();
    };
    pickColour = [this](platform::ColorRef initial) -> std::optional<platform::ColorRef> {
        const QColor c = QColorDialog::getColor(QColor::fromRgb(platform::toQRgb(initial)), this);
        if (!c.isValid())
            return std::nullopt;
        return platform::fromQRgb(c.rgb());
    };
    build();
    applyTexts();
    refresh();
}

TSetRulerDlg::~TSetRulerDlg() = default;

void TSetRulerDlg::refresh()
{
    fillList();
    showScale();
}

void TSetRulerDlg::build()
{
    auto *main = new QVBoxLayout(this);

    fileGroup_ = new QGroupBox(this);
    fileGroup_->setObjectName(QStringLiteral("WindowRulerFile_GB"));
    auto *g = new QGridLayout(fileGroup_);
    scaleFile_ = new QComboBox(fileGroup_);
    scaleFile_->setObjectName(QStringLiteral("ScaleFile_CB"));
    scaleFile_->setMinimumWidth(300);
    scaleFile_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    scaleUnit_ = new QComboBox(fileGroup_);
    scaleUnit_->setObjectName(QStringLiteral("ScaleUnit_CB"));
    scaleUnit_->addItems({QStringLiteral("mm"), QStringLiteral("inch"), QStringLiteral("um"), QStringLiteral("mil")});
    g->addWidget(scaleFile_, 0, 0, 1, 3);
    g->addWidget(scaleUnit_, 0, 3);

    horizontalSt_ = new QLabel(fileGroup_);
    horizontalSt_->setObjectName(QStringLiteral("Horizontal_ST"));
    verticalSt_ = new QLabel(fileGroup_);
    verticalSt_->setObjectName(QStringLiteral("Vertical_ST"));
    hSpin_ = new DecimalSpinBox(fileGroup_);
    hSpin_->setObjectName(QStringLiteral("hCSpinEdit"));
    vSpin_ = new DecimalSpinBox(fileGroup_);
    vSpin_->setObjectName(QStringLiteral("vCSpinEdit"));
    for (QSpinBox *s : {hSpin_, vSpin_})
        s->setMinimumWidth(110);
    hLabel_ = new QLabel(QStringLiteral("0.00 mm"), fileGroup_);
    hLabel_->setObjectName(QStringLiteral("hLabel_mm"));
    vLabel_ = new QLabel(QStringLiteral("0.00 mm"), fileGroup_);
    vLabel_->setObjectName(QStringLiteral("vLabel_mm"));
    for (QLabel *l : {hLabel_, vLabel_})
        l->setMinimumWidth(100);
    link_ = new QLabel(fileGroup_);
    link_->setObjectName(QStringLiteral("link"));
    link_->setPixmap(linkPicture());
    link_->setVisible(false);
    g->addWidget(horizontalSt_, 1, 0);
    g->addWidget(hSpin_, 1, 1);
    g->addWidget(link_, 1, 2, 2, 1);
    g->addWidget(hLabel_, 1, 3);
    g->addWidget(verticalSt_, 2, 0);
    g->addWidget(vSpin_, 2, 1);
    g->addWidget(vLabel_, 2, 3);

    auto *buttons = new QHBoxLayout;
    for (const char *name : {"NewBtn", "SaveBtn", "DeleteBtn", "RenameBtn"}) {
        auto *b = new QPushButton(fileGroup_);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    g->addLayout(buttons, 3, 0, 1, 4);
    auto *colourRow = new QHBoxLayout;
    auto *colourBtn = new QPushButton(fileGroup_);
    colourBtn->setObjectName(QStringLiteral("RulerColorBtn"));
    colourBtn->setAutoDefault(false);
    showColour_ = new QLineEdit(fileGroup_);
    showColour_->setObjectName(QStringLiteral("Edit_ShowColor"));
    showColour_->setReadOnly(true);
    showColour_->setFocusPolicy(Qt::NoFocus);
    showColour_->setFixedWidth(48);
    auto *calibrate = new QPushButton(fileGroup_);
    calibrate->setObjectName(QStringLiteral("SemiAutomaticBtn"));
    calibrate->setAutoDefault(false);
    colourRow->addWidget(colourBtn);
    colourRow->addWidget(showColour_);
    colourRow->addStretch();
    colourRow->addWidget(calibrate);
    g->addLayout(colourRow, 4, 0, 1, 4);
    ratio_ = new RadioGroup(QStringLiteral("RulerRatio_RG"), 2, fileGroup_);
    default_ = new QCheckBox(fileGroup_);
    default_->setObjectName(QStringLiteral("DefaultValue_CB"));
    g->addWidget(ratio_, 5, 0, 1, 3);
    g->addWidget(default_, 5, 3);
    main->addWidget(fileGroup_);

    hPos_ = new RadioGroup(QStringLiteral("HorizontalPos_RG"), 2, this);
    vPos_ = new RadioGroup(QStringLiteral("VerticalPos_RG"), 2, this);
    hOrigin_ = new RadioGroup(QStringLiteral("HorizontalOrigin_RG"), 3, this);
    vOrigin_ = new RadioGroup(QStringLiteral("VerticalOrigin_RG"), 3, this);
    auto *positions = new QHBoxLayout;
    positions->addWidget(hPos_);
    positions->addWidget(vPos_);
    main->addLayout(positions);
    auto *origins = new QHBoxLayout;
    origins->addWidget(hOrigin_);
    origins->addWidget(vOrigin_);
    main->addLayout(origins);

    monitorGroup_ = new MonitorWidthGroup(this);
    main->addWidget(monitorGroup_);

    magMode_ = new RadioGroup(QStringLiteral("MagnificationDisplayMode_RG"), 4, this);
    main->addWidget(magMode_);

    auto *closeRow = new QHBoxLayout;
    closeRow->addStretch();
    auto *ok = new QPushButton(this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAutoDefault(false);
    closeRow->addWidget(ok);
    closeRow->addWidget(cancel);
    main->addLayout(closeRow);
    // The dialog takes the size its texts need, in every language.
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(scaleFile_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!updating_)
            ScaleFile_CBChange(i);
    });
    connect(scaleUnit_, &QComboBox::currentIndexChanged, this, &TSetRulerDlg::onUnitChanged);
    connect(hSpin_, &QSpinBox::valueChanged, this, [this] { onSpinChanged(true); });
    connect(vSpin_, &QSpinBox::valueChanged, this, [this] { onSpinChanged(false); });
    connect(button("NewBtn"), &QPushButton::clicked, this, &TSetRulerDlg::NewBtnClick);
    connect(button("SaveBtn"), &QPushButton::clicked, this, &TSetRulerDlg::SaveBtnClick);
    connect(button("DeleteBtn"), &QPushButton::clicked, this, &TSetRulerDlg::DeleteBtnClick);
    connect(button("RenameBtn"), &QPushButton::clicked, this, &TSetRulerDlg::RenameBtnClick);
    connect(colourBtn, &QPushButton::clicked, this, &TSetRulerDlg::RulerColorBtnClick);
    connect(calibrate, &QPushButton::clicked, this, &TSetRulerDlg::SemiAutomaticBtnClick);
    connect(ok, &QPushButton::clicked, this, &TSetRulerDlg::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &TSetRulerDlg::CancelBtnClick);
    connect(default_, &QCheckBox::clicked, this, &TSetRulerDlg::DefaultValue_CBClick);
    connect(ratio_, &RadioGroup::clicked, this, [this](int i) {
        link_->setVisible(i == 1);
        controlChanged();
    });
    for (RadioGroup *r : {hPos_, vPos_, hOrigin_, vOrigin_, magMode_})
        connect(r, &RadioGroup::clicked, this, [this] { controlChanged(); });
    connect(monitorGroup_, &MonitorWidthGroup::changed, this, [this] { controlChanged(); });
}

QPushButton *TSetRulerDlg::button(const char *objectName) const
{
    return findChild<QPushButton *>(QString::fromLatin1(objectName));
}

RadioGroup *TSetRulerDlg::radioGroup(const char *objectName) const
{
    return findChild<RadioGroup *>(QString::fromLatin1(objectName));
}

QSpinBox *TSetRulerDlg::hCSpinEdit() const { return hSpin_; }
QSpinBox *TSetRulerDlg::vCSpinEdit() const { return vSpin_; }
QComboBox *TSetRulerDlg::Unit_CB() const { return monitorGroup_->unit(); }
QSpinBox *TSetRulerDlg::mdh_CSE() const { return monitorGroup_->spin(); }
QLabel *TSetRulerDlg::amdh_Label() const { return monitorGroup_->detectedLabel(); }
QLabel *TSetRulerDlg::mmdh_Label() const { return monitorGroup_->manualLabel(); }
QRadioButton *TSetRulerDlg::AutoDetect_RB() const { return monitorGroup_->autoDetect(); }
QRadioButton *TSetRulerDlg::ManualAdjust_RB() const { return monitorGroup_->manualAdjust(); }
QCheckBox *TSetRulerDlg::DisplayMag_CB() const { return monitorGroup_->displayMagnification(); }

void TSetRulerDlg::applyTexts()
{
    const auto t = deps_.text;
    const auto key = [&t](const char *k) { return t(QString::fromLatin1(k)); };
    setWindowTitle(key("SetRulerDlg_rsDlg"));
    fileGroup_->setTitle(key("WindowRulerFile_GB_rsDlg"));
    for (const char *name : {"NewBtn", "SaveBtn", "DeleteBtn", "RenameBtn", "RulerColorBtn", "SemiAutomaticBtn"})
        button(name)->setText(t(QString::fromLatin1(name) + QStringLiteral("_rsDlg")));
    horizontalSt_->setText(key("Horizontal_ST_rsDlg"));
    verticalSt_->setText(key("Vertical_ST_rsDlg"));
    default_->setText(key("DefaultValue_CB_rsDlg"));
    monitorGroup_->applyTexts(t);
    button("OKBtn")->setText(key("OKBtn_Dlg"));
    button("CancelBtn")->setText(key("CancelBtn_Dlg"));
    // The radio groups share the position texts; each keeps its choice across the rebuild.
    const QString none = key("PosNone_rsDlg"), top = key("PosTop_rsDlg"), centre = key("PosCenter_rsDlg"),
                  bottom = key("PosBottom_rsDlg"), left = key("PosLeft_rsDlg"), right = key("PosRight_rsDlg");
    ratio_->setTitle(key("RulerRatio_RG_rsDlg"));
    ratio_->setItems({none, key("LockRatio_rsDlg")});
    hPos_->setTitle(key("HorizontalPos_RG_rsDlg"));
    hPos_->setItems({none, top, centre, bottom});
    vPos_->setTitle(key("VerticalPos_RG_rsDlg"));
    vPos_->setItems({none, left, centre, right});
    hOrigin_->setTitle(key("HorizontalOrigin_RG_rsDlg"));
    hOrigin_->setItems({left, centre, right});
    vOrigin_->setTitle(key("VerticalOrigin_RG_rsDlg"));
    vOrigin_->setItems({top, centre, bottom});
    magMode_->setTitle(key("MagnificationDisplayMode_RG_rsDlg"));
    magMode_->setItems({none, key("ModeScreen_rsDlg"), key("ModePrinting_rsDlg"), key("ModeBoth_rsDlg")});
    if (ratio_->itemIndex() < 0)
        ratio_->setItemIndex(0);
    if (magMode_->itemIndex() < 0)
        magMode_->setItemIndex(0);
}

void TSetRulerDlg::fillList()
{
    const Updating u(updating_);
    scaleFile_->clear();
    scaleFile_->addItems(library_.names());
}

// ---- loading and showing ---------------------------------------------------------------------

void TSetRulerDlg::ScaleFile_CBChange(int index)
{
    if (index < 0)
        return;
    button("DeleteBtn")->setEnabled(index >= kBuiltInScales);
    button("RenameBtn")->setEnabled(index >= kBuiltInScales);
    if (index != library_.selected()) {
        if (library_.select(index))
            fillList();
        showScale();
    }
}

void TSetRulerDlg::LoadScale()
{
    if (library_.select(library_.selected()))
        fillList();
    showScale();
}

void TSetRulerDlg::showScale()
{
    const Updating u(updating_);
    calibrated_.reset();
    const int selected = library_.selected();
    const RulerScaleControl &current = library_.current();
    if (scaleFile_->currentIndex() != selected)
        scaleFile_->setCurrentIndex(selected);
    button("DeleteBtn")->setEnabled(selected >= kBuiltInScales);
    button("RenameBtn")->setEnabled(selected >= kBuiltInScales);
    const ScaleControls c = controlsFor(current);
    shownUnit_ = c.unit;
    scaleUnit_->setCurrentIndex(int(c.unit));
    showUnitRange(c.unit);
    hSpin_->setValue(c.hSpin);
    vSpin_->setValue(c.vSpin);
    hPos_->setItemIndex(c.horizontalPosition);
    vPos_->setItemIndex(c.verticalPosition);
    hOrigin_->setItemIndex(c.horizontalOrigin);
    vOrigin_->setItemIndex(c.verticalOrigin);
    shownColour_ = c.colour;
    showColour();
    monitorGroup_->showSettings(c, current.detectedMonitorWidthCm);
    magMode_->setItemIndex(c.magnificationMode);
    updateLengthLabels();
    button("SaveBtn")->setEnabled(saveEnabled());
}

ScaleControls TSetRulerDlg::readControls() const
{
    ScaleControls c;
    c.unit = shownUnit_;
    c.hSpin = hSpin_->value();
    c.vSpin = vSpin_->value();
    c.horizontalPosition = hPos_->itemIndex();
    c.verticalPosition = vPos_->itemIndex();
    c.horizontalOrigin = hOrigin_->itemIndex();
    c.verticalOrigin = vOrigin_->itemIndex();
    c.colour = shownColour_;
    monitorGroup_->readInto(c);
    c.magnificationMode = magMode_->itemIndex();
    return c;
}

bool TSetRulerDlg::saveEnabled() const
{
    if (applyingDefault_)
        return false;
    const RulerScaleControl &current = library_.current();
    // A calibration that gave the same lengths at another size or with another camera is news.
    const bool newCalibration = calibrated_ && !(*calibrated_ == ScaleFact{current.calibratedSize, current.cameraKey});
    return newCalibration || saveNeeded(readControls(), current);
}

void TSetRulerDlg::showUnitRange(ScaleUnit unit)
{
    // The fields show the length with the unit's decimals; their values stay spin steps.
    for (DecimalSpinBox *s : {hSpin_, vSpin_}) {
        s->setRange(0, unitInfo(unit).bound);
        s->setDecimals(unitInfo(unit).decimals);
    }
}

void TSetRulerDlg::updateLengthLabels()
{
    hLabel_->setText(lengthText(shownUnit_, hSpin_->value()));
    vLabel_->setText(lengthText(shownUnit_, vSpin_->value()));
}

void TSetRulerDlg::showColour()
{
    const QColor c = QColor::fromRgb(platform::toQRgb(shownColour_));
    showColour_->setStyleSheet(QStringLiteral("QLineEdit { background: %1; }").arg(c.name()));
}

// ---- change rules ---------------------------------------------------------------------------

void TSetRulerDlg::controlChanged()
{
    if (updating_)
        return;
    // Any change but applying "Ruler Default" itself leaves the built-in-only list as it is.
    if (!applyingDefault_ && default_->isChecked()) {
        const QSignalBlocker block(default_);
        default_->setChecked(false);
    }
    button("SaveBtn")->setEnabled(saveEnabled());
}

void TSetRulerDlg::onSpinChanged(bool horizontal)
{
    if (updating_) {
        updateLengthLabels();
        return;
    }
    if (ratio_->itemIndex() == 1) {
        const Updating u(updating_);
        if (horizontal)
            vSpin_->setValue(fixedRatioVertical(hSpin_->value()));
        else
            hSpin_->setValue(fixedRatioHorizontal(vSpin_->value()));
    }
    updateLengthLabels();
    controlChanged();
}

void TSetRulerDlg::onUnitChanged(int unit)
{
    if (updating_ || unit < 0 || unit == int(shownUnit_))
        return;
    // The record's own spin values of the new unit while the lengths shown are the record's: a
    // conversion there and back through the truncated steps would drift (118.00 mm would come
    // back as 117.99). Lengths typed since are converted.
    const RulerScaleControl &record = library_.current();
    const AxisPair<std::int32_t> &recordShown = record.spinValues[std::size_t(shownUnit_)];
    RulerScaleControl shown = record;
    if (hSpin_->value() != recordShown.horizontal || vSpin_->value() != recordShown.vertical)
        setLengthsFromSpin(shown, shownUnit_, hSpin_->value(), vSpin_->value());
    shownUnit_ = ScaleUnit(unit);
    {
        const Updating u(updating_);
        showUnitRange(shownUnit_);
        hSpin_->setValue(shown.spinValues[std::size_t(unit)].horizontal);
        vSpin_->setValue(shown.spinValues[std::size_t(unit)].vertical);
    }
    updateLengthLabels();
    controlChanged();
}

// ---- buttons ---------------------------------------------------------------------------------

std::optional<QString> TSetRulerDlg::askScaleName(const QString &preset)
{
    for (;;) {
        std::optional<QString> name = askName(preset);
        if (!name)
            return std::nullopt;
        if (!name->trimmed().isEmpty())
            return name;
        if (deps_.warn)
            deps_.warn(QStringLiteral("PleaseInputFolderName_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"));
    }
}

void TSetRulerDlg::NewBtnClick()
{
    const std::optional<QString> name = askScaleName(QStringLiteral("New"));
    if (!name)
        return;
    library_.addNew(*name, shownColour_, magMode_->itemIndex());
    refresh();
}

void TSetRulerDlg::RenameBtnClick()
{
    const int selected = library_.selected();
    if (selected < kBuiltInScales)
        return;
    const std::optional<QString> name = askScaleName(library_.names().value(selected));
    if (!name)
        return;
    library_.renameSelected(*name);
    const Updating u(updating_);
    scaleFile_->setItemText(selected, *name);
}

void TSetRulerDlg::DeleteBtnClick()
{
    if (library_.selected() < kBuiltInScales)
        return;
    library_.removeSelected();
    refresh();
}

void TSetRulerDlg::SaveBtnClick()
{
    library_.saveSelected(readControls(), calibrated_ ? &*calibrated_ : nullptr);
    calibrated_.reset();
    button("SaveBtn")->setEnabled(saveEnabled());
}

void TSetRulerDlg::OKBtnClick()
{
    if (!library_.fileExists() || saveEnabled() || default_->isChecked())
        SaveBtnClick();
    if (default_->isChecked()) {
        default_->setChecked(false);
        DefaultValue_CBClick(false);
    }
    accept();
}

void TSetRulerDlg::CancelBtnClick()
{
    if (default_->isChecked()) {
        default_->setChecked(false);
        DefaultValue_CBClick(false);
    }
    LoadScale();
    QDialog::reject();
}

void TSetRulerDlg::reject() { CancelBtnClick(); }

void TSetRulerDlg::DefaultValue_CBClick(bool checked)
{
    if (checked) {
        applyingDefault_ = true;
        const bool shown = library_.showDefaults();
        if (shown)
            refresh();
        applyingDefault_ = false;
        if (!shown) {
            const QSignalBlocker block(default_);
            default_->setChecked(false);
            return;
        }
        button("SaveBtn")->setEnabled(false);
        return;
    }
    library_.dropDefaults();
    refresh();
}

void TSetRulerDlg::RulerColorBtnClick()
{
    if (const std::optional<platform::ColorRef> chosen = pickColour(shownScaleColour(shownColour_))) {
        shownColour_ = storableScaleColour(*chosen);
        showColour();
        controlChanged();
    }
}

void TSetRulerDlg::SemiAutomaticBtnClick()
{
    if (!runCalibration)
        return;
    // The calibration measures in the unit and draws the scale bar with the look shown here.
    RulerScaleControl scale = library_.current();
    const ScaleControls c = readControls();
    scale.unit = c.unit;
    setLengthsFromSpin(scale, c.unit, c.hSpin, c.vSpin);
    scale.horizontalPosition = c.horizontalPosition;
    scale.verticalPosition = c.verticalPosition;
    scale.horizontalOrigin = c.horizontalOrigin;
    scale.verticalOrigin = c.verticalOrigin;
    scale.colour = c.colour;
    if (!runCalibration(scale))
        return;
    calibrated_ = ScaleFact{scale.calibratedSize, scale.cameraKey};
    {
        const Updating u(updating_);
        const AxisPair<std::int32_t> &spin = scale.spinValues[std::size_t(shownUnit_)];
        hSpin_->setValue(spin.horizontal);
        vSpin_->setValue(spin.vertical);
    }
    updateLengthLabels();
    controlChanged();
}

// ---- show ------------------------------------------------------------------------------------

void TSetRulerDlg::showEvent(QShowEvent *event)
{
    applyTexts();
    showScale();
    QDialog::showEvent(event);
    // Asked once the dialog is up, from the event loop rather than inside the show; once a run:
    // without a readable monitor description the answer is typed into the dialog, and asking at
    // every opening only stands in the way.
    const RulerScaleControl &current = library_.current();
    if (current.manualMonitorWidthCm == 0 && current.detectedMonitorWidthCm == 0 && deps_.warn && !monitorAsked_) {
        monitorAsked_ = true;
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                deps_.warn(QStringLiteral("KeyInHorizontalValue_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"));
        });
    }
}

} // namespace scales::ui
