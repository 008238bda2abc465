// libvmouse.so only: the control channel named by VMOUSE_CONTROL starts with
// the program's first hid_* call rather than at load time, so that child
// processes inheriting LD_PRELOAD and VMOUSE_CONTROL (a shell, vmousectl
// itself) never touch the socket unless they use hidapi too.
#include "library.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::once_flag started;

void startFromEnvironment()
{
    std::call_once(started, [] {
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
