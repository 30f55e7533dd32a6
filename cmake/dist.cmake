# The download (make dist): build/dist/varbo-<version>-win64.zip with varbo.exe,
# the user guide and the licences of the libraries linked into varbo.exe.
# scripts/dist makes it; the list of those libraries is in that script.
set(VARBO_DIST_DIR ${CMAKE_SOURCE_DIR}/build/dist CACHE PATH "Where make dist writes the zip")
set(VARBO_DIST_ZIP ${VARBO_DIST_DIR}/varbo-${PROJECT_VERSION}-win64.zip)
add_custom_command(OUTPUT ${VARBO_DIST_ZIP}
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/dist $<TARGET_FILE:varbo> ${PROJECT_VERSION} ${VARBO_DIST_ZIP}
    DEPENDS varbo ${CMAKE_SOURCE_DIR}/scripts/dist ${CMAKE_SOURCE_DIR}/resources/dist/README.txt
    COMMENT "Packing ${VARBO_DIST_ZIP}"
    VERBATIM)
add_custom_target(dist DEPENDS ${VARBO_DIST_ZIP})
