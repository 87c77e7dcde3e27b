#pragma once

#include "measure/resultstable.h"

#include <QDialog>

#include <functional>
#include <vector>

class QPushButton;
class QTableWidget;

namespace measure::ui {

// The results table: a tool window listing every value written on the picture, one row per label
// value, with Copy and Export buttons whose work the owner does. Texts come from the language file
// through `texts`. UI thread.
class ResultsTableDialog final : public QDialog
{
    Q_OBJECT
public:
    using TextLookup = std::function<QString(const QString &key)>;
    explicit ResultsTableDialog(TextLookup texts, QWidget *parent = nullptr);

    // Replaces the rows; the unit index gives the column headers' units.
    void setRows(const std::vector<ResultRow> &rows, int scaleUnitIndex);
    // Title, buttons, headers and tool names in the current language.
    void retranslate();
    // The tool names the table shows, in the current language (the draw style menu's captions;
    // the built-in caption where the language has none). The clipboard and the CSV use them too.
    static ToolNames toolNames(const TextLookup &texts);

    QTableWidget *table() const { return table_; }
    QPushButton *copyButton() const { return copy_; }
    QPushButton *exportButton() const { return export_; }

Q_SIGNALS:
    void copyRequested();
    void exportRequested();

private:
    void fill();

    TextLookup texts_;
    QTableWidget *table_ = nullptr;
    QPushButton *copy_ = nullptr;
    QPushButton *export_ = nullptr;
    std::vector<ResultRow> rows_;
    int unitIndex_ = 0;
};

} // namespace measure::ui
