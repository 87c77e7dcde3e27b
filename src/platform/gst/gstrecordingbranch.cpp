#include "gstrecordingbranch.h"

#include "platform/avirepair.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstcompressors.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <chrono>
#include <sys/statvfs.h>

namespace platform {

bool RecordingState::contains(GstObject *object)
{
    std::lock_guard lock(mutex);
    return bin && object &&
           (object == GST_OBJECT(bin.get()) || gst_object_has_as_ancestor(object, GST_OBJECT(bin.get())));
}

void RecordingState::fail(bool negotiation, bool outOfSpace)
{
    std::lock_guard lock(mutex);
    if (!failed) {
        refused = negotiation;
        noSpace = outOfSpace;
    }
    failed = true;
    changed.notify_all();
}

namespace {

void releaseState(gpointer data) { delete static_cast<std::shared_ptr<RecordingState> *>(data); }

RecordingState *stateOf(GstPad *pad) { return static_cast<std::shared_ptr<RecordingState> *>(pad->chaindata)->get(); }

bool hasFailed(RecordingState *state)
{
    std::lock_guard lock(state->mutex);
    return state->failed;
}

// Streaming thread of the tee: once the disk guard has spoken, the stream into the branch ends
// here, behind the frames already queued, and nothing more goes in. True when the frames are to
// be dropped.
bool endedForSpace(GstPad *pad, RecordingState *state)
{
    if (!state->lowSpace.load())
        return false;
    if (!state->endSentForSpace.exchange(true))
        gst_pad_send_event(pad, gst_event_new_eos());
    return true;
}

// Streaming thread of the tee. A flow error of the branch stays in the branch: the tee would
// otherwise return it to the camera source, which then stops the preview.
GstFlowReturn branchChain(GstPad *pad, GstObject *parent, GstBuffer *buffer)
{
    RecordingState *state = stateOf(pad);
    if (hasFailed(state) || endedForSpace(pad, state)) {
        gst_buffer_unref(buffer);
        return GST_FLOW_OK;
    }
    state->framesIn.fetch_add(1, std::memory_order_relaxed);
    const GstFlowReturn r = gst_proxy_pad_chain_default(pad, parent, buffer);
    if (r < GST_FLOW_EOS || r == GST_FLOW_NOT_LINKED)
        state->fail(r == GST_FLOW_NOT_NEGOTIATED);
    return GST_FLOW_OK;
}

GstFlowReturn branchChainList(GstPad *pad, GstObject *parent, GstBufferList *list)
{
    RecordingState *state = stateOf(pad);
    if (hasFailed(state) || endedForSpace(pad, state)) {
        gst_buffer_list_unref(list);
        return GST_FLOW_OK;
    }
    state->framesIn.fetch_add(gst_buffer_list_length(list), std::memory_order_relaxed);
    const GstFlowReturn r = gst_proxy_pad_chain_list_default(pad, parent, list);
    if (r < GST_FLOW_EOS || r == GST_FLOW_NOT_LINKED)
        state->fail(r == GST_FLOW_NOT_NEGOTIATED);
    return GST_FLOW_OK;
}

// Streaming thread of the file sink, before `incoming` bytes are written: true when the disk no
// longer has room for them and for everything the branch still needs to finish its file (what
// its queue holds, the index and a margin). Then the recording must end now, while the file can
// still be finished properly, rather than run into a failed write.
bool diskNearlyFull(RecordingState *state, std::uint64_t incoming, std::uint64_t buffersWritten)
{
    state->largestBuffer = std::max(state->largestBuffer, incoming);
    const std::optional<std::uint64_t> free = GstRecordingBranch::freeBytes(state->folder);
    if (!free)
        return false;
    guint64 queued = 0;
    guint queuedFrames = 0;
    if (state->queue)
        g_object_get(state->queue, "current-level-bytes", &queued, "current-level-buffers", &queuedFrames, nullptr);
    // About two buffers reach the file per frame (chunk header and data).
    const std::uint64_t indexBytes = 32 * (buffersWritten / 2 + queuedFrames + 16);
    const std::uint64_t reserve = incoming + queued + 2 * state->largestBuffer + indexBytes +
                                  GstRecordingBranch::kReserveMarginBytes;
    return *free < reserve;
}

// Streaming thread of the file sink: counts what reaches the file, sees the end of stream and
// keeps watch over the disk.
GstPadProbeReturn onFileSinkData(GstPad *pad, GstPadProbeInfo *info, gpointer user)
{
    auto *state = static_cast<std::shared_ptr<RecordingState> *>(user)->get();
    std::uint64_t written = 0;
    bool ending = false;
    {
        std::lock_guard lock(state->mutex);
        if (info->type & GST_PAD_PROBE_TYPE_BUFFER)
            written = ++state->buffersWritten;
        else if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS)
            state->endOfStream = true;
        ending = state->endOfStream;
        state->changed.notify_all();
    }
    if ((info->type & GST_PAD_PROBE_TYPE_BUFFER) && !ending && !state->lowSpace.load() &&
        diskNearlyFull(state, gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info)), written)) {
        state->lowSpace = true;
        // The window learns of it through the bus, as of the branch's errors.
        GstPtr<GstElement> sink = GstPtr<GstElement>::adopt(gst_pad_get_parent_element(pad));
        if (sink)
            gst_element_post_message(sink.get(), gst_message_new_element(GST_OBJECT(sink.get()),
                                                                         gst_structure_new_empty(GstRecordingBranch::kDiskFullMessage)));
    }
    return GST_PAD_PROBE_OK;
}

