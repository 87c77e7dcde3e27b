#pragma once

// The device tests and the listing benchmark run the real libudev, open() and ioctl() against a
// umockdev testbed, which only works with libumockdev-preload loaded before everything else.
// ctest starts them through umockdev-wrapper; started by hand they load it themselves by starting
// again. Call first thing in main(); returns only when the preload is in place.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace devtest {

inline void startUnderUmockdevPreload(char **argv)
{
    const char *preload = std::getenv("LD_PRELOAD");
    if (preload && std::strstr(preload, "libumockdev-preload"))
        return;
    std::string value = "libumockdev-preload.so.0";
    if (preload && *preload)
        value += std::string(":") + preload;
    setenv("LD_PRELOAD", value.c_str(), 1);
    execv("/proc/self/exe", argv);
    std::perror("cannot start again with libumockdev-preload");
    std::exit(2);
}

} // namespace devtest
