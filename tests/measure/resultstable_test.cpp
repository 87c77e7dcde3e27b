// The results table's rows against the labels on the picture, and the CSV they export.
#include "measure/exactnumbers.h"
#include "measure/measuringsession.h"
#include "measure/resultstable.h"
#include "csvreader.h"
#include "recordingcanvas.h"

#include "fakes.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <iostream>
#include <string>
#include <set>

namespace measure {
namespace {

using testing::RecordingCanvas;
using testing::parseCsv;

class Results : public ::testing::Test
{
protected:
    MeasuringSession s;
    std::shared_ptr<RecordingCanvas> canvas = std::make_shared<RecordingCanvas>();

    void SetUp() override
    {
        s.setGeometry({640, 480}, {640, 480});
        setScaleMm(640.0f, 480.0f);
        s.EntryMeasurementMode();
        s.setCanvasFactory([this](platform::Bitmap &) {
            struct Forward final : platform::Canvas {
                std::shared_ptr<RecordingCanvas> to;
                void setPen(int a, int b, platform::ColorRef c) override { to->setPen(a, b, c); }
                void moveTo(int x, int y) override { to->moveTo(x, y); }
                void lineTo(int x, int y) override { to->lineTo(x, y); }
                void ellipse(int l, int t, int r, int b) override { to->ellipse(l, t, r, b); }
                void rectangle(int l, int t, int r, int b) override { to->rectangle(l, t, r, b); }
                void arc(int l, int t, int r, int b, int a, int c, int d, int e) override { to->arc(l, t, r, b, a, c, d, e); }
                void fillRect(int l, int t, int r, int b, platform::ColorRef c) override { to->fillRect(l, t, r, b, c); }
                void setFont(int px, bool bold) override { to->setFont(px, bold); }
                void setTextColour(platform::ColorRef c) override { to->setTextColour(c); }
                void textOut(int x, int y, const QString &t) override { to->textOut(x, y, t); }
                int textWidth(const QString &t) override { return to->textWidth(t); }
                int textHeight(const QString &t) override { return to->textHeight(t); }
            };
            auto f = std::make_unique<Forward>();
            f->to = canvas;
            return f;
        });
        s.setOverlap(true);
    }
    void setScaleMm(float h, float v, const QString &name = QStringLiteral("Stage, \"10x\""))
    {
        scales::RulerScaleControl scale = scales::firstBuiltInScale();
        scale.name = name;
        scale.hLength = h;
        scale.vLength = v;
        s.setScale(scale);
    }
    void click(int x, int y)
    {
        s.press({PointerButton::Left, QPoint(x, y)});
        s.release({PointerButton::Left, QPoint(x, y)});
    }
    void draw(ShapeKind kind, std::initializer_list<QPoint> points)
    {
        s.selectTool(kind);
        for (QPoint p : points)
            click(p.x(), p.y());
        ASSERT_FALSE(s.inProgress());
    }
    // Every label text on the picture after a full repaint (the raised "2" of areas left out).
    std::multiset<QString> labelsOnPicture()
    {
        canvas->texts.clear();
        s.DrawUndoRedo();
        std::multiset<QString> out;
        for (const RecordingCanvas::Text &t : canvas->texts)
            if (t.text != QStringLiteral("2"))
                out.insert(t.text);
        return out;
    }
    static std::multiset<QString> labelsOfRows(const std::vector<ResultRow> &rows)
    {
        std::multiset<QString> out;
        for (const ResultRow &r : rows)
            out.insert(composeLabel(r.value.value, r.value.precision, r.value.unit, r.value.label).text);
        return out;
    }
    void drawFour()
    {
        draw(ShapeKind::Line, {{10, 10}, {110, 10}});
        draw(ShapeKind::TwoPointsCircle, {{200, 200}, {230, 240}});
        draw(ShapeKind::Rectangle, {{300, 50}, {400, 125}});
        draw(ShapeKind::ThreePointsAngle, {{100, 300}, {200, 300}, {100, 400}});
    }
};

TEST_F(Results, RowsAreTheLabelsOnThePictureAndFollowUndoRedoClearAndScale)
{
    drawFour();
    std::vector<ResultRow> rows = resultRows(s);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(labelsOfRows(rows), labelsOnPicture());
    // Numbers, tools, the values' columns and the points in picture pixels.
    EXPECT_EQ(rows[0].number, 1);
    EXPECT_EQ(rows[0].kind, ShapeKind::Line);
    EXPECT_EQ(resultCell(rows[0], LabelQuantity::Length), "100.000");
    EXPECT_EQ(resultCell(rows[0], LabelQuantity::Area), "");
    EXPECT_EQ(pointsCell(rows[0]), "10.0 10.0; 110.0 10.0");
    EXPECT_EQ(rows[1].value.quantity, LabelQuantity::Perimeter);   // circumference by default
    EXPECT_EQ(resultCell(rows[1], LabelQuantity::Perimeter), "157.080");   // diameter 50 mm
    EXPECT_EQ(resultCell(rows[2], LabelQuantity::Perimeter), "350.000");
    EXPECT_EQ(rows[3].value.quantity, LabelQuantity::Angle);
    EXPECT_EQ(resultCell(rows[3], LabelQuantity::Angle), "45.0");
    EXPECT_EQ(pointsCell(rows[3]), "100.0 300.0; 200.0 300.0; 100.0 400.0");
    EXPECT_EQ(toolName(rows[3].kind), "3 Points Angle");

    s.UndoList();
    rows = resultRows(s);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(labelsOfRows(rows), labelsOnPicture());
    s.RedoList();
    EXPECT_EQ(resultRows(s).size(), 4u);

    // Half the millimetres per pixel: every length halves, the angle stays.
    setScaleMm(320.0f, 240.0f);
    rows = resultRows(s);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(resultCell(rows[0], LabelQuantity::Length), "50.000");
    EXPECT_EQ(resultCell(rows[3], LabelQuantity::Angle), "45.0");
    EXPECT_EQ(labelsOfRows(rows), labelsOnPicture());

    s.ClearData(1);
    EXPECT_TRUE(resultRows(s).empty());
}

TEST_F(Results, ShapesWithSeveralValuesGiveOneRowEachAndAShapeInProgressNone)
{
    LabelSettings labels = s.labels();
    labels.ellipseItem = 3;   // short and long radius
    labels.squareItem = 2;    // area
    s.setLabelSettings(labels);
    draw(ShapeKind::Ellipse, {{100, 100}, {300, 200}});
    draw(ShapeKind::Square, {{400, 300}, {450, 350}});
    s.selectTool(ShapeKind::Line);
    click(10, 400);   // first point only
    const std::vector<ResultRow> rows = resultRows(s);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].value.letter, "sR");
    EXPECT_EQ(rows[1].value.letter, "lR");
    EXPECT_EQ(rows[0].number, rows[1].number);
    EXPECT_EQ(rows[2].value.quantity, LabelQuantity::Area);
    EXPECT_EQ(quantityUnit(LabelQuantity::Area, 0), QStringLiteral("mm\u00B2"));
}

