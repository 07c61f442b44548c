#pragma once

// Opening the maker's web address. The window's ShellOpen hands the address
// to the desktop, which starts the user's default browser; whether that
// worked is not looked at, as a failed link must never disturb the program.
// Tests replace the opener to see what would have been opened.

#include <QString>

#include <functional>

namespace about {

using Opener = std::function<void(const QString &url, const QString &params)>;

// Installs an opener and returns the previous one; an empty opener restores
// the desktop's.
Opener setOpener(Opener opener);

void shellOpen(const QString &url, const QString &params);

} // namespace about
