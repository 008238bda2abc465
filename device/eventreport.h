#pragma once

#include <QtGlobal>

#include <optional>

// The one report the event interface carries that means something: the DPI
// button's stage report, 06 07 xx stage. Its bytes come from the device as
// they are (never scrambled).
namespace eventreport {

constexpr int kSize = 4;

// The stage a read of `length` bytes announces (byte 3, counted from 1), or
// nothing: any other report, and any read that is not exactly 4 bytes.
std::optional<int> stageOf(const uchar* report, int length);

} // namespace eventreport