TEST_F(Results, PointsAreInPicturePixelsWhenTheWindowIsNarrower)
{
    MeasuringSession narrow;
    narrow.setGeometry({320, 240}, {640, 480});
    scales::RulerScaleControl scale = scales::firstBuiltInScale();
    scale.hLength = 640.0f;
    scale.vLength = 480.0f;
    narrow.setScale(scale);
    narrow.EntryMeasurementMode();
    narrow.selectTool(ShapeKind::Line);
    for (QPoint p : {QPoint(10, 20), QPoint(110, 20)}) {
        narrow.press({PointerButton::Left, p});
        narrow.release({PointerButton::Left, p});
    }
    const std::vector<ResultRow> rows = resultRows(narrow);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(pointsCell(rows[0]), "20.0 40.0; 220.0 40.0");
    EXPECT_EQ(resultCell(rows[0], LabelQuantity::Length), "200.000");
}

// A German locale writes "1,5" for 1.5 through the locale-aware formatters; the file must not.
struct GermanLocale {
    QLocale previousQt;
    std::string previousC = std::setlocale(LC_NUMERIC, nullptr);
    bool cLocale = false;
    GermanLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
            if (std::setlocale(LC_NUMERIC, name)) {
                cLocale = true;
                break;
            }
    }
    ~GermanLocale()
    {
        QLocale::setDefault(previousQt);
        std::setlocale(LC_NUMERIC, previousC.c_str());
    }
};

