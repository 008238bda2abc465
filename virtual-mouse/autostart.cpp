// libvmouse.so only: the control channel named by VMOUSE_CONTROL starts with
// the program's first hid_* call rather than at load time, so that child
// processes inheriting LD_PRELOAD and VMOUSE_CONTROL (a shell, vmousectl
// itself) never touch the socket unless they use hidapi too.
#include "library.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

std::once_flag started;

// VMOUSE_RECORD_AT_EXIT: the record and the firmware state, as the control
// channel's "record" and "state" answer them, written to that file when the
// process ends; how a test reads what a short-lived process sent.
void writeRecordAtExit()
{
    const char* path = std::getenv("VMOUSE_RECORD_AT_EXIT");
    if (std::FILE* file = path && *path ? std::fopen(path, "w") : nullptr) {
        const std::string text = vmouse::controlRequest("record") + vmouse::controlRequest("state");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

void startFromEnvironment()
{
    std::call_once(started, [] {
        // The library is never destroyed, so it is still there at exit.
        if (const char* record = std::getenv("VMOUSE_RECORD_AT_EXIT"); record && *record)
            std::atexit(writeRecordAtExit);
        const char* path = std::getenv("VMOUSE_CONTROL");
        if (!path || !*path)
            return;
        std::string error;
        if (!vmouse::serveControl(path, &error))
            std::fprintf(stderr, "vmouse: VMOUSE_CONTROL: %s\n", error.c_str());
    });
}

__attribute__((constructor)) void registerAutostart()
{
    vmouse::detail::sharedHooks().beforeHidCall = startFromEnvironment;
}

} // namespace
