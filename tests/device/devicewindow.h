#pragma once

#include "mockdevices.h"

#include "camera/ui/cameracontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/messagepresenter.h"
#include "app/ui/shell.h"
#include "camera/ui/cameramemorykeeper.h"
#include "camera/videocamerads.h"
#include "camerapeers.h"
#include "fakes.h"
#include "scripteddialogs.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstptr.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/iniprofilestore.h"
#include "platform/udev/evdevstillbutton.h"
#include "platform/udev/udevdevicemonitor.h"

#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gst/gst.h>

#include <functional>
#include <memory>

#define SKIP_WITHOUT_V4L2SRC()                                                                   \
    do {                                                                                         \
        if (!platform::GstPtr<GstElementFactory>::adopt(gst_element_factory_find("v4l2src")))   \
            GTEST_SKIP() << "v4l2src (gstreamer1.0-plugins-good) is not installed";             \
    } while (0)

namespace devtest {

// What the made-up streams did; outlives each pipeline.
struct StreamLog {
    int starts = 0;
    int stops = 0;
    platform::CaptureFormat lastFormat;
    QString lastDevnode;
    // Set while a pipeline runs: posts the error v4l2src posts when its camera is pulled out.
    std::function<void()> pullOut;
};

// A running camera stream without buffers to map: frames are made up on the UI thread. It opens
// nothing, so a node that is gone fails to start as v4l2src would.
class MadeUpStream final : public platform::MediaPipeline
{
public:
    explicit MadeUpStream(StreamLog &log) : log_(log)
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onFrame_) {
                QImage image(format_.width, format_.height, QImage::Format_RGB32);
                image.fill(0xFF406080u);
                onFrame_(platform::VideoFrame::of(image, ++sequence_));
            }
        });
    }
    ~MadeUpStream() override { stop(); }

    platform::StartResult start(const platform::DeviceRecord &device, const platform::CaptureFormat &format) override
    {
        ++log_.starts;
        log_.lastFormat = format;
        log_.lastDevnode = device.devnode;
        format_ = format;
        running_ = true;
        timer_.start();
        log_.pullOut = [this] {
            platform::PipelineEvent e;
            e.kind = platform::PipelineEvent::Kind::Error;
            e.fromSource = e.resourceError = true;
            e.element = QStringLiteral("v4l2src0");
            e.message = QStringLiteral("Could not read from resource.");
            timer_.stop();
            // Delivered later on the UI thread, as bus messages are; the pipeline may be gone by then.
            QMetaObject::invokeMethod(&context_, [e, onEvent = onEvent_] { if (onEvent) onEvent(e); }, Qt::QueuedConnection);
        };
        return platform::StartResult::Started;
    }
    void stop() override
    {
        if (running_)
            ++log_.stops;
        running_ = false;
        timer_.stop();
        log_.pullOut = nullptr;
    }
    bool setPaused(bool) override { return running_; }
    platform::PipelineState state() const override
    {
        return running_ ? platform::PipelineState::Playing : platform::PipelineState::NoPipeline;
    }
    QSize negotiatedSize() const override { return running_ ? QSize(format_.width, format_.height) : QSize(); }
    void setCallbacks(std::function<void(platform::VideoFrame &&)> onFrame,
                      std::function<void(const platform::PipelineEvent &)> onEvent) override
    {
        onFrame_ = std::move(onFrame);
        onEvent_ = std::move(onEvent);
    }

private:
    StreamLog &log_;
    QObject context_;
    QTimer timer_;
    platform::CaptureFormat format_;
    std::uint64_t sequence_ = 0;
    bool running_ = false;
    std::function<void(platform::VideoFrame &&)> onFrame_;
    std::function<void(const platform::PipelineEvent &)> onEvent_;
};

// Counts the searches and the "nodes changed" calls of the real udev monitor.
class CountingMonitor final : public platform::DeviceMonitor
{
public:
    explicit CountingMonitor(platform::DeviceMonitor &inner) : inner_(inner) {}
    std::vector<platform::DeviceRecord> enumerate() override
    {
        ++enumerations;
        return inner_.enumerate();
    }
    void setNodesChangedHandler(std::function<void()> handler) override
    {
        inner_.setNodesChangedHandler([this, handler = std::move(handler)] {
            ++changes;
            if (handler)
                handler();
        });
    }
    int enumerations = 0;
    int changes = 0;

private:
    platform::DeviceMonitor &inner_;
};

