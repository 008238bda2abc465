// Reply blocks and bulk input reports as a device might send them: any
// length, any bytes, failures and time-outs anywhere, plain and scrambled
// framing, any report length, for every read command and the link check.
#include "fuzzsupport.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::setUp();
    fuzz::Reader input(data, size);
    const std::uint8_t setup = input.byte();
    const bool encoded = setup & 1;
    const int reportLength = int(input.byte()) - 8;   // zero and negative included
    Hid_Thread hid;
    fuzz::connect(hid, encoded, reportLength);
    hid.deviceList[0].sCode = QString::fromLatin1(input.bytes(6));
    fuzz::scriptDevice(&input);
    uchar b1 = input.byte(), b2 = input.byte(), b3 = input.byte(), b4 = input.byte();
    QByteArray buffer = input.bytes(128).leftJustified(128, '\0');
    switch ((setup >> 1) % 9) {
    case 0: hid.hid553_00H_GetSecrecyCode(b1, b2, b3, b4); break;
    case 1: hid.hid553_83H_GetKeyboardoption(b1, b2, b3, b4); break;
    case 2: hid.hid553_8BH_GetCurrentDPI(b1); break;
    case 3: hid.hid560_81H_GetKeyboardoption(b1, b2); break;
    case 4: hid.hid560_82H_GetCurrentProfile(b1); break;
    case 5: hid.hid560_84H_GetCurrentDPI(b1, b2); break;
    case 6: hid.hid560_8CH_readProfile(reinterpret_cast<uchar*>(buffer.data()), b1); break;
    case 7: (void)hid.chkDeviceIsEnCode(0); break;
    default: {
        // A reply block unscrambled with any code.
        uchar block[8] = {b1, b2, b3, b4, 0, 0, 0, 0};
        std::memcpy(block + 4, buffer.constData(), 4);
        hid.USBDataDecipher(block, reinterpret_cast<uchar*>(buffer.data() + 8));
        break;
    }
    }
    fuzz::scriptDevice(nullptr);
    // Every exchange ends with the gate free, whatever the device did.
    if (!hid.linkIdle)
        __builtin_trap();
    return 0;
}
