# The two commands a person needs: `make run` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)
BUILD_TEST ?= build/asan
BUILD_RUN ?= build/release

.PHONY: setup configure-test build-test test configure-run build-run run bench clean

setup:
	bash scripts/setup.sh

configure-test: setup
	cmake -S . -B $(BUILD_TEST) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDW_SANITIZE=ON

build-test: configure-test
	cmake --build $(BUILD_TEST) -j $(JOBS)

test: build-test
	cd $(BUILD_TEST) && DISCWRIGHT_FATAL_ASSERTS=1 QT_QPA_PLATFORM=offscreen \
		ctest --output-on-failure -j $(JOBS) --timeout 600

configure-run: setup
	cmake -S . -B $(BUILD_RUN) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build-run: configure-run
	cmake --build $(BUILD_RUN) -j $(JOBS)

run: build-run
	@if [ -x $(BUILD_RUN)/app/Discwright ]; then $(BUILD_RUN)/app/Discwright; \
	else echo "The libraries are built in $(BUILD_RUN); there is no application program to start."; fi

bench: build-run
	$(BUILD_RUN)/bench/discwright-bench
	$(BUILD_RUN)/bench/discwright-bench-convert

clean:
	rm -rf build
