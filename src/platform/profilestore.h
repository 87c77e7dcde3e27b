#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace platform {

struct ProfileEntry {
    QString section;
    QString key;
    QString value;
};

// A settings file: read key by key, written a batch at a time. A batch replaces the whole file
// atomically, so a crash mid-write leaves the previous good file.
class ProfileStore
{
public:
    virtual ~ProfileStore() = default;
    virtual bool exists() const = 0;
    virtual std::optional<QString> read(const QString &section, const QString &key) const = 0;
    // Updates or appends every entry, keeping the other keys of the file; false when the disk
    // refused the file (the previous file then stays as it was).
    virtual bool write(const std::vector<ProfileEntry> &entries) = 0;
};

} // namespace platform
