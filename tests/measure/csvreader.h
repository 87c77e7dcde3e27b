#pragma once

// Reading back the CSV files the program writes, for tests that check what a reader gets.
#include <QString>
#include <QStringList>

#include <vector>

namespace measure::testing {

// A plain RFC 4180 reader: quoted fields may hold commas, quotes ("") and line breaks.
inline std::vector<QStringList> parseCsv(const QString &text)
{
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << field;
            field.clear();
        } else if (c == u'\r') {
            continue;
        } else if (c == u'\n') {
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty())
        rows.push_back(row << field);
    return rows;
}

} // namespace measure::testing
