#pragma once

#include <QMetaType>

namespace tools {

// The status word of a conversion; the window turns it into TCOM_Ready, TCOM_Processing,
// TCOM_Finished or TCOM_Disable.
enum class ConversionStatus { Unknown, Ready, Processing, Finished, Stopped };

// One progress report: the status word, the percentage, and done out of total.
struct ConversionProgress {
    ConversionStatus status = ConversionStatus::Ready;
    int percent = 0;
    long long done = 0;
    long long total = 0;
};

} // namespace tools

Q_DECLARE_METATYPE(tools::ConversionProgress)
