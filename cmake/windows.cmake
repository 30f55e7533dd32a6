# Windows build: varbo.exe and the tests that run under Wine.
set(VARBO_DEPS_DIR ${CMAKE_SOURCE_DIR}/build/deps CACHE PATH "Where scripts/setup installs the cross-built libraries")

# A static library that scripts/setup cross-built into ROOT (lib/FILE, include/),
# from Debian's source package or, for mozjpeg, the npm registry's.
function(varbo_deps_library name root file)
    if(NOT EXISTS ${root}/lib/${file})
        message(FATAL_ERROR "${file} for MinGW is missing under ${root}: run scripts/setup")
    endif()
    add_library(${name} STATIC IMPORTED)
    set_target_properties(${name} PROPERTIES
        IMPORTED_LOCATION ${root}/lib/${file}
        INTERFACE_INCLUDE_DIRECTORIES ${root}/include)
endfunction()

varbo_deps_library(jpeg_static ${VARBO_DEPS_DIR}/jpeg libjpeg.a)
varbo_deps_library(lcms2_static ${VARBO_DEPS_DIR}/lcms2 liblcms2.a)
# mozjpeg, which encodes, with its symbols renamed (see src/imaging/jpeg_encode.cpp).
varbo_deps_library(mozjpeg_static ${VARBO_DEPS_DIR}/mozjpeg libmozjpeg.a)
varbo_deps_library(webpdecoder_static ${VARBO_DEPS_DIR}/webp libwebpdecoder.a)
varbo_deps_library(webpdemux_static ${VARBO_DEPS_DIR}/webp libwebpdemux.a)
set_target_properties(webpdemux_static PROPERTIES INTERFACE_LINK_LIBRARIES webpdecoder_static)
# libheif (HEIC/HEIF and AVIF) with its decoders libde265 (HEVC) and dav1d (AV1), in one prefix.
varbo_deps_library(heif_static ${VARBO_DEPS_DIR}/heif libheif.a)
varbo_deps_library(de265_static ${VARBO_DEPS_DIR}/heif libde265.a)
varbo_deps_library(dav1d_static ${VARBO_DEPS_DIR}/heif libdav1d.a)
set_target_properties(heif_static PROPERTIES INTERFACE_LINK_LIBRARIES "de265_static;dav1d_static"
    INTERFACE_COMPILE_DEFINITIONS "LIBHEIF_STATIC_BUILD;LIBDE265_STATIC_BUILD")
# zlib (for PNG's compressed profiles) from Debian's MinGW package.
find_library(VARBO_ZLIB NAMES libz.a REQUIRED)
target_link_libraries(varbo_core PUBLIC jpeg_static mozjpeg_static lcms2_static webpdemux_static heif_static ${VARBO_ZLIB})

# Everything Windows-facing except the entry point, so tests can link it too.
# UNICODE is off on purpose: the program uses the ...A functions with a UTF-8
# active code page (see the manifest).
add_library(varbo_win STATIC ${VARBO_WINDOWS_SOURCES})
target_compile_definitions(varbo_win PUBLIC NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00
    GDIPVER=0x0110)
target_compile_options(varbo_win PRIVATE ${VARBO_WARNINGS})
target_include_directories(varbo_win PRIVATE ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(varbo_win PUBLIC varbo_core jpeg_static
    gdiplus comdlg32 comctl32 shell32 shlwapi ole32 advapi32 user32 gdi32 kernel32)

set(VARBO_STATIC_LINK -static -static-libgcc -static-libstdc++)

# The resources (manifest, icons, artwork, the embedded test photo) as an object
# library, so the Windows tests get the same manifest and pictures as the program.
# The version resource takes its numbers from project() through a written header.
add_library(varbo_resources OBJECT ${CMAKE_SOURCE_DIR}/resources/varbo.rc)
configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${CMAKE_BINARY_DIR}/generated/varbo_version.h @ONLY)
target_include_directories(varbo_resources PRIVATE ${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/generated)
file(GLOB VARBO_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
list(APPEND VARBO_RESOURCE_FILES ${CMAKE_BINARY_DIR}/generated/varbo_version.h)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/varbo.rc PROPERTIES OBJECT_DEPENDS "${VARBO_RESOURCE_FILES}")

add_executable(varbo WIN32 ${CMAKE_SOURCE_DIR}/src/app/main_win.cpp $<TARGET_OBJECTS:varbo_resources>)
target_compile_options(varbo PRIVATE ${VARBO_WARNINGS})
target_link_libraries(varbo PRIVATE varbo_win)
target_link_options(varbo PRIVATE ${VARBO_STATIC_LINK})
set_target_properties(varbo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The Windows tests run in a Wine prefix of their own, never build/wine, which
# `make run` uses; scripts/wine makes it for the tests' Windows user.
set(VARBO_TESTS_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-tests)
set(CMAKE_CROSSCOMPILING_EMULATOR env VARBO_TEST_WINEPREFIX=${VARBO_TESTS_WINEPREFIX} ${CMAKE_SOURCE_DIR}/scripts/wine)

add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

file(GLOB VARBO_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
if(VARBO_WIN_TESTS)
    add_executable(win_tests ${VARBO_WIN_TESTS} $<TARGET_OBJECTS:varbo_resources>)
    target_compile_options(win_tests PRIVATE ${VARBO_WARNINGS})
    target_link_libraries(win_tests PRIVATE varbo_win gtest_main)
    target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources ${CMAKE_SOURCE_DIR}/tools/virtual-drag)
    target_link_options(win_tests PRIVATE ${VARBO_STATIC_LINK})
    gtest_discover_tests(win_tests TEST_PREFIX "win." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
        PROPERTIES RESOURCE_LOCK wineprefix TIMEOUT 120 LABELS win ENVIRONMENT "VARBO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endif()

# A test tool: drags files without paths onto a window from a process of its
# own (tools/virtual-drag; the end-to-end tests find it beside varbo.exe).
add_executable(virtual_drag WIN32 ${CMAKE_SOURCE_DIR}/tools/virtual-drag/virtual_drag_win.cpp)
target_compile_definitions(virtual_drag PRIVATE NOMINMAX _WIN32_WINNT=0x0A00)
target_compile_options(virtual_drag PRIVATE ${VARBO_WARNINGS})
target_link_libraries(virtual_drag PRIVATE ole32 shell32 user32)
target_link_options(virtual_drag PRIVATE ${VARBO_STATIC_LINK})
set_target_properties(virtual_drag PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

include(${CMAKE_SOURCE_DIR}/cmake/dist.cmake)

# End-to-end tests in a folder of their own: `ctest --test-dir build/win/tests/e2e`
# runs them even when the Windows tests' discovery above fails.
add_subdirectory(${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_BINARY_DIR}/tests/e2e)

# The engine benchmark (bench/run drives it).
add_executable(varbo_bench ${CMAKE_SOURCE_DIR}/bench/engine_bench.cpp $<TARGET_OBJECTS:varbo_resources>)
target_compile_options(varbo_bench PRIVATE ${VARBO_WARNINGS})
target_link_libraries(varbo_bench PRIVATE varbo_win psapi)
target_link_options(varbo_bench PRIVATE ${VARBO_STATIC_LINK})
