# libFuzzer targets for the parsers of untrusted bytes (fuzz/*.cpp), built with
# clang, ASan and UBSan. libjpeg-turbo, Little CMS and libwebp are compiled here
# from the same Debian source packages as the Windows build (build/deps/src),
# with coverage instrumentation and ASan, so the fuzzer sees inside them too.
# UBSan stays on our own code: the libraries' arithmetic is not ours to change.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VARBO_FUZZ needs clang (CC=clang CXX=clang++)")
endif()
include(ExternalProject)

set(VARBO_DEPS_SRC ${CMAKE_SOURCE_DIR}/build/deps/src CACHE PATH "Debian source packages unpacked by scripts/setup")
set(VARBO_FUZZ_DEPS ${CMAKE_BINARY_DIR}/deps)
set(VARBO_FUZZ_LIB_FLAGS "-O1 -g -fsanitize=address,fuzzer-no-link -fno-omit-frame-pointer")
set(VARBO_FUZZ_LIB_ARGS -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} "-DCMAKE_C_FLAGS_RELEASE=${VARBO_FUZZ_LIB_FLAGS}")

ExternalProject_Add(fuzz_jpeg
    SOURCE_DIR ${VARBO_DEPS_SRC}/libjpeg-turbo-2.1.5
    BINARY_DIR ${VARBO_FUZZ_DEPS}/jpeg-build
    INSTALL_DIR ${VARBO_FUZZ_DEPS}/jpeg
    CMAKE_ARGS ${VARBO_FUZZ_LIB_ARGS} -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR> -DCMAKE_INSTALL_LIBDIR=lib
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DREQUIRE_SIMD=ON
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory <INSTALL_DIR>/lib <INSTALL_DIR>/include
        COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a <INSTALL_DIR>/lib/
        COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/jconfig.h <SOURCE_DIR>/jpeglib.h <SOURCE_DIR>/jmorecfg.h
            <SOURCE_DIR>/jerror.h <INSTALL_DIR>/include/
    BUILD_BYPRODUCTS ${VARBO_FUZZ_DEPS}/jpeg/lib/libjpeg.a)

ExternalProject_Add(fuzz_webp
    SOURCE_DIR ${VARBO_DEPS_SRC}/libwebp-1.2.4
    BINARY_DIR ${VARBO_FUZZ_DEPS}/webp-build
    INSTALL_DIR ${VARBO_FUZZ_DEPS}/webp
    CMAKE_ARGS ${VARBO_FUZZ_LIB_ARGS} -DBUILD_SHARED_LIBS=OFF -DWEBP_USE_THREAD=OFF
        -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF
        -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF
        -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target webpdecoder webpdemux
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory <INSTALL_DIR>/lib <INSTALL_DIR>/include/webp
        COMMAND ${CMAKE_COMMAND} -E copy <SOURCE_DIR>/src/webp/decode.h <SOURCE_DIR>/src/webp/demux.h
            <SOURCE_DIR>/src/webp/mux_types.h <SOURCE_DIR>/src/webp/types.h <INSTALL_DIR>/include/webp/
        COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libwebpdemux.a <BINARY_DIR>/libwebpdecoder.a <INSTALL_DIR>/lib/
    BUILD_BYPRODUCTS ${VARBO_FUZZ_DEPS}/webp/lib/libwebpdemux.a ${VARBO_FUZZ_DEPS}/webp/lib/libwebpdecoder.a)

# libheif with its decoders, libde265 (HEVC) and dav1d (AV1, built by meson; its assembly
# is left out, so every line the fuzzer runs is instrumented C), configured as scripts/setup
# configures them (cmake/*.options). Each is built again whenever its source changed (setup
# unpacks a source anew when our patches change).
set(VARBO_FUZZ_HEIF ${VARBO_FUZZ_DEPS}/heif)
set(VARBO_FUZZ_CXX_ARGS -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER} "-DCMAKE_CXX_FLAGS_RELEASE=${VARBO_FUZZ_LIB_FLAGS}")
file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/libheif.options VARBO_HEIF_OPTIONS)
file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/libde265.options VARBO_DE265_OPTIONS)
ExternalProject_Add(fuzz_dav1d
    BUILD_ALWAYS ON
    SOURCE_DIR ${VARBO_DEPS_SRC}/dav1d-1.5.1
    BINARY_DIR ${VARBO_FUZZ_DEPS}/dav1d-build
    CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env CC=${CMAKE_C_COMPILER} meson setup <BINARY_DIR> <SOURCE_DIR>
        --buildtype release --default-library static --prefix ${VARBO_FUZZ_HEIF} --libdir lib
        -Denable_tools=false -Denable_examples=false -Denable_tests=false -Denable_asm=false -Dlogging=false
        "-Dc_args=${VARBO_FUZZ_LIB_FLAGS}"
    BUILD_COMMAND ninja -C <BINARY_DIR>
    INSTALL_COMMAND ninja -C <BINARY_DIR> install
    BUILD_BYPRODUCTS ${VARBO_FUZZ_HEIF}/lib/libdav1d.a)
