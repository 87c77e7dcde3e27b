#include "dlvendorchannel.h"

#include <QFile>

#include <cstdlib>
#include <dlfcn.h>

namespace platform {

QString DlVendorChannel::defaultLibraryPath(const QString &programDir)
{
    const char *env = std::getenv("SENDRA_CAM_BRIDGE_LIBRARY");
    if (env && *env)
        return QString::fromLocal8Bit(env);
    return programDir + QStringLiteral("/libetlib2.so");
}

DlVendorChannel::DlVendorChannel(const QString &libraryPath)
{
    handle_ = ::dlopen(QFile::encodeName(libraryPath).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        loadError_ = QString::fromLocal8Bit(::dlerror());
        return;
    }
    open_ = reinterpret_cast<OpenFn>(::dlsym(handle_, "ETLIB_Open"));
    close_ = reinterpret_cast<CloseFn>(::dlsym(handle_, "ETLIB_Close"));
    identity_ = reinterpret_cast<IdentityFn>(::dlsym(handle_, "ETLIB_GetIdentity"));
    if (!loaded())
        loadError_ = QStringLiteral("entry point missing in ") + libraryPath;
}

DlVendorChannel::~DlVendorChannel()
{
    if (handle_)
        ::dlclose(handle_);
}

int DlVendorChannel::open() { return loaded() ? open_() : 0; }

void DlVendorChannel::close()
{
    if (loaded())
        close_();
}

int DlVendorChannel::identity(int index, char16_t *buffer) { return loaded() ? identity_(index, buffer) : -1; }

} // namespace platform
