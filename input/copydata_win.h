#pragma once

// Plain C++ only: included by the Qt filter and compiled without Qt.

#include <cstdint>

class InputHooks;

// Hands a Windows MSG to the hooks' copy-data handling. True when it was a
// WM_COPYDATA that a handler took; *result then holds the reply.
bool dispatchCopyDataMessage(InputHooks& hooks, const void* msg, std::intptr_t* result);
