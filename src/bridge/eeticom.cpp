#include "eeticom.h"

#include "platform/vendorchannel.h"

#include <array>

namespace bridge {

EETI_com::EETI_com(platform::VendorChannel &channel) : channel_(channel)
{
    channel_.close();
    channel_.open();
}

EETI_com::~EETI_com() { channel_.close(); }

int EETI_com::Open()
{
    channel_.close();
    return channel_.open();
}

bool EETI_com::LibraryPresent() const { return channel_.libraryPresent(); }

QString EETI_com::IdentityText(int index)
{
    if (index < 0 || index > 2)
        return {};
    std::array<char16_t, platform::VendorChannel::kIdentityUnits> buffer{};
    if (channel_.identity(index, buffer.data()) < 0)
        return {};
    // The library's terminator is not trusted: the last unit always ends the text.
    buffer.back() = 0;
    const QString text = QString::fromUtf16(buffer.data());
    return QString::fromLatin1(text.toLatin1());   // 8-bit characters, as the model words are
}

Recognition recognizeModel(EETI_com &channel)
{
    if (!channel.LibraryPresent())
        return Recognition::Unknown;
    if (channel.Open() == 0 && channel.Open() == 0)
        return Recognition::NoBridge;
    return channel.IdentityText(2).contains(QLatin1String("Korvo")) ? Recognition::KorvoModel : Recognition::OtherModel;
}

} // namespace bridge
