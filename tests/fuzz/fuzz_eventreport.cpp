// Input reports of the event interface: any bytes, any length.
#include "dpiswitchtexts.h"
#include "eventreport.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::setUp();
    // The reader hands over what hid_read_timeout returned: a length that may
    // be negative (a failure), shorter or longer than the buffer's 4 bytes.
    for (int length : {int(size), -1, 0, 3, 4, 5})
        if (length <= int(size))
            if (const std::optional<int> stage = eventreport::stageOf(data, length))
                (void)dpiSwitchText(*stage);
    return 0;
}
