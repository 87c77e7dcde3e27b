#include "windowpresets.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace app {
namespace {

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 60;
constexpr int kButtonRow = 60;   // the single-window row above the video

QPoint coverOn(const QRect &video, int lower)
{
    return {video.x() + (video.width() - kCoverPanel.width()) / 2,
            video.y() + (video.height() - kCoverPanel.height()) / 2 + lower};
}

} // namespace

QSize presetVideoSize(int preset)
{
    switch (preset) {
    case state::kPreset640x480: return {640, 480};
    case state::kPreset800x600: return {800, 600};
    case state::kPreset1024x768: return {1024, 768};
    case state::kPreset1280x800: return {1280, 800};
    case state::kPreset1280x960: return {1280, 960};
    case state::kPreset1600x1200: return {1600, 1200};
    default: return {};
    }
}

bool presetFitsScreen(int preset, QSize screen)
{
    const QSize v = presetVideoSize(preset);
    return !v.isValid() || (screen.width() >= v.width() && screen.height() >= v.height());
}

PresetLayout layoutForPreset(int preset, QSize screen, QSize camera)
{
    PresetLayout l;
    l.appliedAs = preset;
    switch (preset) {
    case state::kPresetNormal:
        l.clientSize = kNormalClient;
        l.videoRect = QRect(0, 64, 400, 300);
        l.coverPanelPos = l.videoRect.topLeft();
        return l;
    case state::kPreset640x480:
    case state::kPreset800x600:
    case state::kPreset1024x768:
    case state::kPreset1280x800:
    case state::kPreset1280x960:
    case state::kPreset1600x1200: {
        const QSize v = presetVideoSize(preset);
        l.singleWindow = true;
        l.clientSize = QSize(v.width(), v.height() + kButtonRow);
        l.videoRect = QRect(QPoint(0, kButtonRow), v);
        l.coverPanelPos = coverOn(l.videoRect, kButtonRow);
        return l;
    }
    case state::kPresetFullScreen4x3: {
        l.singleWindow = true;
        l.maximised = true;
        l.clientSize = screen;
        const int height = screen.height() - 48;
        const int width = int(float(height) * 1.3333334f);
        l.videoRect = QRect((screen.width() - width) / 2, 0, width, height);
        l.coverPanelPos = coverOn(l.videoRect, kButtonRow);
        return l;
    }
    case state::kPresetFullScreen:
        l.singleWindow = true;
        l.maximised = true;
        l.clientSize = screen;
        l.videoRect = QRect(0, kButtonRow, screen.width(), screen.height() - 108);
        l.coverPanelPos = coverOn(l.videoRect, kButtonRow);
        return l;
    case state::kPresetByResolution: {
        l.singleWindow = true;
        const int w = camera.width(), h = camera.height();
        const int sw = screen.width(), sh = screen.height();
        if (sw < w || sh < h) {
            // The picture overhangs the screen equally on both sides and can be dragged.
            l.clientSize = QSize(std::min(sw, w), std::min(sh, h));
            l.videoRect = QRect(sw < w ? (sw - w) / 2 : 0, sh < h ? (sh - h) / 2 : 0, w, int(0.75 * w));
            l.coverPanelPos = QPoint((sw - kCoverPanel.width()) / 2, (sh - kCoverPanel.height()) / 2 + kButtonRow);
            l.dragEnabled = true;
            l.dragMin = QPoint(sw - w, sh - h);
            l.dragMax = QPoint(0, 0);
            return l;
        }
        if (w <= 640 && h <= 480) {
            PresetLayout small = layoutForPreset(state::kPreset640x480, screen, camera);
            small.appliedAs = state::kPreset640x480;
            return small;
        }
        // A portrait screen narrower than the picture is tall: the screen decides the size.
        const bool portrait = sw < h;
        const int vw = portrait ? sw : w;
        const int vh = portrait ? sh : h;
        l.clientSize = QSize((vw == 640 && 640 + 84 < sw) ? vw + 80 : vw, vh + kButtonRow);
        l.videoRect = QRect(0, kButtonRow, vw, vh);
        l.coverPanelPos = coverOn(l.videoRect, kButtonRow);
        return l;
    }
    case state::kPresetDevCtrlToolbar:
        l.singleWindow = true;
        l.centreWindow = false;
        l.moveToScreenCorner = true;
        return l;
    default:
        return layoutForPreset(state::kPresetNormal, screen, camera);
    }
}

ButtonLayout bothWindowButtons()
{
    ButtonLayout b;
    for (int i = 0; i < 10; ++i) {
        b.mainButtons[i] = QPoint(kButtonWidth * i, 0);
        b.mainButtonShown[i] = true;
    }
    b.modeToolBars = QPoint(0, 364);
    b.changeModeToolBar = QPoint(300, 392);
    return b;
}

namespace {

// Places tool bars one after another on a client without covering what is already there.
class BarPlacer
{
public:
    BarPlacer(int clientWidth, std::vector<QRect> taken, int buttonsRight, const QRect &video, bool mayGrow)
        : width_(clientWidth), taken_(std::move(taken)), buttonsRight_(buttonsRight), video_(video), mayGrow_(mayGrow)
    {
    }

