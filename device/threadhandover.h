#pragma once

// ThreadSanitizer sees the program's own memory accesses but not the
// synchronisation inside Qt's uninstrumented thread pool, futures and event
// queue, so work handed from one thread to another through them looks like a
// race. These calls state those hand-overs where they happen (starting the
// reader task, awaiting its end, posting its effects to the GUI thread); in
// any other build they are nothing.
#if defined(__SANITIZE_THREAD__)
#define KESTREL_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KESTREL_THREAD_SANITIZER 1
#endif
#endif

#ifdef KESTREL_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace threadhandover {

// Everything this thread did so far happens before the matching take().
inline void give([[maybe_unused]] void* token)
{
#ifdef KESTREL_THREAD_SANITIZER
    __tsan_release(token);
#endif
}

inline void take([[maybe_unused]] void* token)
{
#ifdef KESTREL_THREAD_SANITIZER
    __tsan_acquire(token);
#endif
}

} // namespace threadhandover
