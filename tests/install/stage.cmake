# Installs the build into a staging folder (DESTDIR, prefix /usr) as a
# package would, makes the installed files read-only as a user sees them,
# and compares what was installed with expected_files.txt.
# -DBUILD_DIR= -DSTAGE_DIR= -DEXPECTED=
if(EXISTS "${STAGE_DIR}")
    # A previous run left it read-only.
    file(CHMOD_RECURSE "${STAGE_DIR}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE)
    file(REMOVE_RECURSE "${STAGE_DIR}")
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE_DIR} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

# Every file, and every folder that holds nothing.
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${STAGE_DIR}" "${STAGE_DIR}/*")
set(installed)
foreach(entry IN LISTS entries)
    if(IS_DIRECTORY "${STAGE_DIR}/${entry}")
        file(GLOB inside "${STAGE_DIR}/${entry}/*")
        if(NOT inside)
            list(APPEND installed "${entry}/")
        endif()
    else()
        list(APPEND installed "${entry}")
    endif()
endforeach()
list(SORT installed)

file(STRINGS "${EXPECTED}" expected REGEX "^[^#]")
# The delivered tree as it is in the source, less the files that only keep
# empty folders in git.
file(GLOB_RECURSE delivered RELATIVE "${DATA_DIR}" "${DATA_DIR}/*")
foreach(file IN LISTS delivered)
    if(file MATCHES "(^|/)\\.gitkeep$")
        get_filename_component(folder "${file}" DIRECTORY)
        list(APPEND expected "usr/share/kestrel-orbit/modules/${folder}/")
    else()
        list(APPEND expected "usr/share/kestrel-orbit/modules/${file}")
    endif()
endforeach()
list(SORT expected)
if(NOT installed STREQUAL expected)
    set(missing ${expected})
    list(REMOVE_ITEM missing ${installed})
    set(unexpected ${installed})
    list(REMOVE_ITEM unexpected ${expected})
    list(JOIN missing "\n  " missing)
    list(JOIN unexpected "\n  " unexpected)
    message(FATAL_ERROR "installed files differ\nmissing:\n  ${missing}\nunexpected:\n  ${unexpected}")
endif()
list(LENGTH installed count)
message(STATUS "${count} entries installed as expected")

# The way a user sees an installed tree: nothing in it is writable.
file(CHMOD_RECURSE "${STAGE_DIR}/usr/share" DIRECTORY_PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE FILE_PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
