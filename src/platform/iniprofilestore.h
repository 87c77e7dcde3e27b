#pragma once

#include "inidocument.h"
#include "profilestore.h"

namespace platform {

// A ProfileStore over one INI file on disk. The file is read on first use and again after each
// write; nothing stays open between calls.
class IniProfileStore final : public ProfileStore
{
public:
    explicit IniProfileStore(QString path);

    bool exists() const override;
    std::optional<QString> read(const QString &section, const QString &key) const override;
    bool write(const std::vector<ProfileEntry> &entries) override;

    const QString &path() const { return path_; }

private:
    QString path_;
    mutable std::optional<IniDocument> cache_;
};

} // namespace platform
