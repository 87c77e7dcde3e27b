#pragma once

// The whole program on the virtual camera, built as main() builds it, with every question the
// message box would ask answered OK (or as scripted) and remembered, and the other dialogs
// answered as scripted (cancelled unless a test says otherwise).
#include "app/main/systemservices.h"
#include "app/ui/mainwindow.h"
#include "app/ui/messagepresenter.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"
#include "camera/ui/cameracontroller.h"
#include "camera/videocamerads.h"
#include "feature/ui/controls.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"
#include "tools/ui/img2viddialog.h"

#include "fakes.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringList>

#include <functional>

#include <memory>

namespace wholeprogram {

struct AnswerOk final : app::ui::MessagePresenter {
    QStringList texts;
    QList<int> answers;   // the next answers, first to last; OK once they run out
    std::function<void(const QString &text)> whileOpen;   // looks at the window while a box is open
    int show(const QString &text, const QString &, bool, int) override
    {
        texts << text;
        if (whileOpen)
            whileOpen(text);
        return answers.isEmpty() ? app::ui::kResultOk : answers.takeFirst();
    }
};

struct Program {
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    platform::DiagnosticsLog log;
    AnswerOk presenter;
    fakes::ScriptedDialogs dialogs;
    // Built before the program and destroyed after it.
    std::unique_ptr<::app::SystemServices> system;
    std::unique_ptr<app::ui::SendraApplication> app;

    Program()
    {
        qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "1");
        system = std::make_unique<::app::SystemServices>(QStringLiteral(SENDRA_PROGRAM_DIR), log);
        app = std::make_unique<app::ui::SendraApplication>(QStringLiteral(SENDRA_PROGRAM_DIR), log, clock,
                                                           system->services(), &presenter, &dialogs);
        app->window().show();
    }
    ~Program() { qunsetenv("SENDRA_CAM_VIRTUAL_CAMERA"); }

    app::ui::Shell &shell() { return app->shell(); }

    // Connect pressed on the virtual camera; true once a frame has arrived.
    bool connect()
    {
        app::ui::Shell &w = shell();
        w.UpdateActions();
        if (!w.state().flags().DeviceFound)
            return false;
        QSignalSpy frames(&app->camera().camera(), &camera::TVideoCameraDS::frameReady);
        w.controls().mainButton(state::ControlId::Connect_Btn)->click();
        return w.state().flags().VideoConnected && (frames.count() > 0 || frames.wait(5000));
    }

    // After the idle-time rules have run.
    bool enabled(state::ControlId id)
    {
        shell().UpdateActions();
        return shell().controls().action(id)->isEnabled();
    }

    // Images to Video from the Tools menu, answered as a user would: `count` BMP pictures of
    // 320 x 240 (p00.bmp ... in shades of red) in the BMP folder's "series", all chosen, into
    // "out" below the AVI folder as I2Vvid.avi. False when the pictures could not be written;
    // `out` is the output folder.
    bool startImagesToVideo(int count, QString &out)
    {
        const QString pictures = shell().paths().defListPath[state::kListBmp] + QStringLiteral("/series");
        out = shell().paths().defListPath[state::kListAvi] + QStringLiteral("/out");
        if (!QDir().mkpath(pictures) || !QDir().mkpath(out))
            return false;
        for (int i = 0; i < count; ++i)
            if (!platform::writeBmpFile(pictures + QStringLiteral("/p%1.bmp").arg(i, 2, 10, QLatin1Char('0')),
                                        platform::Bitmap(320, 240, platform::rgbColor(i * 4, 0, 0)))
                     .ok())
                return false;
        dialogs.other = [pictures, out](QDialog &d) {
            auto &dlg = static_cast<tools::ui::TImg2VidDlg &>(d);
            dlg.setInputType(false);
            dlg.setOpenFolder(pictures);
            dlg.setSaveFolder(out);
            dlg.setFileNameMode(1);
            dlg.selectAll();
            dlg.I2V_Execute_BtnClick();
            return dlg.result();
        };
        if (!enabled(state::ControlId::Img2Vid_Tool))
            return false;
        shell().controls().action(state::ControlId::Img2Vid_Tool)->trigger();
        return true;
    }
};

} // namespace wholeprogram
