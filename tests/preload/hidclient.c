/* A plain hidapi program, linked against the system's hidapi: it lists the
 * interfaces of 04d9:a1ee and runs one echo exchange on the first
 * vendor-defined one. Run with the virtual mouse preloaded, it shows that the
 * preloaded library serves an unchanged hidapi program. */
#include <hidapi.h>

#include <stdio.h>
#include <string.h>

static unsigned char checksum(const unsigned char* block)
{
    unsigned sum = 0;
    for (int i = 0; i < 7; ++i)
        sum += block[i];
    return (unsigned char)~sum;
}

static int echo(const char* path)
{
    hid_device* dev = hid_open_path(path);
    if (!dev) {
        printf("open failed: %ls\n", hid_error(NULL));
        return 1;
    }
    hid_set_nonblocking(dev, 0);
    unsigned char report[9] = {0x00, 0x00, 0x5a, 0xa5, 0x01, 0xfe, 0x00, 0x00, 0x00};
    report[8] = checksum(report + 1);
    const int sent = hid_send_feature_report(dev, report, sizeof report);
    unsigned char reply[9] = {0};
    const int got = hid_get_feature_report(dev, reply, sizeof reply);
    printf("echo sent=%d got=%d reply", sent, got);
    for (int i = 1; i < 9; ++i)
        printf(" %02x", reply[i]);
    printf("\n");
    hid_close(dev);
    return sent == 9 && got == 9 ? 0 : 1;
}

int main(void)
{
    if (hid_init() != 0) {
        printf("hid_init failed\n");
        return 2;
    }
    printf("hidapi %s\n", hid_version_str());
    struct hid_device_info* list = hid_enumerate(0x04d9, 0xa1ee);
    char command[256] = "";
    int count = 0;
    for (struct hid_device_info* i = list; i; i = i->next, ++count) {
        printf("interface %s %04x %04x %ls\n", i->path, i->usage_page, i->usage,
               i->product_string ? i->product_string : L"");
        if (!command[0] && i->usage_page >= 0xff00)
            snprintf(command, sizeof command, "%s", i->path);
    }
    hid_free_enumeration(list);
    printf("interfaces %d\n", count);
    const int rc = command[0] ? echo(command) : 1;
    hid_exit();
    return rc;
}
