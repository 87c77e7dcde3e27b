// The scale library: the operations of the scale dialog on a real store file, and every failed
// write of the store reported with its file and reason.
#include "scales/scalelibrary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

using namespace scales;

namespace {

struct LibraryRig {
    QTemporaryDir dir;
    QStringList log;
    std::vector<StoreWriteFailure> failures;
    float detectedCm = 0;

    QString store() const { return dir.filePath("DATA/ScaleData_Temp.txt"); }
    QString marker() const { return dir.filePath("Sys/DefScaleData.ini"); }
    LibraryRig()
    {
        QDir().mkpath(dir.filePath("DATA"));
        QDir().mkpath(dir.filePath("Sys"));
        QFile m(marker());
        m.open(QIODevice::WriteOnly);
    }
    std::unique_ptr<ScaleLibrary> open()
    {
        ScaleLibrary::Deps deps;
        deps.storeFile = store();
        deps.markerFile = marker();
        deps.log = [this](const QString &l) { log << l; };
        deps.builtInTexts = [] { return BuiltInTexts{"Low", "High", "Non-contact"}; };
        deps.detectedMonitorWidthCm = [this] { return detectedCm; };
        deps.writeFailed = [this](const StoreWriteFailure &f) { failures.push_back(f); };
        auto library = std::make_unique<ScaleLibrary>(std::move(deps));
        library->open();
        return library;
    }
    // From now on the store cannot be replaced: a folder (not empty) stands where the file was.
    void blockTheStore() const
    {
        QFile::remove(store());
        QDir().mkpath(store());
        QFile inside(store() + "/keep");
        inside.open(QIODevice::WriteOnly);
    }
    QStringList namesOnDisk() const
    {
        ScaleStore s(store(), marker());
        return s.load() ? s.names() : QStringList();
    }
};

TEST(ScaleLibrary, NewRenameSaveAndDeleteReachTheFile)
{
    LibraryRig rig;
    rig.detectedCm = 47.6f;
    auto library = rig.open();
    EXPECT_EQ(library->current().name, "@Low[12.0cm,Non-contact]");

    ASSERT_FALSE(library->addNew("10x objective", 0xFFFFFF, 2));
    EXPECT_EQ(library->selected(), 2);
    EXPECT_EQ(library->current().colour, 0xFFFFFEu) << "white is the transparency key";
    EXPECT_EQ(library->current().magnificationMode, 2);
    EXPECT_FLOAT_EQ(library->current().manualMonitorWidthCm, 47.6f);
    EXPECT_EQ(library->current().spinValues[0].horizontal, 0);

    ASSERT_FALSE(library->renameSelected("20x objective"));
    EXPECT_EQ(library->current().name, "20x objective");

    ScaleControls c = controlsFor(library->current());
    c.hSpin = 400;   // 4.00 mm across the window
    c.vSpin = 300;
    ASSERT_FALSE(library->saveSelected(c));
    EXPECT_FLOAT_EQ(library->current().hLength, 4.0f);
    EXPECT_EQ(rig.namesOnDisk(), (QStringList{"@Low[12.0cm,Non-contact]", "@High[0.50cm,Non-contact]", "20x objective"}));
    {
        ScaleStore reread(rig.store(), rig.marker());
        ASSERT_TRUE(reread.load());
        EXPECT_EQ(reread.lines()[2 * 15 + 3], "400");
    }

    ASSERT_FALSE(library->removeSelected());
    EXPECT_EQ(library->selected(), 1) << "the scale before the deleted one is selected";
    EXPECT_EQ(rig.namesOnDisk().size(), 2);
    EXPECT_TRUE(rig.failures.empty());
}

TEST(ScaleLibrary, DeletingFromTheMiddleSelectsTheScaleBeforeAndRenumbers)
{
    LibraryRig rig;
    auto library = rig.open();
    for (const char *name : {"a", "b", "c"})
        ASSERT_FALSE(library->addNew(name, 0x0000FF, 0));
    library->select(3);   // "b"
    ASSERT_FALSE(library->removeSelected());
    EXPECT_EQ(library->selected(), 2);
    EXPECT_EQ(library->current().name, "a");
    ScaleStore reread(rig.store(), rig.marker());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.names().mid(2), (QStringList{"a", "c"}));
    EXPECT_EQ(reread.lines()[3 * 15 + 1], "4") << "c moved up to number 4";
}

