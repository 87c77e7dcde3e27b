#include "platform/mediapipeline.h"

namespace platform {

QString fourccText(FourCC code)
{
    QString s;
    for (int i = 0; i < 4; ++i)
        s += QChar(char((code >> (8 * i)) & 0xFF));
    return s.trimmed();
}

} // namespace platform