// Streaming thread of the branch's queue: a frame left the queue for the multiplexer. The queue
// is the only place where the branch lets frames go, so frames in minus frames out are the ones
// it dropped.
GstPadProbeReturn onQueueOut(GstPad *, GstPadProbeInfo *info, gpointer user)
{
    auto *state = static_cast<std::shared_ptr<RecordingState> *>(user)->get();
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER)
        state->framesOut.fetch_add(1, std::memory_order_relaxed);
    else if (info->type & GST_PAD_PROBE_TYPE_BUFFER_LIST)
        state->framesOut.fetch_add(gst_buffer_list_length(GST_PAD_PROBE_INFO_BUFFER_LIST(info)), std::memory_order_relaxed);
    return GST_PAD_PROBE_OK;
}

// Runs once the tee's pad is idle (at once, or on the tee's streaming thread): no buffer is in
// flight, so the branch can be cut off and ended without tearing a frame.
GstPadProbeReturn onTeePadIdle(GstPad *teePad, GstPadProbeInfo *, gpointer user)
{
    auto *state = static_cast<std::shared_ptr<RecordingState> *>(user)->get();
    GstPtr<GstPad> peer = GstPtr<GstPad>::adopt(gst_pad_get_peer(teePad));
    if (peer) {
        gst_pad_unlink(teePad, peer.get());
        gst_pad_send_event(peer.get(), gst_event_new_eos());
    }
    std::lock_guard lock(state->mutex);
    state->eosSent = true;
    state->changed.notify_all();
    return GST_PAD_PROBE_REMOVE;
}

bool isFactoryName(const QString &name)
{
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return valid.match(name).hasMatch();
}

} // namespace

std::optional<std::uint64_t> GstRecordingBranch::freeBytes(const QByteArray &folder)
{
    struct statvfs fs {};
    if (folder.isEmpty() || ::statvfs(folder.constData(), &fs) != 0)
        return std::nullopt;
    return std::uint64_t(fs.f_bavail) * std::uint64_t(fs.f_frsize);
}

GstRecordingBranch::GstRecordingBranch(DiagnosticsLog &log, GstElement *pipeline, GstElement *tee)
    : log_(log), pipeline_(pipeline), tee_(tee), state_(std::make_shared<RecordingState>())
{
    // Pads link only within one bin: the branch goes into the tee's own bin.
    if (tee_ && GST_OBJECT_PARENT(tee_))
        pipeline_ = GST_ELEMENT(GST_OBJECT_PARENT(tee_));
}

GstRecordingBranch::~GstRecordingBranch() { stop(); }

