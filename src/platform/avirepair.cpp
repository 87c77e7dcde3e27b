#include "avirepair.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr std::uint32_t kAvifHasIndex = 0x10;    // avih dwFlags: an idx1 follows the movi list
constexpr std::uint32_t kAviifKeyFrame = 0x10;   // idx1 entry flags
constexpr qint64 kIndexEntryBytes = 16;

// Where the counts live that a finished file must carry; -1 when the header has no such field.
struct Layout {
    qint64 avihFlags = -1;
    qint64 avihTotalFrames = -1;
    qint64 strhLength = -1;        // dwLength of the first video stream
    qint64 dmlhTotalFrames = -1;   // the OpenDML header's own frame count
    qint64 moviSize = -1;          // the movi LIST's size field
    qint64 movi = -1;              // the "movi" four-character code; index offsets count from here
};

struct Chunk {
    char id[4];
    qint64 offset = 0;        // of its header, from the "movi" code
    std::uint32_t size = 0;   // of its data
};

class File
{
public:
    explicit File(const QString &path) : file_(path) {}
    // Unbuffered: a full disk answers the write that meets it, not a later flush.
    bool open(bool writable) { return file_.open((writable ? QIODevice::ReadWrite : QIODevice::ReadOnly) | QIODevice::Unbuffered); }
    qint64 size() const { return file_.size(); }
    bool read(qint64 at, char *data, qint64 n) { return file_.seek(at) && file_.read(data, n) == n; }
    bool write(qint64 at, const char *data, qint64 n) { return file_.seek(at) && file_.write(data, n) == n; }
    bool put32(qint64 at, std::uint32_t v)
    {
        char b[4];
        qToLittleEndian(v, b);
        return write(at, b, 4);
    }
    bool get32(qint64 at, std::uint32_t &v)
    {
        char b[4];
        if (!read(at, b, 4))
            return false;
        v = qFromLittleEndian<std::uint32_t>(b);
        return true;
    }
    bool resize(qint64 n) { return file_.resize(n); }
    QString error() const { return file_.errorString(); }

private:
    QFile file_;
};

bool is(const char *id, const char *name) { return std::memcmp(id, name, 4) == 0; }

bool isChunkId(const char *id)
{
    for (int i = 0; i < 4; ++i)
        if (id[i] < 0x20 || id[i] > 0x7E)
            return false;
    return true;
}

// "00dc" (compressed) or "00db" (uncompressed) of stream 00..99.
bool isVideoFrame(const char *id)
{
    return id[0] >= '0' && id[0] <= '9' && id[1] >= '0' && id[1] <= '9' && id[2] == 'd' && (id[3] == 'c' || id[3] == 'b');
}

qint64 padded(std::uint32_t size) { return qint64(size) + (size & 1); }

// The header lists of the first RIFF: where the counts are and where the movi list begins. False
// when the file is no AVI or ends inside its header.
bool readLayout(File &f, Layout &l)
{
    char head[12];
    if (!f.read(0, head, 12) || !is(head, "RIFF") || !is(head + 8, "AVI "))
        return false;
    const qint64 end = f.size();
    qint64 pos = 12;
    while (pos + 12 <= end) {
        char h[12];
        if (!f.read(pos, h, 12) || !isChunkId(h))
            return false;
        const std::uint32_t size = qFromLittleEndian<std::uint32_t>(h + 4);
        if (is(h, "LIST") && is(h + 8, "movi")) {
            l.moviSize = pos + 4;
            l.movi = pos + 8;
            return true;
        }
        if (pos + 8 + qint64(size) > end)
            return false;   // the header itself is cut: nothing of the recording can be read
        if (is(h, "LIST") && is(h + 8, "hdrl")) {
            // avih, then one strl list per stream, then the odml list.
            qint64 sub = pos + 12;
            const qint64 subEnd = pos + 8 + size;
            while (sub + 8 <= subEnd) {
                char s[12] = {};
                if (!f.read(sub, s, std::min<qint64>(12, subEnd - sub)))
                    return false;
                const std::uint32_t subSize = qFromLittleEndian<std::uint32_t>(s + 4);
                const qint64 data = sub + 8;
                if (is(s, "avih")) {
                    l.avihFlags = data + 12;
                    l.avihTotalFrames = data + 16;
                } else if (is(s, "LIST") && (is(s + 8, "strl") || is(s + 8, "odml"))) {
                    qint64 in = data + 4;
                    const qint64 inEnd = data + subSize;
                    while (in + 8 <= inEnd) {
                        char c[12] = {};
                        if (!f.read(in, c, std::min<qint64>(12, inEnd - in)))
                            return false;
                        const std::uint32_t cSize = qFromLittleEndian<std::uint32_t>(c + 4);
                        if (is(c, "strh") && is(c + 8, "vids") && l.strhLength < 0)
                            l.strhLength = in + 8 + 32;
                        else if (is(c, "dmlh"))
                            l.dmlhTotalFrames = in + 8;
                        in += 8 + padded(cSize);
                    }
                }
                sub = data + padded(subSize);
            }
        }
        pos += 8 + padded(size);
    }
    return false;
}

