# Two entry points on a fresh Debian 12 machine:
#   make run    installs what is missing, builds into build/ and starts build/velmora
#   make test   installs what is missing, builds and runs every test, then again with
#               AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), then each
#               fuzz target for a minute (build-fuzz/)
JOBS ?= 2

FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= 10000000
STRESS_KILLS ?= 1000

.PHONY: deps build build-fuzz run test test-plain test-asan test-fuzz fuzz stress bench clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j$(JOBS)

run: build
	./build/velmora

test: test-plain test-asan test-fuzz

test-plain: build
	ctest --test-dir build --output-on-failure -j$(JOBS)

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
stress: build
	VELMORA_STRESS_KILLS=$(STRESS_KILLS) ctest --test-dir build -R KillStress --output-on-failure

bench: build
	./build/bench/velmora-bench

clean:
	rm -rf build build-asan build-fuzz
