#include "iniprofilestore.h"

#include "atomicfile.h"

#include <QFileInfo>

namespace platform {

IniProfileStore::IniProfileStore(QString path) : path_(std::move(path)) {}

bool IniProfileStore::exists() const { return QFileInfo(path_).isFile(); }

std::optional<QString> IniProfileStore::read(const QString &section, const QString &key) const
{
    if (!cache_)
        cache_ = IniDocument::load(path_);
    if (!cache_)
        return std::nullopt;
    return cache_->value(section, key);
}

bool IniProfileStore::write(const std::vector<ProfileEntry> &entries)
{
    // Start from what is on disk now, so keys of others (or of a newer program) survive.
    IniDocument doc = IniDocument::load(path_).value_or(IniDocument());
    for (const ProfileEntry &e : entries)
        doc.setValue(e.section, e.key, e.value);
    const QByteArray bytes = doc.serialize();
    if (writeFileAtomically(path_, bytes.constData(), std::size_t(bytes.size()), Durability::Synced))
        return false;
    cache_ = std::move(doc);
    return true;
}

} // namespace platform
