#pragma once

#include "platform/bitmap.h"

#include <QString>

#include <memory>
#include <system_error>

namespace platform {

enum class FrameWrite {
    Unknown,
    Written,
    BadParameter,   // no picture, or not the size of the first frame: skipped, the writer goes on
    WriterError,    // the writer failed (now or earlier) and refuses every further frame
};

// An AVI file written frame by frame at a fixed period. Nothing appears at the path until close()
// renames the finished file into place, so a failed or empty conversion leaves no broken file and
// an older file of that name survives until the new one is complete.
// Thread-safe: frames are added on a worker thread while the UI thread may close.
class AviWriter
{
public:
    virtual ~AviWriter() = default;
    virtual FrameWrite addFrame(const Bitmap &frame) = 0;
    // Ends the stream and puts the file in place; false when the file could not be finished or
    // held no frame (nothing is left behind then). Later frames are refused.
    virtual bool close() = 0;
    virtual int framesWritten() const = 0;
    // Why the writer failed, as an errno where the system gave one (a full disk is ENOSPC); empty
    // while it has not failed or failed for another reason (a refused format, a missing encoder).
    virtual std::error_code error() const = 0;
};

// What to write: the frame period gives the stream rate 1000 / periodMs. An empty compressor
// writes uncompressed 24-bit BGR; otherwise an encoder factory name ("jpegenc", "avenc_mpeg4").
struct AviWriterOptions {
    QString path;
    int periodMs = 200;
    QString compressor;
};
} // namespace platform