TEST_F(Results, CsvRoundTripInAGermanLocaleKeepsTheLabelsDecimalPoints)
{
    GermanLocale german;
    if (german.cLocale)
        EXPECT_EQ(std::to_string(1.5), "1,500000");   // printf-style formatting really is German now
    else
        std::cout << "[   NOTE   ] no de_DE C locale installed: only Qt's default locale is German\n";
    EXPECT_EQ(QLocale().toString(1.5), "1,5");
    LabelSettings labels = s.labels();
    labels.precision = 4;
    s.setLabelSettings(labels);
    setScaleMm(1.0f, 0.75f);   // 1.00 mm over 640 px
    drawFour();
    const std::vector<ResultRow> rows = resultRows(s);
    const ResultsMetadata meta = resultsMetadata(s);

    QTemporaryDir dir;
    const QString path = dir.filePath("results.csv");
    ASSERT_FALSE(writeResultsCsv(path, rows, meta, builtInToolNames()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const std::vector<QStringList> csv = parseCsv(QString::fromUtf8(bytes));
    ASSERT_GE(csv.size(), 8u + rows.size());

    // The metadata block, the scale name quoted as RFC 4180 wants it.
    EXPECT_TRUE(bytes.startsWith("scale,\"Stage, \"\"10x\"\"\"\r\n"));
    EXPECT_EQ(csv[0], (QStringList{"scale", "Stage, \"10x\""}));
    EXPECT_EQ(csv[1], (QStringList{"unit", "mm"}));
    EXPECT_EQ(csv[2][0], "pixel width (mm)");
    EXPECT_DOUBLE_EQ(csv[2][1].toDouble(), double(1.0f) / 640);
    EXPECT_EQ(csv[3][0], "pixel height (mm)");
    EXPECT_DOUBLE_EQ(csv[3][1].toDouble(), double(0.75f) / 480);
    EXPECT_EQ(csv[4], (QStringList{"picture width (px)", "640"}));
    EXPECT_EQ(csv[6], QStringList{""});   // the blank line before the table

    const QStringList header = csv[7];
    EXPECT_EQ(header, (QStringList{"No.", "Tool", "Label", "Length (mm)", "Perimeter (mm)", "Area (mm\u00B2)",
                                   "Radius (mm)", "Diameter (mm)", "Angle (\u00B0)", "Points (px)",
                                   "Fit RMS (px)"}));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QStringList &line = csv[8 + i];
        ASSERT_EQ(line.size(), header.size());
        EXPECT_EQ(line[0].toInt(), rows[i].number);
        EXPECT_EQ(line[1], toolName(rows[i].kind));
        // Exactly one value per row, and it is the label's number at the label's precision.
        int filled = 0;
        for (int c = 3; c < 9; ++c) {
            if (line[c].isEmpty())
                continue;
            ++filled;
            bool ok = false;
            const double v = line[c].toDouble(&ok);   // QString::toDouble is C locale
            EXPECT_TRUE(ok) << line[c].toStdString();
            EXPECT_EQ(line[c].section(u'.', 1).size(), rows[i].value.precision) << line[c].toStdString();
            EXPECT_NEAR(v, rows[i].value.value, 0.5 * std::pow(10.0, -rows[i].value.precision));
            const QString label = composeLabel(rows[i].value.value, rows[i].value.precision, rows[i].value.unit,
                                               rows[i].value.label).text;
            EXPECT_TRUE(label.contains(u'=' + line[c])) << label.toStdString();
        }
        EXPECT_EQ(filled, 1);
    }
    EXPECT_EQ(csv[8][3], "0.1562");   // 100 px of 640 over 1 mm at four decimals, the tie to even
    EXPECT_EQ(labelsOfRows(rows), labelsOnPicture());
}

// Calibrated as 1.00 mm over 500 px, a 640 x 480 picture is 1.28 mm x 0.96 mm wide, kept as floats
// (1.2799999713897705): the CSV still says the 0.002 mm the user calibrated.
TEST_F(Results, CsvWritesTheCalibratedNumbersAndTheTablesToolNames)
{
    setScaleMm(1.28f, 0.96f, QStringLiteral("Stage"));
    draw(ShapeKind::TwoPointsCircle, {{100, 100}, {150, 100}});
    const std::vector<ResultRow> rows = resultRows(s);
    ToolNames names = builtInToolNames();
    names[std::size_t(ShapeKind::TwoPointsCircle)] = QStringLiteral("Circle (2 Points)");
    const QByteArray csv = resultsCsv(rows, resultsMetadata(s), names);
    EXPECT_TRUE(csv.startsWith("scale,Stage\r\nunit,mm\r\npixel width (mm),0.002\r\npixel height (mm),0.002\r\n"))
        << csv.toStdString();
    EXPECT_TRUE(csv.contains("\r\n1,Circle (2 Points),C,,0.314,")) << csv.toStdString();
    EXPECT_TRUE(resultsTsv(rows, 0, names).contains("\n1\tCircle (2 Points)\tC\t\t0.314\t"));
}

TEST(ExactNumbers, TypedDecimalsAndShortestTexts)
{
    EXPECT_EQ(typedValue(1.28f), 1.28);
    EXPECT_EQ(typedValue(0.96f) / 480, 0.002);
    EXPECT_NE(double(1.28f) / 640, 0.002);   // what the float itself gives
    EXPECT_EQ(shortestText(typedValue(1.28f) / 640), "0.002");
    EXPECT_EQ(shortestText(double(1.28f) / 640), "0.0019999999552965165");
    EXPECT_EQ(shortestText(100.1f), "100.1");
    EXPECT_EQ(shortestText(0.1 + 0.2), "0.30000000000000004");   // exact, not rounded
    EXPECT_EQ(shortestText(5000.0), "5000");
}

TEST(ResultsCsv, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    EXPECT_EQ(csvField("plain"), "plain");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(csvField(""), "");
}

TEST(ResultsCsv, AFailedWriteIsReportedAndLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    // A folder that cannot be created into (its parent is a file), whoever runs the test.
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_TRUE(writeResultsCsv(dir.filePath("blocker/results.csv"), {}, {}, builtInToolNames()));

    // A full disk halfway through: the earlier export stays as it was, and no temporary is left.
    const QString path = dir.filePath("results.csv");
    ResultsMetadata meta;
    meta.scaleName = "old";
    ASSERT_FALSE(writeResultsCsv(path, {}, meta, builtInToolNames()));
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    std::vector<ResultRow> many(5000);
    for (ResultRow &r : many)
        r.pointsPx = {QPointF(1, 2), QPointF(3, 4)};
    meta.scaleName = "new";
    {
        fakes::FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.ok);
        EXPECT_TRUE(writeResultsCsv(path, many, meta, builtInToolNames()));
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"blocker", "results.csv"}));
}

} // namespace
} // namespace measure
