#include "isotopes/errorreporter.h"

#include "decay/error.h"

#include <QtGlobal>

namespace isotopes {

namespace {

std::function<void(const std::string &)> &reporterSlot()
{
    static std::function<void(const std::string &)> reporter;
    return reporter;
}

} // namespace

void setErrorReporter(std::function<void(const std::string &message)> reporter)
{
    reporterSlot() = std::move(reporter);
}

void reportError(const std::string &message)
{
    if (const auto &reporter = reporterSlot())
        reporter(message);
    else
        qWarning("%s", message.c_str());
}

bool guarded(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const halvora::Error &error) {
        reportError(error.what());
        return false;
    }
}

} // namespace isotopes
