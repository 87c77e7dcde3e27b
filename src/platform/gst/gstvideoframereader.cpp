// The sequential frame reader behind platform::openVideoFrameReader.
#include "platform/gst/gstvideoframereader.h"

#include "platform/gst/decodechain.h"
#include "platform/gst/gstptr.h"
#include "platform/gst/sampleimage.h"

#include <QFile>
#include <QFileInfo>

#include <gst/app/gstappsink.h>

#include <chrono>
#include <cmath>

namespace platform {
namespace {

constexpr GstClockTime kWaitNs = 5 * GST_SECOND;
// Reading forward costs a decode per frame; beyond this a seek is cheaper.
constexpr GstClockTime kSeekAheadNs = 2 * GST_SECOND;
// Times computed from a step land on a frame's start up to rounding.
constexpr GstClockTime kToleranceNs = GST_MSECOND;

class GstVideoFrameReader final : public VideoFrameReader
{
public:
    bool open(const QString &path, QString &why)
    {
        if (!QFileInfo(path).isFile()) {
            why = QStringLiteral("no such file");
            return false;
        }
        // Decoding runs ahead of the caller by a few pictures; no clock paces it.
        if (!chain_.build("frame-reader", path, 4, why))
            return false;
        if (gst_element_set_state(chain_.pipeline(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
            why = QStringLiteral("cannot be opened");
            return false;
        }
        if (!waitPrerolled(chain_.pipeline(), std::chrono::steady_clock::now() + std::chrono::nanoseconds(kWaitNs), why))
            return false;
        GstSamplePtr preroll(gst_app_sink_try_pull_preroll(GST_APP_SINK(chain_.sink()), 0));
        if (!preroll) {
            why = QStringLiteral("no video stream");
            return false;
        }
        GstCaps *caps = gst_sample_get_caps(preroll.get());
        const GstStructure *s = caps ? gst_caps_get_structure(caps, 0) : nullptr;
        int w = 0, h = 0;
        if (!s || !gst_structure_get_int(s, "width", &w) || !gst_structure_get_int(s, "height", &h)) {
            why = QStringLiteral("the stream has no picture size");
            return false;
        }
        size_ = QSize(w, h);
        if (gst_element_set_state(chain_.pipeline(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            why = QStringLiteral("cannot be played");
            return false;
        }
        return true;
    }

    QSize size() const override { return size_; }

    std::optional<Bitmap> frameAt(double seconds) override
    {
        if (!(seconds >= 0) || !std::isfinite(seconds))
            return std::nullopt;
        const GstClockTime target = GstClockTime(std::llround(seconds * 1e9)) + kToleranceNs;
        if (current_ && (target < ptsOf(current_.get()) || target - ptsOf(current_.get()) > kSeekAheadNs)) {
            if (!seek(target - kToleranceNs))
                return std::nullopt;
        }
        // Keep the last picture that starts at or before the time; the one after it is kept for
        // the next call.
        for (;;) {
            if (!next_ && !eos_) {
                next_.reset(gst_app_sink_try_pull_sample(GST_APP_SINK(chain_.sink()), kWaitNs));
                if (!next_) {
                    if (!gst_app_sink_is_eos(GST_APP_SINK(chain_.sink())))
                        return std::nullopt;   // an error or a stall
                    eos_ = true;
                }
            }
            if (eos_ || ptsOf(next_.get()) > target)
                break;
            current_ = std::move(next_);
        }
        if (!current_)
            return std::nullopt;
        QImage image = imageFromSample(current_.get(), false);
        if (image.isNull())
            return std::nullopt;
        return Bitmap(std::move(image));
    }

private:
    static GstClockTime ptsOf(GstSample *sample)
    {
        GstBuffer *b = gst_sample_get_buffer(sample);
        return b && GST_BUFFER_PTS_IS_VALID(b) ? GST_BUFFER_PTS(b) : 0;
    }

    bool seek(GstClockTime to)
    {
        current_.reset();
        next_.reset();
        eos_ = false;
        return gst_element_seek_simple(chain_.pipeline(), GST_FORMAT_TIME,
                                       GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), gint64(to));
    }

    DecodeChain chain_;
    GstSamplePtr current_;
    GstSamplePtr next_;
    bool eos_ = false;
    QSize size_;
};

} // namespace

std::unique_ptr<VideoFrameReader> openVideoFrameReader(const QString &path, QString *why)
{
    auto reader = std::make_unique<GstVideoFrameReader>();
    QString reason;
    if (!reader->open(path, reason)) {
        if (why)
            *why = reason;
        return nullptr;
    }
    return reader;
}

} // namespace platform
