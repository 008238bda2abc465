#include "eventreport.h"

namespace eventreport {

std::optional<int> stageOf(const uchar* report, int length)
{
    if (length != kSize || !report || report[0] != 0x06 || report[1] != 0x07)
        return std::nullopt;
    return int(report[3]);
}

} // namespace eventreport
