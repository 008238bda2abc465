#pragma once

#include <QString>

// The checks an exchange file (".pf", ".mc") must pass before it may replace
// a profile or join the macro library. The file comes from anywhere the
// user points the dialog at, so it is looked at before a byte is copied.
namespace importcheck {

// Far above any profile or macro file (a few kilobytes), far below a size
// that would strain memory when the file is read whole.
constexpr qint64 kMaxBytes = 1024 * 1024;

// Empty when `path` may be imported, otherwise the reason it may not: not a
// regular file (a folder, a device, a dangling link; a link is followed), not
// readable, empty, larger than kMaxBytes, or not a settings text with keys.
QString refusal(const QString& path);

// True when `path` may be imported; otherwise writes the debug line
// "Import refused: <path>: <reason>" and returns false.
bool accept(const QString& path);

} // namespace importcheck
