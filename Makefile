# Entry points: `make run` and `make test` do all set-up on a fresh Debian 12 machine.
PREFIX ?= $(CURDIR)/dist
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 20

.PHONY: all deps configure build test test-default test-asan run install package bench fuzz test-fuzz clean

all: build

deps:
	@scripts/install-deps.sh

build/default/build.ninja: CMakeLists.txt CMakePresets.json | deps
	cmake --preset default

configure: deps
	cmake --preset default

build: deps configure
	cmake --build --preset default -j $(JOBS)

# The whole suite: default and sanitizer builds, then every fuzz target briefly.
test: test-default test-asan test-fuzz

test-default: build
	ctest --preset default -j $(JOBS)

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

install: build
	cmake --install build/default --prefix "$(PREFIX)"

run: install
	"$(PREFIX)/bin/qinghe-rank"

package: build
	cd build/default && cpack -G DEB

bench: build
	scripts/run-benchmarks.sh build/default/bin

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	scripts/run-fuzzers.sh build/fuzz/bin $(FUZZ_SECONDS)

# Every fuzz target for 20 seconds, as CI runs them.
test-fuzz:
	$(MAKE) fuzz FUZZ_SECONDS=20

clean:
	rm -rf build
