// The hidapi the fuzz targets link in place of a real one: every answer of
// the device (does the open work, how many bytes come back, which bytes)
// comes from the fuzz input, so the transport meets replies no real mouse
// would send.
#include "fuzzsupport.h"

#include <hidapi.h>

#include <algorithm>
#include <cstring>

struct hid_device_ {
    int unused = 0;
};

namespace {

fuzz::Reader* script = nullptr;

// The next answer: a length code, read as how many bytes (or a failure).
int answerLength(std::size_t length)
{
    if (!script || script->empty())
        return -1;
    const int code = script->byte();
    if (code >= 0xF0)
        return -1;   // failed
    if (code >= 0xE0)
        return 0;    // timed out
    return code >= 0x80 ? int(length) : int(std::min<std::size_t>(length, std::size_t(code % 80)));
}

int fill(unsigned char* data, std::size_t length)
{
    const int n = answerLength(length);
    if (n > 0) {
        const QByteArray bytes = script->bytes(std::size_t(n));
        std::memset(data, 0, length);
        std::memcpy(data, bytes.constData(), size_t(bytes.size()));
    }
    return n;
}

} // namespace

namespace fuzz {
void scriptDevice(Reader* reader)
{
    script = reader;
}
} // namespace fuzz

extern "C" {

int hid_init(void) { return 0; }
int hid_exit(void) { return 0; }

hid_device_info* hid_enumerate(unsigned short, unsigned short) { return nullptr; }
void hid_free_enumeration(hid_device_info*) {}

hid_device* hid_open_path(const char* path)
{
    if (!path || (script && !script->empty() && script->byte() == 0xFF))
        return nullptr;
    return new hid_device_;
}

hid_device* hid_open(unsigned short, unsigned short, const wchar_t*) { return nullptr; }
void hid_close(hid_device* dev) { delete dev; }
int hid_set_nonblocking(hid_device*, int) { return 0; }

int hid_send_feature_report(hid_device*, const unsigned char*, size_t length)
{
    return script && !script->empty() && script->byte() == 0xFF ? -1 : int(length);
}

int hid_get_feature_report(hid_device*, unsigned char* data, size_t length)
{
    return fill(data, length);
}

int hid_write(hid_device*, const unsigned char*, size_t length)
{
    return script && !script->empty() && script->byte() == 0xFF ? -1 : int(length);
}

int hid_read_timeout(hid_device*, unsigned char* data, size_t length, int)
{
    return fill(data, length);
}

int hid_read(hid_device* dev, unsigned char* data, size_t length)
{
    return hid_read_timeout(dev, data, length, -1);
}

int hid_get_input_report(hid_device*, unsigned char*, size_t) { return -1; }
const wchar_t* hid_error(hid_device*) { return L"stub"; }

} // extern "C"
