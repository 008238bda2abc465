# Runs the Windows cross compiler in syntax-only mode over each file.
# Fails when the compiler is missing, a required file is missing, or any
# file does not compile.
if(NOT COMPILER OR NOT EXISTS "${COMPILER}")
    message(FATAL_ERROR "x86_64-w64-mingw32-g++-posix not found (Debian: g++-mingw-w64-x86-64)")
endif()

set(flags -std=c++20 -fsyntax-only -Wall -Wextra)
foreach(dir IN LISTS INCLUDES)
    list(APPEND flags "-I${dir}")
endforeach()

set(files)
foreach(file IN LISTS REQUIRED)
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "missing: ${file}")
    endif()
    list(APPEND files "${file}")
endforeach()
foreach(file IN LISTS OPTIONAL)
    if(EXISTS "${file}")
        list(APPEND files "${file}")
    else()
        message(STATUS "not present, skipped: ${file}")
    endif()
endforeach()

set(failed)
foreach(file IN LISTS files)
    execute_process(COMMAND "${COMPILER}" ${flags} "${file}"
        RESULT_VARIABLE result
        OUTPUT_VARIABLE output
        ERROR_VARIABLE output)
    if(result EQUAL 0)
        message(STATUS "ok: ${file}")
    else()
        message(STATUS "FAILED: ${file}")
        list(APPEND failed "${file}")
    endif()
    if(NOT output STREQUAL "")
        message("${output}")
    endif()
endforeach()

if(failed)
    message(FATAL_ERROR "did not compile for Windows: ${failed}")
endif()
