// The scale store file: first start, round trips, damaged and short stores, bad lines.
#include "scales/scalestore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scales;

namespace {

const BuiltInTexts kTexts{"Low", "High", "Non-contact"};

struct StoreFolder {
    QTemporaryDir dir;
    QStringList log;
    QString store() const { return dir.filePath("DATA/ScaleData_Temp.txt"); }
    QString marker() const { return dir.filePath("Sys/DefScaleData.ini"); }
    StoreFolder()
    {
        QDir().mkpath(dir.filePath("DATA"));
        QDir().mkpath(dir.filePath("Sys"));
        QFile m(marker());
        m.open(QIODevice::WriteOnly);
    }
    ScaleStore make() { return ScaleStore(store(), marker(), [this](const QString &l) { log << l; }); }
    QByteArray bytes(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeBytes(const QByteArray &b) const
    {
        QFile f(store());
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(b);
    }
};

QByteArray utf16(const char *ascii)
{
    QByteArray out;
    for (const char *p = ascii; *p; ++p) {
        out.append(*p);
        out.append('\0');
    }
    return out;
}

} // namespace

TEST(ScaleStore, FirstStartWritesTheTwoBuiltInScalesByteForByte)
{
    StoreFolder f;
    ScaleStore store = f.make();
    store.open(kTexts);
    const char *expected =
        "@Low[12.0cm,Non-contact]\r\n1\r\n0\r\n11800\r\n8850\r\n2\r\n2\r\n1\r\n1\r\n255\r\n0\r\n0\r\n0\r\n1\r\n3\r\n"
        "@High[0.50cm,Non-contact]\r\n2\r\n0\r\n170\r\n127\r\n2\r\n2\r\n1\r\n1\r\n255\r\n0\r\n0\r\n0\r\n1\r\n3\r\n";
    EXPECT_EQ(f.bytes(f.store()), QByteArray("\xFF\xFE", 2) + utf16(expected));
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(store.lines().size(), 30);
    EXPECT_TRUE(f.log.isEmpty());
    EXPECT_FALSE(QFile::exists(store.backupPath()));   // nothing to keep
}

TEST(ScaleStore, ScalesRoundTripThroughTheFileAndDeleteRenumbers)
{
    StoreFolder f;
    {
        ScaleStore store = f.make();
        store.open(kTexts);
        for (int i = 0; i < 3; ++i) {
            RulerScaleControl s = builtInScale(0, kTexts);
            s.name = QStringLiteral("Objective %1 µm").arg(i);   // not Latin-1: the file is UTF-16
            s.unit = ScaleUnit::Micrometre;
            setLengthsFromSpin(s, ScaleUnit::Micrometre, 1280 + i, 960);
            s.horizontalPosition = 3;
            s.verticalOrigin = 2;
            s.colour = 0x00FF00;
            s.monitorWidthMode = 1;
            s.manualMonitorWidthCm = 47.6f;
            s.monitorWidthUnit = 1;
            s.displayMagnification = false;
            s.magnificationMode = 2;
            store.append(s);
        }
        ASSERT_FALSE(store.write());
    }
    ScaleStore store = f.make();
    store.open(kTexts);
    ASSERT_EQ(store.count(), 5);
    const RulerScaleControl s = store.scaleAt(3);
    EXPECT_EQ(s.name, QStringLiteral("Objective 1 µm"));
    EXPECT_EQ(s.number, 4);
    EXPECT_EQ(s.unit, ScaleUnit::Micrometre);
    // Lines 3 and 4 hold hundredths of a mm whatever the unit: 1281 um is kept as 128.
    EXPECT_EQ(s.spinValues[0].horizontal, 128);
    EXPECT_EQ(s.spinValues[2].horizontal, 1280);
    EXPECT_EQ(s.horizontalPosition, 3);
    EXPECT_EQ(s.verticalOrigin, 2);
    EXPECT_EQ(s.colour, 0x00FF00u);
    EXPECT_EQ(s.monitorWidthMode, 1);
    EXPECT_FLOAT_EQ(s.manualMonitorWidthCm, 47.6f);
    EXPECT_EQ(s.monitorWidthUnit, 1);
    EXPECT_FALSE(s.displayMagnification);
    EXPECT_EQ(s.magnificationMode, 2);
    EXPECT_EQ(store.lines()[3 * 15 + 11], "47.6");   // "." whatever the locale

    // Deleting the fourth of five: the fifth becomes number 4.
    store.remove(3);
    ASSERT_EQ(store.count(), 4);
    EXPECT_EQ(store.lines()[3 * 15 + 1], "4");
    EXPECT_EQ(store.names()[3], QStringLiteral("Objective 2 µm"));
}

TEST(ScaleStore, ADamagedBuiltInEntryIsRebuiltAndTheOldStoreKept)
{
    StoreFolder f;
    ScaleStore store = f.make();
    store.open(kTexts);
    store.rename(0, "Low without the mark");
    RulerScaleControl mine = builtInScale(0, kTexts);
    mine.name = "mine";
    store.append(mine);
    ASSERT_FALSE(store.write());
    const QByteArray damaged = f.bytes(f.store());

    ScaleStore again = f.make();
    again.open(kTexts);
    ASSERT_TRUE(again.entryDamaged(0));
    EXPECT_FALSE(again.entryDamaged(2));   // only the first two must hold "@"
    EXPECT_EQ(again.repairDamaged(0, kTexts), ScaleStore::Repair::Rebuilt);
    EXPECT_EQ(f.bytes(again.backupPath()), damaged);
    EXPECT_EQ(again.count(), 2);
    EXPECT_EQ(again.names()[0], "@Low[12.0cm,Non-contact]");
    EXPECT_EQ(f.bytes(f.store()), ScaleStore::encode(again.lines()));

    // Without the marker file the store is removed (kept as .bak) and the list left alone.
    f.writeBytes(damaged);
    QFile::remove(f.marker());
    ScaleStore noMarker = f.make();
    noMarker.open(kTexts);
    EXPECT_EQ(noMarker.repairDamaged(0, kTexts), ScaleStore::Repair::Removed);
    EXPECT_FALSE(QFile::exists(f.store()));
    EXPECT_EQ(f.bytes(noMarker.backupPath()), damaged);
    EXPECT_EQ(noMarker.count(), 3);
}

TEST(ScaleStore, AShortStoreIsLoggedKeptAndRebuilt)
{
    StoreFolder f;
    const QByteArray shortStore = QByteArray("\xFF\xFE", 2) + utf16("@Low\r\n1\r\n0\r\n");
    f.writeBytes(shortStore);
    ScaleStore store = f.make();
    store.open(kTexts);
    EXPECT_TRUE(f.log.contains("Lines Count error"));
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(f.bytes(store.backupPath()), shortStore);
    EXPECT_EQ(f.bytes(f.store()), ScaleStore::encode(store.lines()));
}

TEST(ScaleStore, BadLinesTakeTheirDefaultsAndAreLogged)
{
    StoreFolder f;
    ScaleStore store = f.make();
    store.open(kTexts);
    QStringList lines = store.lines();
    lines[2] = "inch";         // unit
    lines[3] = "-5";           // negative length
    lines[5] = "7";            // position out of range
    lines[9] = "16777215";     // white
    lines[11] = "47,6";        // a comma from another locale
    lines[13] = "";            // display magnification
    // A hand-edited UTF-8 store without byte-order mark reads as well.
    QByteArray utf8;
    for (const QString &l : lines)
        utf8 += l.toUtf8() + "\n";
    f.writeBytes(utf8);
    store.open(kTexts);
    const RulerScaleControl s = store.scaleAt(0);
    EXPECT_EQ(s.unit, ScaleUnit::Millimetre);
    EXPECT_EQ(s.spinValues[0].horizontal, 0);
    EXPECT_EQ(s.horizontalPosition, 2);
    EXPECT_EQ(s.colour, 0xFFFFFEu);
    EXPECT_FLOAT_EQ(s.manualMonitorWidthCm, 47.6f);
    EXPECT_TRUE(s.displayMagnification);
    EXPECT_EQ(f.log.size(), 4) << f.log.join("\n").toStdString();
    EXPECT_TRUE(f.log[0].contains("\"inch\""));
}

TEST(ScaleStore, RetranslatedBuiltInNamesGoIntoLinesZeroAndFifteen)
{
    StoreFolder f;
    ScaleStore store = f.make();
    store.open(kTexts);
    store.retranslateBuiltIns({"Niedrig", "Hoch", "Berührungslos"});
    EXPECT_EQ(store.lines()[0], "@Niedrig[12.0cm,Berührungslos]");
    EXPECT_EQ(store.lines()[15], "@Hoch[0.50cm,Berührungslos]");
}

TEST(ScaleStore, LongScalesOfEveryUnitKeepTheirLengthThroughTheFile)
{
    StoreFolder folder;
    struct Row {
        ScaleUnit unit;
        std::int32_t h, v;      // spin values in the unit
        const char *hLine;      // line 3: hundredths of a mm
    };
    const Row rows[] = {
        {ScaleUnit::Micrometre, 200000, 150000, "20000"},   // not clamped to the mm field's 16500
        {ScaleUnit::Mil, 10000, 7500, "25401"},             // 25400 would read back as 9999 mil
        {ScaleUnit::Micrometre, 16500000, 12375000, "1650000"},
        {ScaleUnit::Mil, 649605, 487203, "1650000"},
        {ScaleUnit::Inch, 64960, 48720, "16500"},
        {ScaleUnit::Millimetre, 16500, 12375, "16500"},
        {ScaleUnit::Micrometre, 1280, 960, "128"},
    };
    ScaleStore store = folder.make();
    ASSERT_FALSE(store.open(kTexts));
    for (const Row &r : rows) {
        RulerScaleControl s;
        s.name = QString::number(int(r.unit)) + ":" + QString::number(r.h);
        s.unit = r.unit;
        setLengthsFromSpin(s, r.unit, r.h, r.v);
        store.append(s);
    }
    ASSERT_FALSE(store.write());
    ScaleStore reread = folder.make();
    ASSERT_TRUE(reread.load());
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row &r = rows[i];
        const int index = int(i) + kBuiltInScales;
        EXPECT_EQ(reread.lines()[index * 15 + 3], QString(r.hLine)) << r.h;
        const RulerScaleControl back = reread.scaleAt(index);
        EXPECT_EQ(back.spinValues[std::size_t(r.unit)].horizontal, r.h);
        EXPECT_EQ(back.spinValues[std::size_t(r.unit)].vertical, r.v);
    }
    EXPECT_TRUE(folder.log.isEmpty()) << folder.log.join("\n").toStdString();
}
