#pragma once

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

// Gathers the pieces of one file so that header and pixels reach the kernel in one call.
struct ByteSpan {
    const void *data;
    std::size_t size;
};
std::error_code writeFileAtomically(const QString &path, std::initializer_list<ByteSpan> pieces,
                                    Durability durability = Durability::Normal);

} // namespace platform
