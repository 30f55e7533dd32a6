# Native build: the portable logic and its unit tests, with sanitizers. A
# profiling tree turns them off (-DVARBO_NATIVE_SANITIZE=OFF, a Release build):
# valgrind and the sanitizers do not mix, and they would distort the profile.
option(VARBO_NATIVE_SANITIZE "Build the native tree with ASan and UBSan" ON)
set(VARBO_SANITIZE)
if(VARBO_NATIVE_SANITIZE)
    set(VARBO_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()
target_compile_options(varbo_core PRIVATE ${VARBO_SANITIZE} -g)
target_link_options(varbo_core PUBLIC ${VARBO_SANITIZE})

# mozjpeg, which encodes: built natively by scripts/setup, its symbols renamed
# as in the Windows build. The fuzzing tree links it as it is: it only ever
# encodes our own pixels.
set(VARBO_MOZJPEG_NATIVE ${CMAKE_SOURCE_DIR}/build/deps/mozjpeg-native CACHE PATH "Where scripts/setup builds mozjpeg natively")
if(NOT EXISTS ${VARBO_MOZJPEG_NATIVE}/lib/libmozjpeg.a)
    message(FATAL_ERROR "libmozjpeg.a is missing under ${VARBO_MOZJPEG_NATIVE}: run scripts/setup")
endif()
add_library(mozjpeg_native STATIC IMPORTED)
set_target_properties(mozjpeg_native PROPERTIES
    IMPORTED_LOCATION ${VARBO_MOZJPEG_NATIVE}/lib/libmozjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${VARBO_MOZJPEG_NATIVE}/include)
target_link_libraries(varbo_core PUBLIC mozjpeg_native)

# The fuzzing tree (clang, build/fuzz) links its own instrumented libraries.
if(VARBO_FUZZ)
    include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
    return()
endif()

# libjpeg-turbo: Debian's own build natively (the Windows build links the
# cross-built static copy from build/deps).
find_package(JPEG REQUIRED)
target_link_libraries(varbo_core PUBLIC JPEG::JPEG)
# Little CMS, libwebp and zlib: Debian's builds of the same versions.
find_package(PkgConfig REQUIRED)
pkg_check_modules(VARBO_IMAGING_LIBS REQUIRED IMPORTED_TARGET lcms2 libwebp libwebpdemux zlib)
target_link_libraries(varbo_core PUBLIC PkgConfig::VARBO_IMAGING_LIBS)
# libheif with libde265 and dav1d: built natively by scripts/setup from the
# same sources as the Windows build.
set(VARBO_HEIF_NATIVE ${CMAKE_SOURCE_DIR}/build/deps/heif-native CACHE PATH "Where scripts/setup builds libheif natively")
if(NOT EXISTS ${VARBO_HEIF_NATIVE}/lib/libheif.a)
    message(FATAL_ERROR "libheif.a is missing under ${VARBO_HEIF_NATIVE}: run scripts/setup")
endif()
find_package(Threads REQUIRED)
target_include_directories(varbo_core SYSTEM PUBLIC ${VARBO_HEIF_NATIVE}/include)
target_compile_definitions(varbo_core PUBLIC LIBHEIF_STATIC_BUILD)
target_link_libraries(varbo_core PUBLIC ${VARBO_HEIF_NATIVE}/lib/libheif.a ${VARBO_HEIF_NATIVE}/lib/libde265.a
    ${VARBO_HEIF_NATIVE}/lib/libdav1d.a Threads::Threads ${CMAKE_DL_LIBS} m)

# The profiling tree's driver of the engine (bench/engine_native.cpp).
if(NOT VARBO_NATIVE_SANITIZE)
    add_executable(engine_native ${CMAKE_SOURCE_DIR}/bench/engine_native.cpp)
    target_compile_options(engine_native PRIVATE ${VARBO_WARNINGS})
    target_link_libraries(engine_native PRIVATE varbo_core)
endif()

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB VARBO_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
if(VARBO_UNIT_TESTS)
    add_executable(unit_tests ${VARBO_UNIT_TESTS})
    target_compile_options(unit_tests PRIVATE ${VARBO_WARNINGS} ${VARBO_SANITIZE} -g)
    # The tests make their WebP files with libwebp's encoders.
    pkg_check_modules(VARBO_WEBP_ENCODERS REQUIRED IMPORTED_TARGET libwebp libwebpmux)
    target_link_libraries(unit_tests PRIVATE varbo_core GTest::gtest_main PkgConfig::VARBO_WEBP_ENCODERS)
    # The HEIF tests read the committed pictures of tests/data/heif.
    target_compile_definitions(unit_tests PRIVATE VARBO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    gtest_discover_tests(unit_tests TEST_PREFIX "unit." DISCOVERY_TIMEOUT 30)
endif()

# The rules of the source tree a compiler does not see (layers, no hidden
# records in the engine, handles released only by their owners).
add_test(NAME source.layers COMMAND ${CMAKE_SOURCE_DIR}/tools/check-layers)