RecordingStart GstRecordingBranch::start(const RecordingRequest &request)
{
    if (running())
        return RecordingStart::AlreadyRecording;
    if (!pipeline_ || !tee_)
        return RecordingStart::NotRunning;
    path_ = request.path;
    fileRemoved_ = false;
    const QByteArray folder = QFile::encodeName(QFileInfo(request.path).absolutePath());
    if (const std::optional<std::uint64_t> free = freeBytes(folder); free && *free < kMinimumStartBytes) {
        log_.append(QStringLiteral("RECORD %1: only %2 bytes free on its disk").arg(request.path).arg(*free));
        return RecordingStart::DiskFull;
    }

    // The frames as the tee hands them on: avimux needs a size it takes and a frame rate.
    GstPtr<GstPad> teeSink = GstPtr<GstPad>::adopt(gst_element_get_static_pad(tee_, "sink"));
    GstCapsPtr caps(teeSink ? gst_pad_get_current_caps(teeSink.get()) : nullptr);
    int width = 0, height = 0, rateN = 0, rateD = 1;
    bool jpeg = false;
    if (caps && gst_caps_get_size(caps.get()) > 0) {
        const GstStructure *s = gst_caps_get_structure(caps.get(), 0);
        jpeg = gst_structure_has_name(s, "image/jpeg");
        gst_structure_get_int(s, "width", &width);
        gst_structure_get_int(s, "height", &height);
        gst_structure_get_fraction(s, "framerate", &rateN, &rateD);
    }
    if (width < kMinSide || height < kMinSide || width > kMaxSide || height > kMaxSide) {
        log_.append(QStringLiteral("RECORD %1 x %2 is outside the AVI limits of %3 to %4 pixels")
                        .arg(width).arg(height).arg(kMinSide).arg(kMaxSide));
        return RecordingStart::Refused;
    }

    // The queue holds two seconds of frames while the disk catches up; what it still cannot take
    // is counted and logged, never lost without a word.
    QString chain = QStringLiteral("queue name=rec-queue max-size-buffers=0 max-size-bytes=0 "
                                   "max-size-time=2000000000 leaky=downstream ! ");
    // "No Compressor" on an MJPEG camera writes the camera's JPEGs as they came: no decode, no
    // re-encode, a tenth of the data rate of raw frames. Without a frame rate in the caps the
    // frames are decoded so that videorate can stamp one.
    passthrough_ = jpeg && request.encoderFactory.isEmpty() && rateN > 0;
    if (jpeg && !passthrough_)
        chain += QStringLiteral("jpegdec ! ");
    if (!passthrough_ && rateN <= 0)   // a variable-rate camera: stamp a steady rate so players know the timing
        chain += QStringLiteral("videorate ! video/x-raw,framerate=%1/1 ! ").arg(kFallbackFramesPerSecond);
    if (passthrough_) {
        chain += QStringLiteral("image/jpeg ! ");
    } else if (request.encoderFactory.isEmpty()) {
        chain += QStringLiteral("videoconvert ! video/x-raw,format=BGR ! ");   // "No Compressor": 24-bit frames
    } else {
        chain += QStringLiteral("videoconvert ! ");
        GstPtr<GstElementFactory> factory = GstPtr<GstElementFactory>::adopt(
            isFactoryName(request.encoderFactory) ? gst_element_factory_find(request.encoderFactory.toUtf8().constData())
                                                  : nullptr);
        if (!factory) {
            log_.append(QStringLiteral("RECORD compressor %1 is not installed").arg(request.encoderFactory));
            return RecordingStart::EncoderMissing;
        }
        chain += QStringLiteral("%1 name=rec-encoder ! ").arg(request.encoderFactory);
    }
    chain += QStringLiteral("avimux name=rec-mux ! filesink name=rec-file async=false");

    GError *rawError = nullptr;
    GstElement *parsed = gst_parse_bin_from_description_full(chain.toUtf8().constData(), FALSE, nullptr,
                                                             GST_PARSE_FLAG_FATAL_ERRORS, &rawError);
    GErrorPtr error(rawError);
    if (!parsed) {
        log_.append(QStringLiteral("RECORD cannot build the branch %1: %2")
                        .arg(chain, QString::fromUtf8(error ? error->message : "?")));
        return RecordingStart::Refused;
    }
    GstPtr<GstElement> bin = GstPtr<GstElement>::sink(parsed);
    gst_object_set_name(GST_OBJECT(bin.get()), "recording-branch");
    GstPtr<GstElement> queue = GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(bin.get()), "rec-queue"));
    GstPtr<GstElement> file = GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(bin.get()), "rec-file"));
    g_object_set(file.get(), "location", QFile::encodeName(request.path).constData(), nullptr);
    if (GstPtr<GstElement> encoder = GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(bin.get()), "rec-encoder"))) {
        const QStringList refused = applyEncoderSettings(encoder.get(), request.settings);
        if (!refused.isEmpty())
            log_.append(QStringLiteral("RECORD %1 has no settings %2").arg(request.encoderFactory, refused.join(QLatin1Char(','))));
    }

    // A fresh state per recording: a late streaming-thread call of the last one touches its own.
    state_ = std::make_shared<RecordingState>();
    {
        std::lock_guard lock(state_->mutex);
        state_->bin = GstPtr<GstElement>::ref(bin.get());
    }
    state_->folder = folder;
    state_->queue = queue.get();   // the bin holds it for as long as any probe can run
    if (onStateRenewed)
        onStateRenewed(state_);
    GstPtr<GstPad> queueSink = GstPtr<GstPad>::adopt(gst_element_get_static_pad(queue.get(), "sink"));
    GstPad *ghost = gst_ghost_pad_new("sink", queueSink.get());
    gst_pad_set_chain_function_full(ghost, branchChain, new std::shared_ptr<RecordingState>(state_), releaseState);
    gst_pad_set_chain_list_function_full(ghost, branchChainList, new std::shared_ptr<RecordingState>(state_),
                                         releaseState);
    gst_pad_set_active(ghost, TRUE);
    gst_element_add_pad(bin.get(), ghost);   // the bin takes the floating reference
    entry_ = GstPtr<GstPad>::ref(ghost);
    GstPtr<GstPad> queueSrc = GstPtr<GstPad>::adopt(gst_element_get_static_pad(queue.get(), "src"));
    gst_pad_add_probe(queueSrc.get(), GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                      onQueueOut, new std::shared_ptr<RecordingState>(state_), releaseState);
    GstPtr<GstPad> fileSink = GstPtr<GstPad>::adopt(gst_element_get_static_pad(file.get(), "sink"));
    gst_pad_add_probe(fileSink.get(), GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      onFileSinkData, new std::shared_ptr<RecordingState>(state_), releaseState);

    gst_bin_add(GST_BIN(pipeline_), GST_ELEMENT(gst_object_ref(bin.get())));
    // Opening the file happens here: a missing or read-only folder fails the state change.
    if (!gst_element_sync_state_with_parent(bin.get()) ||
        gst_element_get_state(bin.get(), nullptr, nullptr, 0) == GST_STATE_CHANGE_FAILURE) {
        log_.append(QStringLiteral("RECORD cannot open %1").arg(request.path));
        remove();
        return RecordingStart::CannotOpenFile;
    }
    teePad_ = GstPtr<GstPad>::adopt(gst_element_request_pad_simple(tee_, "src_%u"));
    if (!teePad_ || GST_PAD_LINK_FAILED(gst_pad_link(teePad_.get(), ghost))) {
        log_.append(QStringLiteral("RECORD cannot link the branch to the preview"));
        remove();
        return RecordingStart::Refused;
    }
    log_.append(QStringLiteral("RECORD %1 (%2 x %3, %4)")
                    .arg(request.path)
                    .arg(width)
                    .arg(height)
                    .arg(passthrough_                      ? QStringLiteral("the camera's JPEG frames")
                         : request.encoderFactory.isEmpty() ? QStringLiteral("no compressor")
                                                            : request.encoderFactory));

    // A full disk, a file-size limit or a compressor that refuses the format shows up with the
    // first frames: tell the caller now rather than record nothing. avimux writes its header,
    // then a chunk header and the data of each frame; the probe counts a buffer before it is
    // written, so the fourth one means the first frame's data went through.
    std::unique_lock lock(state_->mutex);
    const bool settled = state_->changed.wait_for(lock, std::chrono::milliseconds(kFirstFramesTimeoutMs),
                                                  [&] { return state_->failed || state_->buffersWritten >= 4; });
    const bool failed = state_->failed, refused = state_->refused, noSpace = state_->noSpace;
    lock.unlock();
    if (failed || state_->lowSpace.load()) {
        log_.append(QStringLiteral("RECORD %1 failed at its first frames").arg(request.path));
        stop();
        QFile::remove(request.path);   // a header without frames is not a recording
        fileRemoved_ = true;
        return refused                               ? RecordingStart::Refused
               : noSpace || state_->lowSpace.load() ? RecordingStart::DiskFull
                                                    : RecordingStart::WriteFailed;
    }
    if (!settled)
        log_.append(QStringLiteral("RECORD no frame reached %1 yet (a frozen picture?)").arg(request.path));
    return RecordingStart::Started;
}

