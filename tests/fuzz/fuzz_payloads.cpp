// The payload builders fed what the UI documents could hand them: variant
// lists of any length holding numbers, texts, booleans, nested lists or
// nothing, with every family and flag, sent over a device that accepts all.
#include "deviceflags.h"
#include "dpi.h"
#include "fuzzsupport.h"
#include "guntransfer.h"
#include "keydefinition.h"
#include "keymatrix.h"
#include "lighting.h"
#include "macrotransfer.h"
#include "profileblocks.h"
#include "reportrate.h"
#include "settingsfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::setUp();
    fuzz::Reader input(data, size);
    const std::uint8_t choice = input.byte();
    const std::uint8_t bits = input.byte();
    DeviceFlags flags;
    flags.family560 = bits & 1;
    flags.isGun = bits & 2;
    flags.isColorful = bits & 4;
    flags.is55328 = bits & 8;
    Hid_Thread hid;
    fuzz::connect(hid, bits & 16, (bits & 32) ? 64 : 32);
    ProfileBlocks blocks;
    const QString sensors[] = {QStringLiteral("3389"), QStringLiteral("3325"), QStringLiteral("5050"), input.text()};
    const QString sensor = sensors[input.byte() % 4];
    switch (choice % 11) {
    case 0: (void)dpi::encodeStages(sensor, input.list()); break;
    case 1: {
        const int count = input.number();
        dpi::setDpi(hid, flags, blocks, count, sensor, input.list());
        break;
    }
    case 2: (void)lighting::colourBytes(input.list()); break;
    case 3: {
        const uchar type = input.byte();
        lighting::setColor(hid, flags, blocks, type, input.list());
        break;
    }
    case 4: lighting::setEffect(hid, flags, blocks, input.byte(), input.byte(), input.byte()); break;
    case 5: {
        const keymatrix::Matrix base = keymatrix::baseMatrix(input.list(), flags.family560);
        const keymatrix::Matrix firmware = keymatrix::baseMatrix(input.list(), flags.family560);
        (void)keymatrix::buildKeyMatrices(base, firmware, flags.family560, input.list());
        break;
    }
    case 6: {
        SettingsFile profile(QStringLiteral("./modules/setting/p1.bin"));
        const QVariantList src64 = input.list();
        const bool send = input.byte() & 1;
        keymatrix::setKeyMatrix(hid, flags, &profile, blocks, src64, send, input.list());
        break;
    }
    case 7: {
        const int mode = input.number();
        guntransfer::sendGunData(hid, flags, blocks, mode, input.list());
        break;
    }
    case 8: {
        const QVariant index = input.variant();
        macrotransfer::sendMacroData(hid, flags, input.list(), index);
        break;
    }
    case 9: {
        keydef::Definition stored{input.byte(), input.byte(), input.byte(), input.byte()};
        (void)keydef::toDeviceForm(stored, flags.family560);
        reportrate::setReportRate(hid, flags, input.byte());
        break;
    }
    default: {
        const uint profileNo = input.byte();
        blocks.write(hid, profileNo);
        blocks.read(hid, profileNo);
        break;
    }
    }
    if (!hid.linkIdle)
        __builtin_trap();
    return 0;
}
