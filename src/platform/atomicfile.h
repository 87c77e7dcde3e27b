#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <system_error>

namespace platform {

enum class Durability { Unknown, Normal, Synced };

// Writes `size` bytes to a temporary file in the destination folder and renames it over `path`,
// so the destination holds either its previous content or the whole new content, never a part.
// Synced also flushes the data to disk before the rename (for files that replace a good copy).
// On failure (full disk, read-only folder) the temporary file is removed and the error returned.
std::error_code writeFileAtomically(const QString &path, const void *data, std::size_t size,
                                    Durability durability = Durability::Normal);

// The same, written piece by piece: for files produced in chunks (a picture converted row block by
// row block) so no whole-file buffer is needed. Nothing appears at `path` until commit(); a writer
// destroyed without commit removes its temporary file.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(const QString &path, Durability durability = Durability::Normal);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // The first error sticks: later writes do nothing and commit() returns it.
    void write(const void *data, std::size_t size);
    std::error_code commit();
    std::error_code error() const { return error_; }

private:
    void discard();

    QByteArray target_;
    QByteArray temp_;
    QByteArray dir_;
    Durability durability_;
    int fd_ = -1;
    std::error_code error_;
};

// ENOSPC, and EDQUOT: to the user a quota used up is a full disk.
bool isDiskFull(const std::error_code &error);

// Gathers the pieces of one file so that header and pixels reach the kernel in one call.
struct ByteSpan {
    const void *data;
    std::size_t size;
};
std::error_code writeFileAtomically(const QString &path, std::initializer_list<ByteSpan> pieces,
                                    Durability durability = Durability::Normal);

} // namespace platform