RecordingEnd GstRecordingBranch::stop()
{
    if (!running())
        return RecordingEnd::Unknown;
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(kEndOfStreamTimeoutMs);
    const gulong probe = gst_pad_add_probe(teePad_.get(), GST_PAD_PROBE_TYPE_IDLE, onTeePadIdle,
                                           new std::shared_ptr<RecordingState>(state_), releaseState);
    std::unique_lock lock(state_->mutex);
    bool sent = state_->changed.wait_until(lock, deadline, [&] { return state_->eosSent; });
    lock.unlock();
    if (!sent) {
        // The tee never became idle (a push stuck upstream): cut the branch off from here.
        if (probe)
            gst_pad_remove_probe(teePad_.get(), probe);
        gst_pad_unlink(teePad_.get(), entry_.get());
        gst_pad_send_event(entry_.get(), gst_event_new_eos());
    }
    lock.lock();
    // A failed branch has stopped streaming: its end of stream would never arrive.
    const bool finished = state_->changed.wait_until(lock, deadline, [&] { return state_->endOfStream || state_->failed; }) &&
                          state_->endOfStream;
    const bool failed = state_->failed, noSpace = state_->noSpace;
    lock.unlock();
    remove();
    const RecordingCounts c = counts();
    log_.append(QStringLiteral("RECORD %1 closed: %2 frames written, %3 dropped%4")
                    .arg(path_)
                    .arg(c.framesWritten)
                    .arg(c.dropped())
                    .arg(finished ? QString() : QStringLiteral(" (without its end of stream)")));
    finishFile(failed || !finished, c.framesWritten);
    if (noSpace || state_->lowSpace.load())
        return RecordingEnd::DiskFull;
    if (failed)
        return RecordingEnd::Failed;
    return finished ? RecordingEnd::Finished : RecordingEnd::TimedOut;
}