// The program's media stack without the virtual camera: udev, V4L2 and evdev as they are; the
// pipeline is v4l2src itself (`realPipeline`) or a made-up stream.
class DeviceLayerBackend final : public platform::MediaBackend
{
public:
    DeviceLayerBackend(platform::DiagnosticsLog &log, bool realPipeline)
        : system(log, nullptr), monitor(system.deviceMonitor()), real_(realPipeline)
    {
    }
    platform::DeviceMonitor &deviceMonitor() override { return monitor; }
    std::unique_ptr<platform::MediaPipeline> createPipeline() override
    {
        if (real_)
            return system.createPipeline();
        return std::make_unique<MadeUpStream>(streams);
    }
    std::vector<platform::PixelFormatInfo> formats(const platform::DeviceRecord &d) override { return system.formats(d); }
    std::unique_ptr<platform::ControlDevice> openControls(const platform::DeviceRecord &d) override
    {
        return system.openControls(d);
    }
    std::unique_ptr<platform::StillButton> watchStillButton(const platform::DeviceRecord &d,
                                                            std::function<void()> pressed) override
    {
        std::unique_ptr<platform::StillButton> button = system.watchStillButton(d, std::move(pressed));
        stillButton = dynamic_cast<platform::EvdevStillButton *>(button.get());
        return button;
    }

    platform::SystemMediaBackend system;
    CountingMonitor monitor;
    StreamLog streams;
    // The snapshot button watched last (owned by the camera); null when none was found.
    platform::EvdevStillButton *stillButton = nullptr;

private:
    bool real_;
};

struct ScriptedPresenter final : app::ui::MessagePresenter {
    QStringList texts;
    int show(const QString &text, const QString &, bool, int) override
    {
        texts << text;
        return app::ui::kResultOk;
    }
};

// The main window's camera side over a testbed. The testbed is made first: libudev and the
// uevent monitor bind to it when they are created.
// Its peers are answered here: snapshots are collected, the cover is the window's, the rest does
// nothing.
struct DeviceWindow final : fakes::CameraPeers {
    explicit DeviceWindow(bool realPipeline = false) : backend(log, realPipeline) {}

    // Builds the window (the device search of window creation runs here).
    void open()
    {
        shell = std::make_unique<app::ui::Shell>(app::ui::ShellDeps{QStringLiteral(SENDRA_PROGRAM_DIR), paths, clock,
                                                                    *store, vendor, log, QString(), true, &presenter,
                                                                    &dialogs});
        controller = std::make_unique<camera::ui::CameraController>(shell->context(), *this, backend,
                                                                    *shell->window().videoArea(), shell->eetiCom());
        shell->addFeature(controller.get());
        cover = [this](bool shown) { shell->window().showCover(shown); };
        if (rememberCameras) {
            // As the program wires it: every camera offered, each one's settings remembered.
            keeper = std::make_unique<camera::ui::CameraMemoryKeeper>(
                paths.cameraMemoryFile(), controller->camera(), *controller->controlToolBar(),
                shell->controls().action(state::ControlId::ShowAllCameras), log);
            QObject::connect(keeper.get(), &camera::ui::CameraMemoryKeeper::searchRequested, controller.get(),
                             &camera::ui::CameraController::onNodesChanged);
        }
        controller->startUp();
    }

    QMenu *menu() const { return shell->controls().menu(state::ControlId::DevicesEnum); }
    QStringList captions() const
    {
        QStringList list;
        for (QAction *a : menu()->actions())
            list << a->text();
        return list;
    }
    int checkedPosition() const
    {
        const auto items = menu()->actions();
        for (int i = 0; i < items.size(); ++i)
            if (items[i]->isChecked())
                return i;
        return -1;
    }
    const state::AppFlags &flags() const { return shell->state().flags(); }
    void connect() { shell->controls().mainButton(state::ControlId::Connect_Btn)->click(); }
    QString statusText() const { return shell->controls().label(state::ControlId::DeviceStatus_Lab)->text(); }
    QString connectHint() const { return shell->controls().mainButton(state::ControlId::Connect_Btn)->toolTip(); }
    QString text(const char *key) const { return shell->texts().text(QString::fromLatin1(key)); }
    // Waits for the coalesced "nodes changed" call(s) and then for anything that would follow.
    bool waitChanges(int atLeast)
    {
        const bool ok = QTest::qWaitFor([&] { return backend.monitor.changes >= atLeast; }, 5000);
        QTest::qWait(2 * platform::UdevDeviceMonitor::kCoalesceMs);
        return ok;
    }

    Testbed bed;
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    std::unique_ptr<platform::IniProfileStore> store = std::make_unique<platform::IniProfileStore>(paths.settingsFile());
    fakes::FakeBridge vendor;
    ScriptedPresenter presenter;
    fakes::ScriptedDialogs dialogs;
    platform::DiagnosticsLog log;
    DeviceLayerBackend backend;
    std::unique_ptr<app::ui::Shell> shell;
    std::unique_ptr<camera::ui::CameraController> controller;
    // Set before open(): the camera memory and the "Show all cameras" switch of the program.
    bool rememberCameras = false;
    std::unique_ptr<camera::ui::CameraMemoryKeeper> keeper;
};

} // namespace devtest
