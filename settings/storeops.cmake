# The settings operations the bridge hands its slots to: profile files, the
# macro library, name lists, gun data and language strings.
# The language loader writes the DPI switch texts, so the table lives here.
add_library(kestrel_storeops STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/dpiswitchtexts.h ${CMAKE_CURRENT_SOURCE_DIR}/dpiswitchtexts.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/gundatastore.h ${CMAKE_CURRENT_SOURCE_DIR}/gundatastore.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/importcheck.h ${CMAKE_CURRENT_SOURCE_DIR}/importcheck.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/languagestrings.h ${CMAKE_CURRENT_SOURCE_DIR}/languagestrings.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/macrolibrary.h ${CMAKE_CURRENT_SOURCE_DIR}/macrolibrary.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/namelists.h ${CMAKE_CURRENT_SOURCE_DIR}/namelists.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/profilefiles.h ${CMAKE_CURRENT_SOURCE_DIR}/profilefiles.cpp
)
target_include_directories(kestrel_storeops PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kestrel_storeops PUBLIC kestrel_settings)

