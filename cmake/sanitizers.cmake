# Sanitizer builds. Each option instruments every target of the tree (the
# program, its libraries, the virtual mouse and the tests); use a build
# directory of its own for each, e.g.
#   cmake -B build-asan -DKESTREL_SANITIZE_ADDRESS=ON
#   cmake -B build-tsan -DKESTREL_SANITIZE_THREAD=ON
# A report makes the process fail, so a test with one fails.
option(KESTREL_SANITIZE_ADDRESS "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KESTREL_SANITIZE_THREAD "Build with ThreadSanitizer" OFF)

# libFuzzer targets (tests/fuzz): clang only, everything instrumented for
# coverage with AddressSanitizer and UndefinedBehaviorSanitizer, e.g.
#   CC=clang CXX=clang++ cmake -B build-fuzz -DKESTREL_FUZZ=ON
option(KESTREL_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(KESTREL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "KESTREL_FUZZ needs clang (CC=clang CXX=clang++)")
    endif()
    if(KESTREL_SANITIZE_ADDRESS OR KESTREL_SANITIZE_THREAD)
        message(FATAL_ERROR "KESTREL_FUZZ brings its own sanitizers")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(KESTREL_SANITIZE_ADDRESS AND KESTREL_SANITIZE_THREAD)
    message(FATAL_ERROR "AddressSanitizer and ThreadSanitizer cannot share one build")
endif()

# The runtime a sanitized program needs first in LD_PRELOAD when a library is
# preloaded into it (the virtual mouse); empty in a plain build. Tests that
# preload prepend it (see kestrel_preload_list below).
set(KESTREL_SANITIZER_RUNTIME "")

if(KESTREL_SANITIZE_ADDRESS OR KESTREL_SANITIZE_THREAD)
    if(KESTREL_SANITIZE_ADDRESS)
        set(flags -fsanitize=address,undefined -fno-sanitize-recover=undefined)
        set(runtime_name libasan.so)
    else()
        set(flags -fsanitize=thread)
        set(runtime_name libtsan.so)
    endif()
    add_compile_options(${flags} -fno-omit-frame-pointer)
    add_link_options(${flags})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime_name}
                    OUTPUT_VARIABLE runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
    # The linker script libasan.so names the real, versioned object.
    get_filename_component(runtime "${runtime}" REALPATH)
    if(NOT IS_ABSOLUTE "${runtime}" OR NOT EXISTS "${runtime}")
        message(FATAL_ERROR "sanitizer runtime ${runtime_name} not found")
    endif()
    set(KESTREL_SANITIZER_RUNTIME "${runtime}")

    # Reports inside system libraries that this tree cannot fix; each entry
    # says why. Nothing of the program's own code is listed.
    set(supp ${PROJECT_SOURCE_DIR}/cmake/sanitizer-suppressions)
    if(KESTREL_SANITIZE_ADDRESS)
        set(env
            "ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1"
            "LSAN_OPTIONS=suppressions=${supp}/lsan.supp:print_suppressions=0"
            "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
    else()
        # Qt's libraries are not instrumented: their interceptions (mutexes,
        # memory) cannot tell their own futex-based synchronisation, so only
        # the program's instrumented code is watched. Hand-overs through Qt's
        # thread pool and event queue are stated in device/threadhandover.h.
        set(env
            "TSAN_OPTIONS=suppressions=${supp}/tsan.supp:halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1")
    endif()
    # The test run takes the options from the environment, so every test of
    # the tree, and every process a test starts, gets them without a change
    # of its own: scripts/sanitize.sh sources this file before ctest.
    list(TRANSFORM env PREPEND "export ")
    string(JOIN "\n" env_text ${env})
    file(WRITE ${CMAKE_BINARY_DIR}/sanitizer-env.sh "${env_text}\n")
endif()

# Put in front of a preloaded library in LD_PRELOAD: "<runtime>:" in a
# sanitizer build, empty otherwise.
if(KESTREL_SANITIZER_RUNTIME)
    set(KESTREL_PRELOAD_PREFIX "${KESTREL_SANITIZER_RUNTIME}:")
    if(KESTREL_SANITIZE_ADDRESS)
        # Mesa unloads its GL driver (and on Wayland its EGL) before the leak
        # check at exit runs, which leaves the driver's own allocations
        # without a module to name them by (and so to suppress them by).
        # Preloaded, they stay.
        foreach(mesa libGLX_mesa.so.0 libEGL_mesa.so.0 dri/swrast_dri.so)
            set(path /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/${mesa})
            if(EXISTS ${path})
                string(APPEND KESTREL_PRELOAD_PREFIX "${path}:")
            endif()
        endforeach()
    endif()
else()
    set(KESTREL_PRELOAD_PREFIX "")
endif()