    // `wanted` when a bar of `size` is free to sit there; otherwise the next free row. `moved`
    // says which it was.
    QPoint place(QSize size, QPoint wanted, bool &moved)
    {
        moved = false;
        if (free(QRect(wanted, size)))
            return take(QRect(wanted, size));
        // Beside the buttons: at their top, then below what sits there, as long as the button
        // row holds the bar.
        for (int y = 0; y + size.height() <= kButtonHeight; y = nextRowBelow(y, buttonsRight_))
            if (const auto at = firstFreeIn(y, buttonsRight_, size)) {
                moved = true;
                return take(QRect(*at, size));
            }
        // Below the picture, row after row.
        if (mayGrow_ && size.width() <= width_)
            for (int y = video_.bottom() + 1;; y = nextRowBelow(y, 0))
                if (const auto at = firstFreeIn(y, 0, size)) {
                    moved = true;
                    return take(QRect(*at, size));
                }
        return take(QRect(wanted, size));   // nowhere free: the fixed place stays
    }

    // How far the bars reach below the picture.
    int rowsBelowVideo() const
    {
        int bottom = video_.bottom();
        for (const QRect &r : placed_)
            bottom = std::max(bottom, r.bottom());
        return bottom - video_.bottom();
    }

private:
    bool free(const QRect &r) const
    {
        if (r.left() < 0 || r.top() < 0 || r.right() >= width_)
            return false;
        return std::none_of(taken_.begin(), taken_.end(), [&r](const QRect &t) { return t.intersects(r); });
    }
    // The leftmost free place on the row at `y`, from `left` on.
    std::optional<QPoint> firstFreeIn(int y, int left, QSize size) const
    {
        int x = left;
        for (;;) {
            const QRect r(QPoint(x, y), size);
            if (r.right() >= width_)
                return std::nullopt;
            int next = x;
            for (const QRect &t : taken_)
                if (t.intersects(r))
                    next = std::max(next, t.right() + 1);
            if (next == x)
                return r.topLeft();
            x = next;
        }
    }
    // The row after the one at `y`: below the lowest bar placed there.
    int nextRowBelow(int y, int left) const
    {
        int below = y + 1;
        for (const QRect &r : placed_)
            if (r.top() <= y && r.bottom() >= y && r.right() >= left)
                below = std::max(below, r.bottom() + 1);
        return below;
    }
    QPoint take(const QRect &r)
    {
        taken_.push_back(r);
        placed_.push_back(r);
        return r.topLeft();
    }

    int width_;
    std::vector<QRect> taken_;
    std::vector<QRect> placed_;
    int buttonsRight_;
    QRect video_;
    bool mayGrow_;
};

} // namespace

ButtonLayout singleWindowButtons(int clientWidth, const ToolBarSizes &bars, const QRect &video, bool mayGrow)
{
    ButtonLayout b;
    // Slot order: connect 0, capture 1, record 5, play 6, return, exit 9.
    constexpr int kSlotButtons[6] = {0, 1, 5, 6, -1, 9};
    const int columns = std::clamp(clientWidth / kButtonWidth, 1, 6);
    std::vector<QRect> taken{video};
    for (int slot = 0; slot < 6; ++slot) {
        const QPoint pos = slot < columns ? QPoint(kButtonWidth * slot, 0)
                                          : QPoint(kButtonWidth * (columns - 1), kButtonHeight * (slot - columns + 1));
        taken.emplace_back(pos, QSize(kButtonWidth, kButtonHeight));
        if (kSlotButtons[slot] < 0) {
            b.returnButton = pos;
            b.returnShown = true;
        } else {
            b.mainButtons[kSlotButtons[slot]] = pos;
            b.mainButtonShown[kSlotButtons[slot]] = true;
        }
    }
    // The fixed places, judged by the widest bar that may show in the mode bars' place.
    QPoint modes, changeMode;
    const int free = std::abs(clientWidth - 6 * kButtonWidth);
    if (free >= bars.changeMode.width() + bars.modes.width() + 4) {
        modes = QPoint(480, 0);
        changeMode = QPoint(480 + bars.modes.width(), 0);
    } else if (free >= bars.modes.width()) {
        modes = QPoint(480, 0);
        changeMode = QPoint(480, bars.modes.height());
    } else {
        modes = QPoint(0, 60);
        changeMode = QPoint(bars.modes.width(), 60);
    }
    BarPlacer placer(clientWidth, std::move(taken), kButtonWidth * columns, video, mayGrow);
    b.modeToolBars = placer.place(bars.modes, modes, b.modeToolBarsMoved);
    b.changeModeToolBar = placer.place(bars.changeMode, changeMode, b.changeModeToolBarMoved);
    b.rowsBelowVideo = placer.rowsBelowVideo();
    b.toolBarsOnTop = true;
    return b;
}

} // namespace app