// The chunks of the movi list that were written completely, up to the first that was not; `end`
// is where the last complete one ends. An index or a continuation RIFF ends the first part.
std::vector<Chunk> scanMovi(File &f, const Layout &l, qint64 &end, bool &continuation)
{
    std::vector<Chunk> frames;
    const qint64 size = f.size();
    qint64 pos = l.movi + 4;
    end = pos;
    continuation = false;
    while (pos + 8 <= size) {
        char h[8];
        if (!f.read(pos, h, 8) || !isChunkId(h))
            break;
        if (is(h, "RIFF")) {
            continuation = true;
            break;
        }
        if (is(h, "idx1")) {
            // An index inside an unfinished file was written when the first 1 GB part was full:
            // a continuation part follows it.
            char next[4];
            const qint64 after = pos + 8 + padded(qFromLittleEndian<std::uint32_t>(h + 4));
            continuation = f.read(after, next, 4) && is(next, "RIFF");
            break;
        }
        const std::uint32_t chunkSize = qFromLittleEndian<std::uint32_t>(h + 4);
        if (pos + 8 + qint64(chunkSize) > size)
            break;   // cut inside this chunk
        if (isVideoFrame(h)) {
            Chunk c;
            std::memcpy(c.id, h, 4);
            c.offset = pos - l.movi;
            c.size = chunkSize;
            frames.push_back(c);
        }
        pos += 8 + padded(chunkSize);
        end = std::min(pos, size);
    }
    return frames;
}

QByteArray indexOf(const std::vector<Chunk> &frames)
{
    QByteArray idx(int(8 + kIndexEntryBytes * qint64(frames.size())), Qt::Uninitialized);
    char *p = idx.data();
    std::memcpy(p, "idx1", 4);
    qToLittleEndian(std::uint32_t(kIndexEntryBytes * qint64(frames.size())), p + 4);
    p += 8;
    for (const Chunk &c : frames) {
        std::memcpy(p, c.id, 4);
        qToLittleEndian(kAviifKeyFrame, p + 4);
        qToLittleEndian(std::uint32_t(c.offset), p + 8);
        qToLittleEndian(c.size, p + 12);
        p += kIndexEntryBytes;
    }
    return idx;
}

AviRepairResult removed(const QString &path, AviRepairResult r)
{
    r.outcome = QFile::remove(path) || !QFile::exists(path) ? AviRepairResult::Outcome::Removed
                                                            : AviRepairResult::Outcome::Failed;
    if (r.outcome == AviRepairResult::Outcome::Failed)
        r.why = QStringLiteral("cannot remove a file without frames");
    r.frames = 0;
    return r;
}

} // namespace

AviRepairResult AviRepair::finish(const QString &path)
{
    AviRepairResult r;
    File f(path);
    if (!f.open(true)) {
        r.outcome = AviRepairResult::Outcome::Failed;
        r.why = f.error();
        return r;
    }
    Layout layout;
    if (!readLayout(f, layout)) {
        r.why = QStringLiteral("no complete AVI header");
        return removed(path, r);
    }
    qint64 end = 0;
    std::vector<Chunk> frames = scanMovi(f, layout, end, r.cutAtContinuation);
    // The index goes where the last complete chunk ends. When the disk cannot take it, each frame
    // given up from the end frees its own bytes and sixteen of the index's.
    for (;;) {
        if (frames.empty())
            return removed(path, r);
        if (!f.resize(end)) {
            r.outcome = AviRepairResult::Outcome::Failed;
            r.why = f.error();
            return r;
        }
        if (f.write(end, indexOf(frames).constData(), 8 + kIndexEntryBytes * qint64(frames.size())))
            break;
        end = layout.movi + frames.back().offset;
        frames.pop_back();
        ++r.framesDropped;
    }
    // The counts and sizes live in the header's own bytes: rewriting them needs no new space.
    const auto count = std::uint32_t(frames.size());
    const qint64 fileEnd = end + 8 + kIndexEntryBytes * qint64(count);
    std::uint32_t flags = 0;
    bool ok = f.put32(4, std::uint32_t(fileEnd - 8)) && f.put32(layout.moviSize, std::uint32_t(end - layout.movi));
    if (ok && layout.avihFlags >= 0)
        ok = f.get32(layout.avihFlags, flags) && f.put32(layout.avihFlags, flags | kAvifHasIndex) &&
             f.put32(layout.avihTotalFrames, count);
    if (ok && layout.strhLength >= 0)
        ok = f.put32(layout.strhLength, count);
    if (ok && layout.dmlhTotalFrames >= 0)
        ok = f.put32(layout.dmlhTotalFrames, count);
    if (!ok) {
        r.outcome = AviRepairResult::Outcome::Failed;
        r.why = f.error();
        return r;
    }
    r.outcome = AviRepairResult::Outcome::Finished;
    r.frames = count;
    return r;
}

std::optional<std::uint32_t> AviRepair::countFrames(const QString &path)
{
    File f(path);
    if (!f.open(false))
        return std::nullopt;
    Layout layout;
    if (!readLayout(f, layout))
        return std::nullopt;
    qint64 end = 0;
    bool continuation = false;
    return std::uint32_t(scanMovi(f, layout, end, continuation).size());
}

} // namespace platform
