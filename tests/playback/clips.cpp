#include "clips.h"

#include "platform/gst/gstptr.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <QFile>
#include <QProcess>
#include <QPainter>

namespace testclips {

using platform::GstPtr;

namespace {
constexpr int kBits = 8;
constexpr GstClockTime kWriteTimeout = 30 * GST_SECOND;

bool waitForEnd(GstElement *pipeline, QString &why)
{
    GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(pipeline));
    platform::GstMessagePtr msg(
        gst_bus_timed_pop_filtered(bus.get(), kWriteTimeout, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    if (!msg) {
        why = QStringLiteral("timed out");
        return false;
    }
    if (GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_ERROR) {
        GError *raw = nullptr;
        gst_message_parse_error(msg.get(), &raw, nullptr);
        platform::GErrorPtr error(raw);
        why = QString::fromUtf8(error ? error->message : "error");
        return false;
    }
    return true;
}

GstPtr<GstElement> parse(const QString &description, QString &why)
{
    GError *raw = nullptr;
    GstElement *p = gst_parse_launch(description.toUtf8().constData(), &raw);
    platform::GErrorPtr error(raw);
    if (error) {
        why = QString::fromUtf8(error->message);
        if (p)
            gst_object_unref(gst_object_ref_sink(p));
        return {};
    }
    return GstPtr<GstElement>::sink(p);
}

// Pushes the coded frames into the pipeline's appsrc "src", then EOS, and waits for the file.
bool feedAndFinish(GstElement *pipeline, const ClipRecipe &recipe, QString &why)
{
    GstPtr<GstElement> src = GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(pipeline), "src"));
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        why = QStringLiteral("cannot start the writer");
        gst_element_set_state(pipeline, GST_STATE_NULL);
        return false;
    }
    const GstClockTime period = gst_util_uint64_scale(GST_SECOND, guint64(recipe.fpsDen), guint64(recipe.fpsNum));
    for (int i = 0; i < recipe.frames; ++i) {
        const QImage f = codedFrame(i, recipe.width, recipe.height);
        GstBuffer *buf = gst_buffer_new_memdup(f.constBits(), gsize(f.sizeInBytes()));
        GST_BUFFER_PTS(buf) = GstClockTime(i) * period;
        GST_BUFFER_DURATION(buf) = period;
        gst_app_src_push_buffer(GST_APP_SRC(src.get()), buf);
    }
    gst_app_src_end_of_stream(GST_APP_SRC(src.get()));
    const bool ok = waitForEnd(pipeline, why);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    return ok;
}

QString appsrcHead(const ClipRecipe &recipe)
{
    return QStringLiteral("appsrc name=src format=time block=true max-bytes=0 caps=\"video/x-raw,format=BGRx,width=%1,"
                          "height=%2,framerate=%3/%4\" ! videoconvert ")
        .arg(recipe.width)
        .arg(recipe.height)
        .arg(recipe.fpsNum)
        .arg(recipe.fpsDen);
}

} // namespace

QImage codedFrame(int index, int width, int height)
{
    QImage f(width, height, QImage::Format_RGB32);
    f.fill(Qt::black);
    QPainter p(&f);
    const int barW = width / kBits;
    for (int b = 0; b < kBits; ++b)
        if (index & (1 << (kBits - 1 - b)))
            p.fillRect(b * barW, 0, barW, height, Qt::white);
    return f;
}

int decodeFrameIndex(const QImage &picture)
{
    if (picture.isNull())
        return -1;
    const int barW = picture.width() / kBits;
    int index = 0;
    for (int b = 0; b < kBits; ++b) {
        const int grey = qGray(picture.pixel(b * barW + barW / 2, picture.height() / 2));
        if (grey > 60 && grey < 195)
            return -1;
        index = (index << 1) | (grey >= 195 ? 1 : 0);
    }
    return index;
}

bool runToEnd(const QString &description, QString &why)
{
    GstPtr<GstElement> pipeline = parse(description, why);
    if (!pipeline)
        return false;
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(pipeline.get(), GST_STATE_NULL);
        why = QStringLiteral("cannot start");
        return false;
    }
    const bool ok = waitForEnd(pipeline.get(), why);
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return ok;
}

bool writeClip(const QString &path, const ClipRecipe &recipe, QString &why)
{
    const QString encode = recipe.encoder.isEmpty() ? QStringLiteral("! video/x-raw,format=BGR ") : QStringLiteral("! %1 ").arg(recipe.encoder);
    GstPtr<GstElement> pipeline =
        parse(appsrcHead(recipe) + encode + QStringLiteral("! avimux ! filesink location=\"%1\"").arg(path), why);
    return pipeline && feedAndFinish(pipeline.get(), recipe, why);
}

bool writeAudioFirstClip(const QString &path, const QString &videoClip, QString &why)
{
    return writeAudioFirstClip(path, videoClip, 2.0, why);
}

bool writeAudioFirstClip(const QString &path, const QString &videoClip, double audioSeconds, QString &why)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("sine=frequency=440:sample_rate=8000:duration=%1").arg(audioSeconds),
                  QStringLiteral("-i"), videoClip, QStringLiteral("-map"), QStringLiteral("0:a"), QStringLiteral("-map"),
                  QStringLiteral("1:v"), QStringLiteral("-c:v"), QStringLiteral("copy"), QStringLiteral("-c:a"),
                  QStringLiteral("pcm_s16le"), path});
    if (!ffmpeg.waitForStarted(5000)) {
        why = QStringLiteral("ffmpeg is not installed");
        return false;
    }
    if (!ffmpeg.waitForFinished(30000)) {
        ffmpeg.kill();
        ffmpeg.waitForFinished(5000);
        why = QStringLiteral("ffmpeg timed out");
        return false;
    }
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        why = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
        return false;
    }
    return true;
}

bool writeStillPictureAs(const QString &path, QString &why)
{
    return runToEnd(QStringLiteral("videotestsrc num-buffers=1 ! video/x-raw,width=64,height=48 ! jpegenc ! "
                                   "filesink location=\"%1\"")
                        .arg(path),
                    why);
}

} // namespace testclips

#include "clipfolder.h"

namespace testclips {

ClipFolder &ClipFolder::instance()
{
    static ClipFolder folder;   // one set of clips per test run; the folder goes at exit
    return folder;
}

ClipFolder::ClipFolder()
{
    QString why;
    ClipRecipe shortRecipe = recipe_;
    shortRecipe.frames = 12;
    ClipRecipe mjpg = recipe_;
    mjpg.encoder = QStringLiteral("jpegenc quality=90");
    if (!writeClip(raw60(), recipe_, why) || !writeClip(mjpg60(), mjpg, why) || !writeClip(short12(), shortRecipe, why) ||
        !writeStillPictureAs(stillPicture(), why)) {
        why_ = why;
        return;
    }
    audioFirst_ = writeAudioFirstClip(audioFirst(), raw60(), why) &&
                  writeAudioFirstClip(longAudio(), short12(), 3.0, why);
    QFile whole(raw60());
    QFile cut(truncated());
    if (whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly))
        cut.write(whole.read(6 * 1024 + recipe_.width * recipe_.height * 3 * 5));   // header and about five frames
    QFile text(textFile());
    if (text.open(QIODevice::WriteOnly))
        text.write("This is a text file with an .avi name.\n");
}

} // namespace testclips
