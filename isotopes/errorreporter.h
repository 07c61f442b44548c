#pragma once

#include <functional>
#include <string>

namespace isotopes {

// Errors raised while Qt is dispatching an event (a row change in the grid, a
// navigator click, a choice in the lookup list) must not unwind through Qt's
// frames. The widgets catch them at their handlers and pass the message here;
// the main window installs its central error display. Until then the message
// goes to qWarning.
void setErrorReporter(std::function<void(const std::string &message)> reporter);
void reportError(const std::string &message);

// Runs an action on behalf of an event handler, routing a halvora::Error to
// the reporter. Returns false when the action failed.
bool guarded(const std::function<void()> &action);

} // namespace isotopes
