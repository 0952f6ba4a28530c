#include "core/clock.h"

#include <optional>

namespace rubso {
namespace {
std::optional<QDateTime>& Fixed() {
    static std::optional<QDateTime> fixed;
    return fixed;
}
}  // namespace

QDateTime Clock::Now() {
    return Fixed() ? *Fixed() : QDateTime::currentDateTime();
}

void Clock::SetFixed(const QDateTime& moment) {
    Fixed() = moment;
}

void Clock::Reset() {
    Fixed().reset();
}

}  // namespace rubso