TEST(ScaleLibrary, BuiltInScalesAreNeitherRenamedNorDeleted)
{
    LibraryRig rig;
    auto library = rig.open();
    library->select(1);
    EXPECT_FALSE(library->renameSelected("mine"));
    EXPECT_FALSE(library->removeSelected());
    EXPECT_EQ(rig.namesOnDisk(), (QStringList{"@Low[12.0cm,Non-contact]", "@High[0.50cm,Non-contact]"}));
}

TEST(ScaleLibrary, RulerDefaultShowsTheBuiltInScalesUntilDropped)
{
    LibraryRig rig;
    auto library = rig.open();
    ASSERT_FALSE(library->addNew("mine", 0x0000FF, 0));
    ASSERT_TRUE(library->showDefaults());
    EXPECT_EQ(library->count(), 2);
    EXPECT_EQ(library->selected(), 0);
    EXPECT_EQ(rig.namesOnDisk().size(), 3) << "nothing is written before a Save";
    library->dropDefaults();
    EXPECT_EQ(library->count(), 3);

    QFile::remove(rig.marker());
    EXPECT_FALSE(library->showDefaults()) << "without the marker file the list stays";
    EXPECT_EQ(library->count(), 3);
}

// Every operation that writes the store, against a store that can no longer be replaced: each
// failure is reported once, naming the file and the reason, and none passes for a success.
struct FailingWrite {
    const char *operation;
    std::function<std::error_code(ScaleLibrary &)> run;
};

void PrintTo(const FailingWrite &write, std::ostream *os) { *os << write.operation; }

class ScaleLibraryWriteFailure : public ::testing::TestWithParam<FailingWrite> {};

TEST_P(ScaleLibraryWriteFailure, IsReportedWithTheFileAndTheReason)
{
    LibraryRig rig;
    auto library = rig.open();
    ASSERT_FALSE(library->addNew("mine", 0x0000FF, 0));
    ASSERT_TRUE(rig.failures.empty());
    rig.blockTheStore();

    const std::error_code returned = GetParam().run(*library);
    ASSERT_EQ(rig.failures.size(), 1u) << GetParam().operation;
    EXPECT_EQ(rig.failures[0].file, rig.store());
    EXPECT_EQ(rig.failures[0].error, std::error_code(EISDIR, std::generic_category()))
        << rig.failures[0].error.message();
    EXPECT_EQ(returned, rig.failures[0].error);
    EXPECT_TRUE(rig.log.join('\n').contains("Scale store not written")) << "the log names the failure too";
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ScaleLibraryWriteFailure,
    ::testing::Values(FailingWrite{"New", [](ScaleLibrary &l) { return l.addNew("another", 0x0000FF, 0); }},
                      FailingWrite{"Rename", [](ScaleLibrary &l) { return l.renameSelected("renamed"); }},
                      FailingWrite{"Delete", [](ScaleLibrary &l) { return l.removeSelected(); }},
                      FailingWrite{"Save",
                                   [](ScaleLibrary &l) {
                                       ScaleControls c = controlsFor(l.current());
                                       c.hSpin = 1000;
                                       return l.saveSelected(c);
                                   }},
                      FailingWrite{"FromPicture",
                                   [](ScaleLibrary &l) {
                                       RulerScaleControl s = l.current();
                                       s.name = "from a picture";
                                       return l.add(s);
                                   }},
                      FailingWrite{"LanguageChange",
                                   [](ScaleLibrary &l) {
                                       l.retranslate();
                                       return std::error_code(EISDIR, std::generic_category());
                                   }},
                      FailingWrite{"Reload", [](ScaleLibrary &l) {
                                       // The folder reads as no store at all: rebuilt and written.
                                       l.reload();
                                       return std::error_code(EISDIR, std::generic_category());
                                   }}),
    [](const ::testing::TestParamInfo<FailingWrite> &info) { return std::string(info.param.operation); });

TEST(ScaleLibrary, ADamagedBuiltInEntryIsRebuiltWhenSelected)
{
    LibraryRig rig;
    {
        auto library = rig.open();
        ScaleStore s(rig.store(), rig.marker());
        ASSERT_TRUE(s.load());
        s.rename(1, "broken");   // a built-in entry without "@"
        ASSERT_FALSE(s.write());
    }
    auto library = rig.open();
    // Selecting the damaged entry keeps the store as .bak and writes the rebuilt one.
    EXPECT_TRUE(library->select(1));
    EXPECT_EQ(library->selected(), 0);
    EXPECT_TRUE(QFile::exists(rig.store() + ".bak"));
    EXPECT_TRUE(rig.failures.empty());
}

} // namespace

