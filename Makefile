# SPDX-License-Identifier: MIT
# Two entry points on a fresh Debian 12 machine:
#   make run    installs what running needs, builds the program into build/ and starts
#               build/velmora
#   make test   installs what the tests need, builds and runs every test, builds the Debian
#               package and checks it installed, then the tests again with AddressSanitizer
#               and UndefinedBehaviorSanitizer (build-asan/), then each fuzz target for a
#               minute (build-fuzz/), and the Windows edition under wine (build-windows/)
# Besides, make windows cross-builds the Windows edition into dist/velmora-windows-x64.zip.
JOBS ?= 2
VERSION := $(shell sed -n 's/^project.Velmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= 10000000
STRESS_KILLS ?= 1000

.PHONY: deps deps-run deps-package deps-windows configure-windows windows test-windows configure build build-all build-fuzz run test test-plain \
	package test-package test-asan test-fuzz fuzz stress bench clean

deps-run:
	@scripts/install-deps.sh run

deps-package:
	@scripts/install-deps.sh package

deps-windows:
	@scripts/install-deps.sh windows

deps:
	@scripts/install-deps.sh test

configure:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The program alone: the tests and the benchmark are built by the targets that run them.
build: deps-run configure
	cmake --build build -j$(JOBS) --target velmora

build-all: deps configure
	cmake --build build -j$(JOBS)

run: build
	./build/velmora

test: test-plain test-windows test-package test-asan test-fuzz

test-plain: build-all
	ctest --test-dir build --output-on-failure -j$(JOBS)

# The Windows edition, cross-built with mingw-w64 (build-windows/) and tested under wine in
# a prefix of its own there.
CCACHE_LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure-windows: deps-windows
	cmake -S windows -B build-windows -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake $(CCACHE_LAUNCHER)

# velmora.exe and its read-me, zipped into dist/.
windows: configure-windows
	cmake --build build-windows -j$(JOBS) --target velmora_zip
	mkdir -p dist
	cp build-windows/velmora-windows-x64.zip dist/
	@echo "Zip: dist/velmora-windows-x64.zip"

test-windows: windows
	cmake --build build-windows -j$(JOBS)
	ctest --test-dir build-windows --output-on-failure -j$(JOBS)

# The Debian package, built as Debian builds its own (hardening flags from dpkg-buildflags).
package: deps-package
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
		-DVELMORA_SYSTEM_INSTALL=ON -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF \
		-DCMAKE_SKIP_INSTALL_RPATH=ON \
		-DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build build-package -j$(JOBS)
	cd build-package && cpack -G DEB
	@echo "Package: build-package/velmora_$(VERSION)_amd64.deb"

# Installs the package on this machine, uses it as a normal user, and removes it: needs root
# (as in CI); otherwise it says so and skips.
test-package: deps package
	tests/package/package-test.sh build-package/velmora_$(VERSION)_amd64.deb build-package

test-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF
	cmake --build build-asan -j$(JOBS)
	# Reports go to files, so that one from a child process whose exit a test does not look
	# at still fails the run; the folder is open to all because some tests run as nobody.
	rm -rf build-asan/sanitizer-reports && mkdir -m 1777 build-asan/sanitizer-reports
	ASAN_OPTIONS=detect_leaks=1:log_path=$(CURDIR)/build-asan/sanitizer-reports/asan \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:log_path=$(CURDIR)/build-asan/sanitizer-reports/ubsan \
		ctest --test-dir build-asan --output-on-failure -j$(JOBS); status=$$?; \
	if [ -n "$$(ls -A build-asan/sanitizer-reports)" ]; then cat build-asan/sanitizer-reports/*; exit 1; fi; \
	exit $$status

# The fuzz targets, built with clang, each run for FUZZ_SECONDS (CI) ...
build-fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
		-DVELMORA_FUZZ=ON -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF
	cmake --build build-fuzz -j$(JOBS) --target velmora_fuzzers

test-fuzz: build-fuzz
	tests/fuzz/run-fuzzers.sh build-fuzz -max_total_time=$(FUZZ_SECONDS)

# ... or FUZZ_RUNS executions each (the long run).
fuzz: build-fuzz
	tests/fuzz/run-fuzzers.sh build-fuzz -runs=$(FUZZ_RUNS)

# Kills at random moments during registrations and removals.
stress: build-all
	VELMORA_STRESS_KILLS=$(STRESS_KILLS) ctest --test-dir build -R KillStress --output-on-failure

bench: deps configure
	cmake --build build -j$(JOBS) --target velmora-bench
	./build/bench/velmora-bench

# The list, the bitmap and Pic/ that make run keeps beside build/velmora are the user's own
# and stay; everything else built goes.
clean:
	rm -rf build-asan build-fuzz build-package build-windows dist
	if [ -d build ]; then \
		find build -mindepth 1 -maxdepth 1 ! -name Kabegamilist.def ! -name Kabegamilist.def.bak \
			! -name 'Mosswick壁紙.BMP' ! -name Pic -exec rm -rf {} +; \
	fi