void GstRecordingBranch::finishFile(bool interrupted, std::uint64_t framesWritten)
{
    // A properly ended file with frames is as the multiplexer left it. One whose end was never
    // written is finished from what reached the disk; one with no frame at all is no recording.
    if (!interrupted && framesWritten > 0)
        return;
    if (!interrupted) {
        if (AviRepair::countFrames(path_).value_or(0) == 0) {
            fileRemoved_ = QFile::remove(path_);
            log_.append(QStringLiteral("RECORD %1 held no frame and was removed").arg(path_));
        }
        return;
    }
    const AviRepairResult r = AviRepair::finish(path_);
    switch (r.outcome) {
    case AviRepairResult::Outcome::Finished:
        log_.append(QStringLiteral("RECORD %1 finished from what was written: %2 frames%3%4")
                        .arg(path_)
                        .arg(r.frames)
                        .arg(r.framesDropped ? QStringLiteral(", %1 given up for the index").arg(r.framesDropped) : QString())
                        .arg(r.cutAtContinuation ? QStringLiteral(", cut after its first 1 GB part") : QString()));
        break;
    case AviRepairResult::Outcome::Removed:
        fileRemoved_ = true;
        log_.append(QStringLiteral("RECORD %1 held no complete frame and was removed").arg(path_));
        break;
    default:
        log_.append(QStringLiteral("RECORD %1 could not be finished: %2").arg(path_, r.why));
        break;
    }
}

RecordingCounts GstRecordingBranch::counts() const
{
    RecordingCounts c;
    c.framesIn = state_->framesIn.load(std::memory_order_relaxed);
    c.framesWritten = state_->framesOut.load(std::memory_order_relaxed);
    c.fileRemoved = fileRemoved_;
    return c;
}

void GstRecordingBranch::remove()
{
    // The branch stays known to the bus handler until it is out of the pipeline: closing the
    // file on a full disk posts an error of its own, which must end the recording, not be taken
    // for a failure of the preview.
    GstPtr<GstElement> bin;
    {
        std::lock_guard lock(state_->mutex);
        bin = GstPtr<GstElement>::ref(state_->bin.get());
    }
    if (teePad_) {
        if (entry_ && gst_pad_is_linked(teePad_.get()))
            gst_pad_unlink(teePad_.get(), entry_.get());
        gst_element_release_request_pad(tee_, teePad_.get());
        teePad_ = {};
    }
    if (bin) {
        // NULL closes the file; the branch is then taken out of the running pipeline.
        gst_element_set_state(bin.get(), GST_STATE_NULL);
        gst_bin_remove(GST_BIN(pipeline_), bin.get());
    }
    {
        std::lock_guard lock(state_->mutex);
        state_->bin = {};
    }
    entry_ = {};
}

} // namespace platform
