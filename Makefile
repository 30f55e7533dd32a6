# The two commands of the README:
#   make run    set up, build, compress one picture with the real varbo.exe under Wine
#   make test   set up, build both trees, run every test layer
#   make fuzz   run every fuzz target for FUZZ_SECONDS (60) each
# and make dist, the download: build/dist/varbo-<version>-win64.zip
SHELL := /bin/bash
ROOT := $(CURDIR)
NATIVE := build/native
WIN := build/win
FUZZ := build/fuzz
FUZZ_SECONDS ?= 60
PHOTO ?=

.PHONY: all setup native win build fuzzers fuzz test test-unit test-win run bench soak dist clean

all: build

setup:
	@scripts/setup

native: setup
	@[ -f $(NATIVE)/build.ninja ] || cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE)

win: setup
	@[ -f $(WIN)/build.ninja ] || cmake -S . -B $(WIN) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-w64.cmake >/dev/null
	@cmake --build $(WIN)

build: native win

# The libFuzzer targets (clang, ASan + UBSan) in their own tree.
fuzzers:
	@scripts/setup fuzz
	@[ -f $(FUZZ)/build.ninja ] || CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ) -G Ninja -DVARBO_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ)

fuzz: fuzzers
	@scripts/fuzz $(FUZZ_SECONDS)

test: build fuzzers
	@scripts/run-tests

run: win
	@scripts/run-photo $(PHOTO)

bench: win
	@bench/run

soak: win
	@bench/soak $(SOAK_COUNT)

dist: win
	@cmake --build $(WIN) --target dist

clean:
	rm -rf $(NATIVE) $(WIN) $(FUZZ) build/dist
