# Parsing Qt's headers is most of a translation unit's compile time here, and
# CI builds the tree three times. kestrel_precompiled_headers(<name> HEADERS
# <header>... LINK <qt-target>... TARGETS <target>...) parses the headers once
# into <name>, and every listed target reuses the result. GCC only; where a
# target's flags made it unusable, GCC would parse the headers itself, so the
# build stays correct (-Winvalid-pch tells).
function(kestrel_precompiled_headers name)
    cmake_parse_arguments(P "" "" "HEADERS;LINK;TARGETS" ${ARGN})
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        return()
    endif()
    file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp CONTENT "// The precompiled headers are its only output.\n")
    add_library(${name} STATIC ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
    target_link_libraries(${name} PRIVATE ${P_LINK})
    target_precompile_headers(${name} PRIVATE ${P_HEADERS})
    foreach(target IN LISTS P_TARGETS)
        target_link_libraries(${target} PRIVATE ${P_LINK})
        target_precompile_headers(${target} REUSE_FROM ${name})
    endforeach()
endfunction()

# The C++ executables defined in <dir> and the folders below it.
function(kestrel_cxx_executables_under dir out)
    set(found)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        get_target_property(sources ${target} SOURCES)
        list(FILTER sources INCLUDE REGEX "\\.cpp$")
        if(type STREQUAL "EXECUTABLE" AND sources)
            list(APPEND found ${target})
        endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        kestrel_cxx_executables_under(${subdir} below)
        list(APPEND found ${below})
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()
