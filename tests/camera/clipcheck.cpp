#include "clipcheck.h"

#include "platform/gst/gstptr.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <gst/pbutils/pbutils.h>

using platform::GstPtr;

ClipReport checkClip(const QString &path)
{
    ClipReport report;
    GError *raw = nullptr;
    GstDiscoverer *d = gst_discoverer_new(10 * GST_SECOND, &raw);
    platform::GErrorPtr error(raw);
    if (d) {
        GstPtr<GstDiscoverer> discoverer = GstPtr<GstDiscoverer>::adopt(d);
        const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
        GError *rawInfo = nullptr;
        GstDiscovererInfo *i = gst_discoverer_discover_uri(discoverer.get(), uri.constData(), &rawInfo);
        platform::GErrorPtr infoError(rawInfo);
        if (i) {
            GstPtr<GstDiscovererInfo> info = GstPtr<GstDiscovererInfo>::adopt(i);
            GList *videos = gst_discoverer_info_get_video_streams(info.get());
            if (gst_discoverer_info_get_result(info.get()) == GST_DISCOVERER_OK && videos) {
                auto *v = GST_DISCOVERER_VIDEO_INFO(videos->data);
                report.discovered = true;
                report.width = int(gst_discoverer_video_info_get_width(v));
                report.height = int(gst_discoverer_video_info_get_height(v));
                report.seconds = double(gst_discoverer_info_get_duration(info.get())) / GST_SECOND;
                platform::GstCapsPtr caps(gst_discoverer_stream_info_get_caps(GST_DISCOVERER_STREAM_INFO(v)));
                platform::GCharPtr text(caps ? gst_caps_to_string(caps.get()) : nullptr);
                report.videoCaps = QString::fromUtf8(text ? text.get() : "");
            }
            gst_discoverer_stream_info_list_free(videos);
        }
    }
    const QString ffprobe = QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
    report.ffprobeAvailable = !ffprobe.isEmpty();
    if (report.ffprobeAvailable) {
        QProcess p;
        p.start(ffprobe, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
                          QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                          QStringLiteral("stream=codec_name,nb_read_frames"), QStringLiteral("-of"),
                          QStringLiteral("default=noprint_wrappers=1"), path});
        if (p.waitForFinished(20000) && p.exitCode() == 0) {
            for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
                if (line.startsWith(QLatin1String("codec_name=")))
                    report.ffprobeCodec = line.mid(11).trimmed();
                else if (line.startsWith(QLatin1String("nb_read_frames=")))
                    report.ffprobeFrames = line.mid(15).trimmed().toInt();
            }
        } else {
            p.kill();
            p.waitForFinished(1000);
        }
    }
    return report;
}
