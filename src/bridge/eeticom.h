#pragma once

#include <QString>

namespace platform {
class VendorChannel;
}

namespace bridge {

// The camera bridge chip's register channel. One per program run, owned by the main window.
// Every open is preceded by a close, as the vendor library expects.
class EETI_com
{
public:
    // Closes and opens once; that first result is not used.
    explicit EETI_com(platform::VendorChannel &channel);
    ~EETI_com();
    EETI_com(const EETI_com &) = delete;
    EETI_com &operator=(const EETI_com &) = delete;

    // Non-zero: a bridge was found and opened.
    int Open();
    // Identity texts 0 to 2; any other index, or a read the library refuses, is empty.
    QString IdentityText(int index);

private:
    platform::VendorChannel &channel_;
};

enum class Recognition {
    Unknown,
    NoBridge,        // two opens failed: the caller says UsingAdminPower_MsgBox
    OtherModel,
    KorvoModel,      // identity text 2 names the model whose ruler scales are reloaded
};

// The connect-time model recognition: open, open once more on failure, then read identity 2.
Recognition recognizeModel(EETI_com &channel);

} // namespace bridge
