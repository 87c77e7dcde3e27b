#include "measure/labelsettingsstore.h"

#include <array>
#include <cstddef>
#include <optional>

namespace measure {
namespace {

const QString kSection = QStringLiteral("MeasureInfo");

// One kept item: its key, its field and its range.
struct ItemKey {
    const char *key;
    std::int32_t LabelSettings::*field;
    int high;
};
constexpr std::array<ItemKey, 6> kItems{{
    {"LineItem", &LabelSettings::lineItem, 1},
    {"SquareItem", &LabelSettings::squareItem, 2},
    {"CircleItem", &LabelSettings::circleItem, 4},
    {"EllipseItem", &LabelSettings::ellipseItem, 4},
    {"ArcItem", &LabelSettings::arcItem, 5},
    {"ArchItem", &LabelSettings::archItem, 6},
}};

std::optional<qint64> number(const platform::ProfileStore &store, const char *key, qint64 low, qint64 high)
{
    const std::optional<QString> text = store.read(kSection, QLatin1String(key));
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qint64 v = text->trimmed().toLongLong(&ok);
    return ok && v >= low && v <= high ? std::optional(v) : std::nullopt;
}

} // namespace

std::vector<platform::ProfileEntry> labelSettingsEntries(const LabelSettings &s)
{
    std::vector<platform::ProfileEntry> out;
    for (const ItemKey &item : kItems)
        out.push_back({kSection, QLatin1String(item.key), QString::number(s.*item.field)});
    out.push_back({kSection, QStringLiteral("DisplayUnit"), s.displayUnit ? QStringLiteral("1") : QStringLiteral("0")});
    out.push_back({kSection, QStringLiteral("Precision"), QString::number(s.precision)});
    out.push_back({kSection, QStringLiteral("LabelColour"), QString::number(s.labelColour & 0xFFFFFF)});
    return out;
}

LabelSettings readLabelSettings(const platform::ProfileStore &store)
{
    LabelSettings s;
    for (const ItemKey &item : kItems)
        if (const auto v = number(store, item.key, 0, item.high))
            s.*item.field = std::int32_t(*v);
    if (const auto v = number(store, "DisplayUnit", 0, 1))
        s.displayUnit = *v == 1;
    if (const auto v = number(store, "Precision", 1, 9))
        s.precision = std::int32_t(*v);
    if (const auto v = number(store, "LabelColour", 0, 0xFFFFFF))
        s.labelColour = storableColour(platform::ColorRef(*v));
    return s;
}

} // namespace measure
