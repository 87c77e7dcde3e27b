#include "measure/ui/resultstabledialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace measure::ui {
namespace {

constexpr int kFixedColumns = 3;   // number, tool, label

const char *quantityKey(LabelQuantity q)
{
    switch (q) {
    case LabelQuantity::Length: return "ResultsLength_Col";
    case LabelQuantity::Perimeter: return "ResultsPerimeter_Col";
    case LabelQuantity::Area: return "ResultsArea_Col";
    case LabelQuantity::Radius: return "ResultsRadius_Col";
    case LabelQuantity::Diameter: return "ResultsDiameter_Col";
    case LabelQuantity::Angle: return "ResultsAngle_Col";
    default: return "";
    }
}

} // namespace

ResultsTableDialog::ResultsTableDialog(TextLookup texts, QWidget *parent)
    : QDialog(parent, Qt::Tool), texts_(std::move(texts))
{
    setObjectName(QStringLiteral("ResultsTableDialog"));
    setModal(false);
    table_ = new QTableWidget(0, kFixedColumns + int(kResultQuantities.size()) + 2, this);   // + points, residual
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    copy_ = new QPushButton(this);
    export_ = new QPushButton(this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy_);
    buttons->addWidget(export_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    connect(copy_, &QPushButton::clicked, this, &ResultsTableDialog::copyRequested);
    connect(export_, &QPushButton::clicked, this, &ResultsTableDialog::exportRequested);
    resize(860, 300);
    retranslate();
}

void ResultsTableDialog::setRows(const std::vector<ResultRow> &rows, int scaleUnitIndex)
{
    rows_ = rows;
    unitIndex_ = scaleUnitIndex;
    fill();
}

void ResultsTableDialog::retranslate()
{
    setWindowTitle(texts_(QStringLiteral("ResultsTitle_Dlg")));
    copy_->setText(texts_(QStringLiteral("ResultsCopy_Btn")));
    export_->setText(texts_(QStringLiteral("ResultsExport_Btn")));
    fill();
}

ToolNames ResultsTableDialog::toolNames(const TextLookup &texts)
{
    ToolNames names = builtInToolNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string_view item = kShapeToolMenu[i].itemName;
        const QString caption =
            texts(QString::fromLatin1(item.data(), qsizetype(item.size())) + QStringLiteral("->Caption")).trimmed();
        if (!caption.isEmpty())
            names[i] = caption;
    }
    return names;
}

void ResultsTableDialog::fill()
{
    QStringList headers{texts_(QStringLiteral("ResultsNumber_Col")), texts_(QStringLiteral("ResultsTool_Col")),
                        texts_(QStringLiteral("ResultsLabel_Col"))};
    for (LabelQuantity q : kResultQuantities)
        headers << texts_(QLatin1String(quantityKey(q))) + QStringLiteral(" (") + quantityUnit(q, unitIndex_) + u')';
    headers << texts_(QStringLiteral("ResultsPoints_Col")) << texts_(QStringLiteral("ResultsResidual_Col"));
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(int(rows_.size()));
    const ToolNames names = toolNames(texts_);
    for (int r = 0; r < int(rows_.size()); ++r) {
        const ResultRow &row = rows_[std::size_t(r)];
        const QString &tool = names[std::size_t(std::clamp(int(row.kind), 0, kShapeKindCount - 1))];
        QStringList cells{QString::number(row.number), tool, row.value.letter};
        for (LabelQuantity q : kResultQuantities)
            cells << resultCell(row, q);
        cells << pointsCell(row) << residualCell(row);
        for (int c = 0; c < cells.size(); ++c) {
            auto *cell = new QTableWidgetItem(cells[c]);
            if (c != 1 && c != 2 && c != cells.size() - 2)   // text columns left, numbers right
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c, cell);
        }
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    // Wide enough for every column (long point lists widen theirs), within the screen.
    const QMargins margins = layout()->contentsMargins();
    int needed = table_->horizontalHeader()->length() + 2 * table_->frameWidth()
                 + table_->verticalScrollBar()->sizeHint().width() + margins.left() + margins.right();
    if (const QScreen *s = screen())
        needed = std::min(needed, s->availableGeometry().width());
    if (needed > width())
        resize(needed, height());
}

} // namespace measure::ui
