#include "fakes.h"

namespace fakes {

std::optional<QString> MemoryProfileStore::read(const QString &section, const QString &key) const
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (it.key().compare(section + u'/' + key, Qt::CaseInsensitive) == 0)
            return it.value();
    return std::nullopt;
}

bool MemoryProfileStore::write(const std::vector<platform::ProfileEntry> &entries)
{
    if (failWrites)
        return false;
    for (const auto &e : entries) {
        bool replaced = false;
        for (auto it = values.begin(); it != values.end(); ++it)
            if (it.key().compare(e.section + u'/' + e.key, Qt::CaseInsensitive) == 0) {
                it.value() = e.value;
                replaced = true;
            }
        if (!replaced)
            values.insert(e.section + u'/' + e.key, e.value);
    }
    present = true;
    ++writes;
    return true;
}

TemporaryProfile::TemporaryProfile()
    : oldProfile_(qgetenv("USERPROFILE")), oldHome_(qgetenv("HOME")), oldData_(qgetenv("XDG_DATA_HOME"))
{
    qputenv("USERPROFILE", dir_.path().toLocal8Bit());
    qputenv("HOME", dir_.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir_.path() + "/.local/share").toLocal8Bit());
}

TemporaryProfile::~TemporaryProfile()
{
    qputenv("USERPROFILE", oldProfile_);
    qputenv("HOME", oldHome_);
    qputenv("XDG_DATA_HOME", oldData_);
}

} // namespace fakes
