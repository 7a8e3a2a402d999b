# The two commands a person needs: `make run` and `make test`. Both install what is missing first.
# The test builds are the presets of CMakePresets.json: asan (build/asan, every warning an error)
# runs every test, tsan (build/tsan) runs the tests labelled tsan; `debug` (build/debug, every
# warning an error too) is there for development.
JOBS ?= $(shell nproc)
BUILD_TEST := build/asan
BUILD_TSAN := build/tsan
BUILD_RUN ?= build/release

.PHONY: setup configure-test build-test test-asan configure-tsan build-tsan test-tsan test \
	configure-run build-run run bench fuzz clean

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

# Builds the release configuration, installs it into $(BUILD_RUN)/install (the program, its helper
# programs, libraries and resources, in the shape of an installed tree) and starts the program.
INSTALL_RUN ?= $(BUILD_RUN)/install
run: build-run
	cmake --install $(BUILD_RUN) --prefix $(INSTALL_RUN)
	$(INSTALL_RUN)/bin/Discwright

bench: build-run
	$(BUILD_RUN)/bench/discwright-bench
	$(BUILD_RUN)/bench/discwright-effect-bench
	$(BUILD_RUN)/bench/discwright-bench-convert
	$(BUILD_RUN)/bench/discwright-bench-clip-converter
	$(BUILD_RUN)/bench/discwright-bench-production
	$(BUILD_RUN)/bench/discwright-bench-preview
	$(BUILD_RUN)/bench/discwright-bench-menu-video

# Builds the libFuzzer programs with clang in their own tree and runs each for FUZZ_SECONDS, all
# at once, one core each. Findings land in $(BUILD_FUZZ)/findings; the seeds in fuzz/corpus stay
# as they are.
FUZZ_SECONDS ?= 60
BUILD_FUZZ ?= build/fuzz
fuzz: setup
	cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DDW_FUZZ=ON
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_all
	bash fuzz/run.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

clean:
	rm -rf build
