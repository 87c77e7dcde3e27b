#pragma once

#include "platform/vendorchannel.h"

#include <QString>

namespace platform {

// The vendor library loaded at run time with dlopen: libetlib2.so beside the executable, or the
// file named by SENDRA_CAM_BRIDGE_LIBRARY. Entry points are found by name (ELF has no ordinals):
// "ETLIB_Open", "ETLIB_Close", "ETLIB_GetIdentity". When the library or a symbol is missing,
// every open fails and nothing else is called.
class DlVendorChannel final : public VendorChannel
{
public:
    explicit DlVendorChannel(const QString &libraryPath);
    ~DlVendorChannel() override;
    DlVendorChannel(const DlVendorChannel &) = delete;
    DlVendorChannel &operator=(const DlVendorChannel &) = delete;

    static QString defaultLibraryPath(const QString &programDir);

    bool loaded() const { return open_ && close_ && identity_; }
    bool libraryPresent() const override { return loaded(); }
    const QString &loadError() const { return loadError_; }

    int open() override;
    void close() override;
    int identity(int index, char16_t *buffer) override;

private:
    using OpenFn = int (*)();
    using CloseFn = int (*)();
    using IdentityFn = int (*)(int, char16_t *);

    void *handle_ = nullptr;
    OpenFn open_ = nullptr;
    CloseFn close_ = nullptr;
    IdentityFn identity_ = nullptr;
    QString loadError_;
};

} // namespace platform
