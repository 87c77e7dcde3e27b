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
    // Whether the vendor library is installed; without it the model cannot be asked.
    bool LibraryPresent() const;
    // Identity texts 0 to 2; any other index, or a read the library refuses, is empty.
    QString IdentityText(int index);

private:
    platform::VendorChannel &channel_;
};

enum class Recognition {
    Unknown,         // no vendor library: the model cannot be asked, and nothing is wrong
    NoBridge,        // the library is there but two opens failed: the caller says UsingAdminPower_MsgBox
    OtherModel,
    KorvoModel,      // identity text 2 names the model whose ruler scales are reloaded
};

// The connect-time model recognition: open, open once more on failure, then read identity 2.
// Without the library nothing is opened and the model stays Unknown.
Recognition recognizeModel(EETI_com &channel);

} // namespace bridge
