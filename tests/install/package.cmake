# Builds the Debian package into OUT_DIR and checks it: the run-time
# dependencies were computed (the libraries the program links appear), the
# udev reload runs after installing, and it holds what `cmake --install` puts
# down (STAGE_DIR, staged by install_staged).
# -DBUILD_DIR= -DOUT_DIR= -DSTAGE_DIR=
cmake_policy(SET CMP0057 NEW)
file(REMOVE_RECURSE "${OUT_DIR}")
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${OUT_DIR}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB deb "${OUT_DIR}/*.deb")
if(NOT result EQUAL 0 OR NOT deb)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()

execute_process(COMMAND dpkg-deb --field ${deb} Depends OUTPUT_VARIABLE depends)
foreach(library libhidapi-hidraw0 libqt6core6 libqt6quickwidgets6 libudev1 qml6-module-qtquick)
    if(NOT depends MATCHES "(^|, )${library}( |,|$)")
        message(FATAL_ERROR "Depends lacks ${library}: ${depends}")
    endif()
endforeach()

execute_process(COMMAND dpkg-deb --info ${deb} postinst OUTPUT_VARIABLE postinst)
if(NOT postinst MATCHES "udevadm control --reload-rules")
    message(FATAL_ERROR "postinst does not reload the udev rules:\n${postinst}")
endif()

execute_process(COMMAND dpkg-deb --fsys-tarfile ${deb} COMMAND tar -t OUTPUT_VARIABLE listing)
string(REPLACE "\n" ";" listing "${listing}")
file(GLOB_RECURSE staged RELATIVE "${STAGE_DIR}" "${STAGE_DIR}/*")
foreach(file IN LISTS staged)
    if(NOT "./${file}" IN_LIST listing)
        message(FATAL_ERROR "not in the package: ${file}")
    endif()
endforeach()
list(LENGTH staged count)
message(STATUS "${deb}: ${count} files; Depends: ${depends}")
