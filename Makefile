# Two entry points on a fresh Debian 12 machine:
#   make run    installs what is missing, builds into build/ and starts build/velmora
#   make test   installs what is missing, builds and runs every test, then again with
#               AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)
JOBS ?= 2

.PHONY: deps build run test test-plain test-asan bench clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j$(JOBS)

run: build
	./build/velmora

test: test-plain test-asan

test-plain: build
	ctest --test-dir build --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF
	cmake --build build-asan -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir build-asan --output-on-failure -j$(JOBS)

bench: build
	./build/bench/velmora-bench

clean:
	rm -rf build build-asan
