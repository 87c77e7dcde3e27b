// The camera dialogs as the user first sees them: where they open, what their title bar offers,
// and that every word in them is the caller's (the interface language), even after Qt announces
// a language change of its own.
#include "camera/ui/compressorfilterdialog.h"
#include "camera/ui/encodersettingsdialog.h"
#include "camera/ui/videoformatdialog.h"
#include "camera/ui/videosourcedialog.h"
#include "platform/controldevice.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

class OneControl final : public platform::ControlDevice
{
public:
    std::vector<platform::ControlInfo> controls() override
    {
        platform::ControlInfo brightness;
        brightness.id = 0x00980900;
        brightness.name = QStringLiteral("Brightness");
        brightness.type = platform::ControlType::Integer;
        brightness.maximum = 255;
        return {brightness};
    }
    std::optional<platform::ControlInfo> info(std::uint32_t) override { return std::nullopt; }
    std::optional<int> value(std::uint32_t) override { return 128; }
    std::error_code setValue(std::uint32_t, int) override { return {}; }
};

struct Made {
    const char *name;
    std::function<std::unique_ptr<QDialog>(QWidget *parent)> make;
};

std::vector<Made> everyDialog()
{
    static OneControl device;
    return {
        {"format", [](QWidget *p) { return std::make_unique<camera::ui::VideoFormatDialog>(p); }},
        {"source", [](QWidget *p) { return std::make_unique<camera::ui::VideoSourceDialog>(device, p); }},
        {"compressor", [](QWidget *p) { return std::make_unique<camera::ui::TCompressorFilterDlg>(p); }},
        {"encoder",
         [](QWidget *p) {
             platform::EncoderProperty quality;
             quality.name = QStringLiteral("quality");
             quality.type = platform::EncoderProperty::Type::Integer;
             quality.maximum = 100;
             quality.value = QStringLiteral("85");
             return std::make_unique<camera::ui::EncoderSettingsDialog>(QStringLiteral("JPEG"),
                                                                         std::vector{quality},
                                                                         std::vector<platform::EncoderSetting>{}, p);
         }},
    };
}

// Qt's own announcement that the language changed, as installing a translator sends it.
void announceLanguageChange(QWidget &w)
{
    QEvent change(QEvent::LanguageChange);
    QApplication::sendEvent(&w, &change);
}

} // namespace

TEST(CameraDialogs, TitleBarOffersCloseButNeitherMinimiseNorMaximise)
{
    for (const Made &m : everyDialog()) {
        const auto d = m.make(nullptr);
        const Qt::WindowFlags f = d->windowFlags();
        EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Dialog) << m.name;
        EXPECT_TRUE(f & Qt::CustomizeWindowHint) << m.name << ": the window manager would add its own buttons";
        EXPECT_TRUE(f & Qt::WindowTitleHint) << m.name;
        EXPECT_TRUE(f & Qt::WindowCloseButtonHint) << m.name;
        EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint) << m.name;
        EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint) << m.name;
    }
}

TEST(CameraDialogs, OpenCentredOnTheirParentWindowWhereverItIs)
{
    QWidget owner;
    for (const QRect &placed : {QRect(40, 30, 700, 520), QRect(210, 160, 420, 300)}) {
        owner.setGeometry(placed);
        owner.show();
        for (const Made &m : everyDialog()) {
            const auto d = m.make(&owner);
            d->show();
            const QPoint expected = owner.frameGeometry().center();
            const QPoint shown = d->frameGeometry().center();
            EXPECT_LE(std::abs(shown.x() - expected.x()), 1) << m.name << " at " << placed.x();
            EXPECT_LE(std::abs(shown.y() - expected.y()), 1) << m.name << " at " << placed.x();
            d->hide();
        }
    }
}

TEST(CameraDialogs, FormatDialogShowsOnlyTheCallersWordsAndKeepsThemThroughQtsLanguageChange)
{
    camera::ui::VideoFormatDialog d;
    EXPECT_EQ(d.formatLabel()->text(), "");   // no word of its own until the caller speaks
    EXPECT_EQ(d.okButton()->text(), "");
    d.setTexts({"Videoformat", "Format", "Größe", "Bildrate", "Übernehmen", "Abbruch"});
    announceLanguageChange(d);
    EXPECT_EQ(d.windowTitle(), "Videoformat");
    EXPECT_EQ(d.formatLabel()->text(), "Format");
    EXPECT_EQ(d.sizeLabel()->text(), "Größe");
    EXPECT_EQ(d.rateLabel()->text(), "Bildrate");
    EXPECT_EQ(d.okButton()->text(), "Übernehmen");
    EXPECT_EQ(d.cancelButton()->text(), "Abbruch");
}

TEST(CameraDialogs, SourceAndEncoderButtonsKeepTheCallersWordsThroughQtsLanguageChange)
{
    OneControl device;
    camera::ui::VideoSourceDialog source(device);
    source.setTexts({"Videoquelle", "Fertig"});
    announceLanguageChange(source);
    EXPECT_EQ(source.windowTitle(), "Videoquelle");
    EXPECT_EQ(source.closeButton()->text(), "Fertig");

    const auto made = everyDialog()[3].make(nullptr);
    auto *encoder = qobject_cast<camera::ui::EncoderSettingsDialog *>(made.get());
    ASSERT_TRUE(encoder);
    encoder->setButtonTexts("Gut", "Lieber nicht");
    announceLanguageChange(*encoder);
    EXPECT_EQ(encoder->okButton()->text(), "Gut");
    EXPECT_EQ(encoder->cancelButton()->text(), "Lieber nicht");
}

TEST(CameraDialogs, CompressorListNamesItsFirstEntryInTheLanguageAndRenamesItLater)
{
    camera::ui::TCompressorFilterDlg d;
    d.setTexts({"Titel", "Wählen", "Gut", "Nein", "Ohne"});
    d.prepare({});
    ASSERT_EQ(d.comboBox()->count(), 1);
    EXPECT_EQ(d.comboBox()->itemText(0), "Ohne");
    EXPECT_EQ(d.findChild<QPushButton *>("OKBtn")->text(), "Gut");

    d.setTexts({"Title", "Choose", "OK", "Cancel", "None"});   // a language change while it lives
    announceLanguageChange(d);
    EXPECT_EQ(d.comboBox()->itemText(0), "None");
    EXPECT_EQ(d.findChild<QPushButton *>("OKBtn")->text(), "OK");
    EXPECT_EQ(d.findChild<QPushButton *>("CancelBtn")->text(), "Cancel");
    EXPECT_EQ(d.findChild<QLabel *>("CompressOptionInfo")->text(), "Choose");
    EXPECT_EQ(d.windowTitle(), "Title");
}