ExternalProject_Add(fuzz_de265
    BUILD_ALWAYS ON
    SOURCE_DIR ${VARBO_DEPS_SRC}/libde265-1.1.3
    BINARY_DIR ${VARBO_FUZZ_DEPS}/de265-build
    CMAKE_ARGS ${VARBO_FUZZ_LIB_ARGS} ${VARBO_FUZZ_CXX_ARGS} -DCMAKE_INSTALL_PREFIX=${VARBO_FUZZ_HEIF}
        -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF ${VARBO_DE265_OPTIONS}
    BUILD_BYPRODUCTS ${VARBO_FUZZ_HEIF}/lib/libde265.a)
ExternalProject_Add(fuzz_heif
    BUILD_ALWAYS ON
    DEPENDS fuzz_dav1d fuzz_de265
    SOURCE_DIR ${VARBO_DEPS_SRC}/libheif-1.19.7
    BINARY_DIR ${VARBO_FUZZ_DEPS}/heif-build
    CMAKE_ARGS ${VARBO_FUZZ_LIB_ARGS} ${VARBO_FUZZ_CXX_ARGS} -DCMAKE_INSTALL_PREFIX=${VARBO_FUZZ_HEIF}
        -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF ${VARBO_HEIF_OPTIONS}
        -DLIBDE265_INCLUDE_DIR=${VARBO_FUZZ_HEIF}/include -DLIBDE265_LIBRARY=${VARBO_FUZZ_HEIF}/lib/libde265.a
        -DDAV1D_INCLUDE_DIR=${VARBO_FUZZ_HEIF}/include -DDAV1D_LIBRARY=${VARBO_FUZZ_HEIF}/lib/libdav1d.a
    BUILD_BYPRODUCTS ${VARBO_FUZZ_HEIF}/lib/libheif.a)

# Little CMS is plain C: its sources compile directly.
file(GLOB VARBO_LCMS2_SOURCES ${VARBO_DEPS_SRC}/lcms2-2.14/src/*.c)
add_library(fuzz_lcms2 STATIC ${VARBO_LCMS2_SOURCES})
target_include_directories(fuzz_lcms2 SYSTEM PUBLIC ${VARBO_DEPS_SRC}/lcms2-2.14/include)
target_compile_definitions(fuzz_lcms2 PRIVATE HasTHREADS=1 HAVE_GMTIME_R=1 HAVE_FUNC_ATTRIBUTE_VISIBILITY=1)
target_compile_options(fuzz_lcms2 PRIVATE -O1 -g -fsanitize=address,fuzzer-no-link -fno-omit-frame-pointer)

file(MAKE_DIRECTORY ${VARBO_FUZZ_DEPS}/jpeg/include ${VARBO_FUZZ_DEPS}/webp/include ${VARBO_FUZZ_HEIF}/include)
add_dependencies(varbo_core fuzz_jpeg fuzz_webp fuzz_heif)
target_include_directories(varbo_core SYSTEM BEFORE PUBLIC ${VARBO_FUZZ_DEPS}/jpeg/include ${VARBO_FUZZ_DEPS}/webp/include
    ${VARBO_FUZZ_HEIF}/include)
target_compile_definitions(varbo_core PUBLIC LIBHEIF_STATIC_BUILD)
target_compile_options(varbo_core PRIVATE -O1 -fsanitize=fuzzer-no-link)
find_package(ZLIB REQUIRED)
target_link_libraries(varbo_core PUBLIC ${VARBO_FUZZ_DEPS}/jpeg/lib/libjpeg.a fuzz_lcms2
    ${VARBO_FUZZ_DEPS}/webp/lib/libwebpdemux.a ${VARBO_FUZZ_DEPS}/webp/lib/libwebpdecoder.a
    ${VARBO_FUZZ_HEIF}/lib/libheif.a ${VARBO_FUZZ_HEIF}/lib/libde265.a ${VARBO_FUZZ_HEIF}/lib/libdav1d.a
    ZLIB::ZLIB pthread ${CMAKE_DL_LIBS} m)

# One program per fuzz/<name>.cpp: build/fuzz/fuzz_<name>.
file(GLOB VARBO_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
foreach(source IN LISTS VARBO_FUZZ_TARGETS)
    get_filename_component(name ${source} NAME_WE)
    add_executable(fuzz_${name} ${source})
    target_compile_options(fuzz_${name} PRIVATE ${VARBO_WARNINGS} ${VARBO_SANITIZE} -g -O1 -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${name} PRIVATE varbo_core)
endforeach()
