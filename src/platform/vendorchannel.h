#pragma once

#include <cstdint>

namespace platform {

// The camera bridge chip's vendor library: a control channel to the chip and its identity texts.
class VendorChannel
{
public:
    static constexpr int kIdentityUnits = 128;   // 256 bytes of UTF-16

    virtual ~VendorChannel() = default;
    // False when the vendor library (or one of its entry points) is not installed: the chip
    // cannot be asked at all, which is the ordinary case and no access problem.
    virtual bool libraryPresent() const = 0;
    // Non-zero: a bridge was found and opened. Without the library every open fails.
    virtual int open() = 0;
    virtual void close() = 0;
    // Fills `buffer` (kIdentityUnits units, zeroed by the caller) with a zero-terminated UTF-16
    // text; a result of at least 0 means the text is valid.
    virtual int identity(int index, char16_t *buffer) = 0;
};

} // namespace platform
