#include "diagnosticslog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

DiagnosticsLog::DiagnosticsLog()
{
    const char *v = std::getenv("SENDRA_CAM_LOG");
    echo_ = v && std::strcmp(v, "1") == 0;
}

void DiagnosticsLog::append(const QString &line)
{
    if (lines_.size() >= kMaxLines)
        lines_.removeFirst();
    lines_.append(line);
    if (echo_)
        std::fprintf(stderr, "sendra-cam: %s\n", line.toLocal8Bit().constData());
}

void DiagnosticsLog::exceptionAt(const QString &operation)
{
    append(QStringLiteral("Exception Error at ") + operation);
}

} // namespace platform