TEST(ScaleLibrary, TheRememberedScaleIsSelectedByNameAndAVanishedNameFallsBackToTheFirst)
{
    LibraryRig rig;
    auto library = rig.open();
    for (const char *name : {"5x", "Micro1mm"})
        ASSERT_FALSE(library->addNew(name, 0x0000FF, 0));
    struct Row {
        QStringList remembered;   // the camera's, then the settings'
        int selected;
    };
    const Row rows[] = {
        {{"Micro1mm", "5x"}, 3},     // the camera's own wins
        {{"", "5x"}, 2},             // a camera that never chose: the one chosen last
        {{"gone", "Micro1mm"}, 3},   // a deleted name is passed over
        {{"gone", "also gone"}, 0},  // nothing known: the first scale
        {{}, 0},
    };
    for (const Row &r : rows) {
        library->select(1);
        EXPECT_EQ(library->selectFirstOf(r.remembered), r.selected) << r.remembered.join(",").toStdString();
        EXPECT_EQ(library->current().name, library->names()[r.selected]);
    }
}

TEST(ScaleLibrary, ACalibrationKeepsItsPictureSizeAndCameraBesideAStoreThatStaysAsItWas)
{
    LibraryRig rig;
    {
        auto library = rig.open();
        ASSERT_FALSE(library->addNew("Micro1mm", 0x0000FF, 0));
        ScaleControls c = controlsFor(library->current());
        c.hSpin = 128;
        c.vSpin = 96;
        const ScaleFact measured{QSize(1600, 1200), "eb1a:5060:vcam0"};
        ASSERT_FALSE(library->saveSelected(c, &measured));
        EXPECT_EQ(library->current().calibratedSize, QSize(1600, 1200));
        // A later Save without a calibration keeps what the lengths were measured against.
        c.horizontalPosition = 1;
        ASSERT_FALSE(library->saveSelected(c));
    }
    // The store keeps its 15 lines a scale; the facts are in the side file.
    ScaleStore reread(rig.store(), rig.marker());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.lines().size(), 3 * 15);
    EXPECT_EQ(reread.lines().mid(30, 5), (QStringList{"Micro1mm", "3", "0", "128", "96"}));
    QFile side(ScaleFacts::pathFor(rig.store()));
    ASSERT_TRUE(side.open(QIODevice::ReadOnly));
    EXPECT_EQ(side.readAll(), "[Scale 1]\nName=Micro1mm\nCalibratedSize=1600x1200\nCamera=eb1a:5060:vcam0\n");
    side.close();

    auto again = rig.open();
    again->select(again->find("Micro1mm"));
    EXPECT_EQ(again->current().calibratedSize, QSize(1600, 1200));
    EXPECT_EQ(again->current().cameraKey, "eb1a:5060:vcam0");
    EXPECT_EQ(again->scaleCameraKey(2), "eb1a:5060:vcam0");
    // The facts follow a rename and go with a delete.
    ASSERT_FALSE(again->renameSelected("Micro 1 mm"));
    again->select(2);
    EXPECT_EQ(again->current().calibratedSize, QSize(1600, 1200));
    ASSERT_FALSE(again->removeSelected());
    ASSERT_TRUE(side.open(QIODevice::ReadOnly));
    EXPECT_EQ(side.readAll(), "");
    EXPECT_TRUE(rig.failures.empty());
}

TEST(ScaleLibrary, ANewScaleWithoutADetectedMonitorKeepsTheWidthTypedForTheCurrentOne)
{
    LibraryRig rig;   // no monitor description, as under Xvfb
    auto library = rig.open();
    ScaleControls c = controlsFor(library->current());
    c.monitorWidthMode = 1;
    c.manualMonitorWidthCm = 40.6f;
    ASSERT_FALSE(library->saveSelected(c));
    ASSERT_FALSE(library->addNew("10x", 0x0000FF, 3));
    EXPECT_FLOAT_EQ(library->current().manualMonitorWidthCm, 40.6f);
    EXPECT_EQ(library->current().monitorWidthMode, 1);
}
