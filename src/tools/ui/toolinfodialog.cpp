#include "toolinfodialog.h"

#include "widgets/dialogframe.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace tools::ui {

namespace {

constexpr std::array kTimedFields{"TITC_FileType_LE", "TITC_FileNum_LE",   "TITC_StartTime_LE", "TITC_IntervalTime_LE",
                                  "TITC_RecTime_LE",  "TITC_TotalTime_LE", "TITC_FuncStatus_LE"};
constexpr std::array kPagePrefixes{"TITC", "TIVI", "TIIV"};

} // namespace

TToolInfoDlg::TToolInfoDlg(std::function<QString(const QString &)> text, QWidget *parent)
    : QDialog(parent), text_(std::move(text))
{
    setObjectName(QStringLiteral("TToolInfoDlg"));
    widgets::frameDialog(*this);
    setModal(false);
    tabs_ = new QTabWidget(this);
    const auto button = [this](QWidget *page, const QString &name) {
        auto *b = new QPushButton(page);
        b->setObjectName(name);
        buttons_.push_back({b, name.toLatin1()});
        return b;
    };

    // Timed capture.
    auto *timed = new QWidget(tabs_);
    timed->setObjectName(QStringLiteral("TITC_Info_TS"));
    auto *form = new QFormLayout;
    for (const char *name : kTimedFields) {
        auto *edit = new QLineEdit(timed);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        edit->setMinimumWidth(220);
        auto *label = new QLabel(timed);
        // The file-type field is labelled like the dialog's file-type group.
        labels_.push_back({label, qstrcmp(name, "TITC_FileType_LE") == 0 ? "TC_FileType_RG" : name});
        timedFields_.push_back({edit, name});
        form->addRow(label, edit);
    }
    QPushButton *enable = button(timed, QStringLiteral("TITC_Enable_Btn"));
    QPushButton *folder = button(timed, QStringLiteral("TITC_SavingFolder_Btn"));
    QPushButton *close = button(timed, QStringLiteral("TITC_Close_Btn"));
    connect(enable, &QPushButton::clicked, this, &TToolInfoDlg::timedEnableClicked);
    connect(folder, &QPushButton::clicked, this, &TToolInfoDlg::timedFolderClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    auto *timedButtons = new QHBoxLayout;
    timedButtons->addWidget(enable);
    timedButtons->addWidget(folder);
    timedButtons->addStretch();
    timedButtons->addWidget(close);
    auto *timedLayout = new QVBoxLayout(timed);
    timedLayout->addLayout(form);
    timedLayout->addStretch();
    timedLayout->addLayout(timedButtons);
    tabs_->addTab(timed, QString());

    // The two conversions.
    for (int page : {int(kVideoToImagesPage), int(kImagesToVideoPage)}) {
        const QString prefix = QString::fromLatin1(kPagePrefixes[page]);
        auto *w = new QWidget(tabs_);
        w->setObjectName(prefix + QStringLiteral("_Info_TS"));
        bars_[page] = new QProgressBar(w);
        bars_[page]->setObjectName(prefix + QStringLiteral("_ConvertStatus_PB"));
        bars_[page]->setRange(0, 0);
        bars_[page]->setMaximum(1);
        bars_[page]->setValue(0);
        // The status line below gives the percentage, rounded as the tool counts it.
        bars_[page]->setTextVisible(false);
        status_[page] = new QLabel(w);
        status_[page]->setObjectName(prefix + QStringLiteral("_Status_Lab"));
        QPushButton *stop = button(w, prefix + QStringLiteral("_EnDis_Btn"));
        QPushButton *source = button(w, prefix + QStringLiteral("_SourceFolder_Btn"));
        QPushButton *saving = button(w, prefix + QStringLiteral("_SavingFolder_Btn"));
        QPushButton *closeButton = button(w, prefix + QStringLiteral("_Close_Btn"));
        connect(stop, &QPushButton::clicked, this, [this, page] { Q_EMIT stopClicked(page); });
        connect(source, &QPushButton::clicked, this, [this, page] { Q_EMIT sourceFolderClicked(page); });
        connect(saving, &QPushButton::clicked, this, [this, page] { Q_EMIT savingFolderClicked(page); });
        connect(closeButton, &QPushButton::clicked, this, &QDialog::hide);
        auto *row = new QHBoxLayout;
        row->addWidget(stop);
        row->addWidget(source);
        row->addWidget(saving);
        row->addStretch();
        row->addWidget(closeButton);
        auto *layout = new QVBoxLayout(w);
        layout->addWidget(bars_[page]);
        layout->addWidget(status_[page]);
        layout->addStretch();
        layout->addLayout(row);
        tabs_->addTab(w, QString());
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    setMinimumWidth(520);
    InfoSet();
}

void TToolInfoDlg::InfoSet()
{
    const auto caption = [this](const char *name) { return text_(QString::fromLatin1(name) + QStringLiteral("->Caption")); };
    setWindowTitle(caption("ToolInfoDlg"));
    for (int page = 0; page < 3; ++page)
        tabs_->setTabText(page, caption((QByteArray(kPagePrefixes[page]) + "_Info_TS").constData()));
    for (const auto &[l, key] : labels_)
        l->setText(caption(key));
    for (const auto &[b, key] : buttons_)
        if (key != "TITC_Enable_Btn")
            b->setText(caption(key.constData()));
    pageButton("TITC_Enable_Btn")->setText(text_(timedActive_ ? QStringLiteral("TCOM_Disable") : QStringLiteral("TCOM_Enable")));
    for (int page : {int(kVideoToImagesPage), int(kImagesToVideoPage)})
        status_[page]->setText(progressLine(progress_[page]));
}

void TToolInfoDlg::showPage(int page) { tabs_->setCurrentIndex(std::clamp(page, 0, 2)); }

int TToolInfoDlg::currentPage() const { return tabs_->currentIndex(); }

QLineEdit *TToolInfoDlg::timedField(const char *name) const
{
    for (const auto &[e, n] : timedFields_)
        if (qstrcmp(n, name) == 0)
            return e;
    return nullptr;
}

QLabel *TToolInfoDlg::statusLabel(int page) const { return status_[std::clamp(page, 0, 2)]; }
QProgressBar *TToolInfoDlg::progressBar(int page) const { return bars_[std::clamp(page, 0, 2)]; }

QPushButton *TToolInfoDlg::pageButton(const char *name) const
{
    for (const auto &[b, n] : buttons_)
        if (n == name)
            return b;
    return nullptr;
}

void TToolInfoDlg::refreshTimedCapture(const ScheduleRecord &running, const ScheduleRecord &settings)
{
    static constexpr std::array types{"BMP", "JPG", "AVI"};
    static constexpr std::array units{"TCOM_SS", "TCOM_MM", "TCOM_HH"};
    const auto unit = [this](int u) { return text_(QString::fromLatin1(units[std::clamp(u, 0, 2)])); };
    const auto line = [](long remaining, long total, const QString &what) {
        return QStringLiteral("%1 [ %2 %3]").arg(remaining).arg(total).arg(what);
    };
    timedField("TITC_FileType_LE")->setText(QString::fromLatin1(types[std::clamp(running.fileType, 0, 2)]));
    timedField("TITC_FileNum_LE")->setText(line(running.filesNumber, settings.filesNumber, text_(QStringLiteral("TCOM_Files"))));
    timedField("TITC_StartTime_LE")->setText(line(running.startTime, settings.startTime, unit(settings.startUnit)));
    timedField("TITC_IntervalTime_LE")->setText(line(running.interval, settings.interval, unit(settings.intervalUnit)));
    timedField("TITC_RecTime_LE")->setText(line(running.recordTime, settings.recordTime, unit(settings.recordUnit)));
    timedField("TITC_RecTime_LE")->setEnabled(running.isAvi());
    timedField("TITC_TotalTime_LE")->setText(line(running.totalSeconds, settings.totalSeconds, text_(QStringLiteral("TCOM_SS"))));
    timedActive_ = running.active;
    timedField("TITC_FuncStatus_LE")->setText(text_(running.active ? QStringLiteral("TCOM_Enable") : QStringLiteral("TCOM_Disable")));
    pageButton("TITC_Enable_Btn")->setText(text_(running.active ? QStringLiteral("TCOM_Disable") : QStringLiteral("TCOM_Enable")));
}

QString TToolInfoDlg::progressLine(const ConversionProgress &p) const
{
    const char *key = "TCOM_Ready";
    switch (p.status) {
    case ConversionStatus::Processing:
        key = "TCOM_Processing";
        break;
    case ConversionStatus::Finished:
        key = "TCOM_Finished";
        break;
    case ConversionStatus::Stopped:
        key = "TCOM_Disable";
        break;
    default:
        break;
    }
    return QStringLiteral("%1 %2%(%3/%4)").arg(text_(QString::fromLatin1(key))).arg(p.percent).arg(p.done).arg(p.total);
}

void TToolInfoDlg::setProgress(int page, const ConversionProgress &p)
{
    if (page != kVideoToImagesPage && page != kImagesToVideoPage)
        return;
    progress_[page] = p;
    bars_[page]->setRange(0, int(std::clamp<long long>(p.total, 1, INT_MAX)));
    bars_[page]->setValue(int(std::clamp<long long>(p.done, 0, INT_MAX)));
    status_[page]->setText(progressLine(p));
}

} // namespace tools::ui
