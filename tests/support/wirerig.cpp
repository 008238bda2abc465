#include "wirerig.h"

WireRig::WireRig(const vmouse::DeviceConfig& deviceConfig)
    : config(deviceConfig)
{
    vmouse::reset();
    device = vmouse::addDevice(config);
    hid.owner = &owner;
    hid.deviceList = {descriptorFor(config, device)};
    hid.currentDevice = 0;
    scrambling::loadSecrecyCode(hid.deviceList.at(0).sCode, hid.secrecyCode);
    vmouse::clearRecord();
}

DeviceDescriptor WireRig::descriptorFor(const vmouse::DeviceConfig& config, int device)
{
    DeviceDescriptor d;
    d.type = 1;
    d.vid = config.vid;
    d.pid = config.pid;
    d.usagePage = config.usagePage;
    d.usage = config.usage;
    d.usagePage2 = config.usagePage2;
    d.usage2 = config.usage2;
    d.reportLength = config.reportLength;
    d.isEncode = config.encoded;
    d.sCode = QString::fromStdString(config.secrecyCode);
    d.commandPath = QStringLiteral("vmouse:%1:1").arg(device);
    d.eventPath = QStringLiteral("vmouse:%1:2").arg(device);
    return d;
}

std::vector<vmouse::Call> WireRig::calls() const
{
    return vmouse::record();
}

std::vector<vmouse::Call> WireRig::calls(vmouse::CallKind kind) const
{
    std::vector<vmouse::Call> out;
    for (const vmouse::Call& call : vmouse::record())
        if (call.kind == kind)
            out.push_back(call);
    return out;
}

QString WireRig::callSequence() const
{
    QStringList names;
    for (const vmouse::Call& call : vmouse::record())
        names.append(QString::fromLatin1(vmouse::callKindName(call.kind)));
    return names.join(QLatin1Char(' '));
}

QByteArray bytes(const vmouse::Bytes& data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}

QByteArray hex(const char* spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

QByteArray block(std::initializer_list<uchar> first7)
{
    QByteArray out;
    uchar sum = 0;
    for (uchar b : first7) {
        out.append(char(b));
        sum = uchar(sum + b);
    }
    out.append(char(uchar(~sum)));
    return out;
}

vmouse::FirmwareState distinctReadState()
{
    vmouse::FirmwareState s;
    s.keyboardOptions553 = {0x81, 0x42, 0x23, 0x14};
    s.currentDpi553 = 5;
    s.keyboardOptions560 = {0x5A, 0xA5};
    s.currentProfile560 = 3;
    s.currentDpi560 = {0, 6, 1, 1, 1};
    return s;
}
