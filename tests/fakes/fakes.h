#pragma once

#include "platform/clock.h"
#include "platform/profilestore.h"
#include "platform/vendorchannel.h"

#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <csignal>

#include <sys/resource.h>

namespace fakes {


struct FakeClock final : platform::Clock {
    QDateTime time{QDate(2014, 11, 11), QTime(10, 0)};
    QDate today() const override { return time.date(); }
    QDateTime now() const override { return time; }
};

// A ProfileStore in memory; `writes` counts batches so tests can see when the file was written.
class MemoryProfileStore final : public platform::ProfileStore
{
public:
    bool present = false;
    bool failWrites = false;
    int writes = 0;
    QHash<QString, QString> values;   // "section/key" as written, case kept

    bool exists() const override { return present; }
    std::optional<QString> read(const QString &section, const QString &key) const override;
    bool write(const std::vector<platform::ProfileEntry> &entries) override;
    QString value(const QString &section, const QString &key) const { return read(section, key).value_or(QString()); }
};

// A temporary folder used as USERPROFILE, HOME and XDG_DATA_HOME for the test's lifetime, so no
// test touches the real profile or trash. Restores the previous values on destruction.
class TemporaryProfile
{
public:
    TemporaryProfile();
    ~TemporaryProfile();
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray oldProfile_, oldHome_, oldData_;
};

// The camera bridge chip's vendor channel: the library absent unless `present`, the chip
// refusing every open; opens and closes are counted.
struct FakeBridge final : platform::VendorChannel {
    bool present = false;
    int opens = 0;
    int closes = 0;
    bool libraryPresent() const override { return present; }
    int open() override
    {
        ++opens;
        return 0;
    }
    void close() override { ++closes; }
    int identity(int, char16_t *) override { return -1; }
};

// A file-size limit for this process while in scope: writes beyond it fail with EFBIG, as a full
// disk fails them with ENOSPC, instead of raising SIGXFSZ.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = old;
        r.rlim_cur = bytes;
        ok = setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    rlimit old{};
    void (*previous)(int) = nullptr;
    bool ok = false;
};

} // namespace fakes
