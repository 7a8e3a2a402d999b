# The two commands a person needs: `make run` and `make test`. Both install what is missing first.
# The test builds are the presets of CMakePresets.json: asan (build/asan) runs every test, tsan
# (build/tsan) runs the tests labelled tsan; `debug` (build/debug, every warning an error) is
# there for development.
JOBS ?= $(shell nproc)
BUILD_TEST := build/asan
BUILD_TSAN := build/tsan
BUILD_RUN ?= build/release

.PHONY: setup configure-test build-test test-asan configure-tsan build-tsan test-tsan test \
	configure-run build-run run bench clean

setup:
	bash scripts/setup.sh

configure-test: setup
	cmake --preset asan

build-test: configure-test
	cmake --build --preset asan -j $(JOBS)

test-asan: build-test
	ctest --preset asan -j $(JOBS)

configure-tsan: setup
	cmake --preset tsan

build-tsan: configure-tsan
	cmake --build --preset tsan -j $(JOBS)

# Runs whatever carries the tsan label; none is not a failure.
test-tsan: build-tsan
	ctest --preset tsan -j $(JOBS)

# `make setup` runs first (through configure-test), then every test under asan, then the tsan ones.
test: setup
	$(MAKE) test-asan
	$(MAKE) test-tsan

configure-run: setup
	cmake -S . -B $(BUILD_RUN) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build-run: configure-run
	cmake --build $(BUILD_RUN) -j $(JOBS)

run: build-run
	@if [ -x $(BUILD_RUN)/app/Discwright ]; then $(BUILD_RUN)/app/Discwright; \
	else echo "The libraries are built in $(BUILD_RUN); there is no application program to start."; fi

bench: build-run
	$(BUILD_RUN)/bench/discwright-bench

clean:
	rm -rf build
