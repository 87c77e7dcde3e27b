#pragma once

#include <cstdint>

namespace platform {

// The camera bridge chip's vendor library: a control channel to the chip and its identity texts.
class VendorChannel
{
public:
    static constexpr int kIdentityUnits = 128;   // 256 bytes of UTF-16

    virtual ~VendorChannel() = default;
    // Non-zero: a bridge was found and opened. A missing library is an open that fails.
    virtual int open() = 0;
    virtual void close() = 0;
    // Fills `buffer` (kIdentityUnits units, zeroed by the caller) with a zero-terminated UTF-16
    // text; a result of at least 0 means the text is valid.
    virtual int identity(int index, char16_t *buffer) = 0;
};

} // namespace platform
