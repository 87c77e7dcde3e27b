#pragma once

#include <QDate>
#include <QDateTime>

namespace platform {

// Time as the logic sees it; tests pass a fake.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDate today() const override { return QDate::currentDate(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace platform
