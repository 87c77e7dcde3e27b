#pragma once

// The whole program on the virtual camera as main() builds it, with its own message box and its
// own modal loops (nothing answered by a script), shown on the screen: for the tests that run
// under a real X server and window manager (with-openbox.sh).
#include "app/main/systemservices.h"
#include "app/ui/mainwindow.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"
#include "camera/ui/cameracontroller.h"
#include "camera/videocamerads.h"
#include "feature/ui/controls.h"
#include "platform/diagnosticslog.h"

#include "fakes.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

struct RealProgram {
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    platform::DiagnosticsLog log;
    std::unique_ptr<app::SystemServices> system;
    std::unique_ptr<app::ui::SendraApplication> app;

    RealProgram()
    {
        qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "1");
        system = std::make_unique<app::SystemServices>(QStringLiteral(SENDRA_PROGRAM_DIR), log);
        app = std::make_unique<app::ui::SendraApplication>(QStringLiteral(SENDRA_PROGRAM_DIR), log, clock,
                                                           system->services());
        app->window().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&app->window()));
    }
    ~RealProgram() { qunsetenv("SENDRA_CAM_VIRTUAL_CAMERA"); }

    app::ui::Shell &shell() { return app->shell(); }

    // Connect pressed on the virtual camera; true once a frame has arrived.
    bool connect()
    {
        shell().UpdateActions();
        if (!shell().state().flags().DeviceFound)
            return false;
        QSignalSpy frames(&app->camera().camera(), &camera::TVideoCameraDS::frameReady);
        shell().controls().mainButton(state::ControlId::Connect_Btn)->click();
        return shell().state().flags().VideoConnected && (frames.count() > 0 || frames.wait(5000));
    }
};
