# The operating system's pointer settings: the step conversions and the
# adapter seam, with the one platform adapter this build targets.
add_library(kestrel_pointer STATIC
    ${CMAKE_CURRENT_LIST_DIR}/pointersettings.h
    ${CMAKE_CURRENT_LIST_DIR}/pointersettings.cpp
)
target_include_directories(kestrel_pointer PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kestrel_pointer PUBLIC Qt6::Core)
if(WIN32)
    target_sources(kestrel_pointer PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pointersettings_win.cpp)
    target_link_libraries(kestrel_pointer PRIVATE user32)
else()
    pkg_check_modules(KESTREL_POINTER_X11 REQUIRED IMPORTED_TARGET x11)
    target_sources(kestrel_pointer PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pointersettings_x11.cpp)
    target_link_libraries(kestrel_pointer PRIVATE PkgConfig::KESTREL_POINTER_X11)
endif()
