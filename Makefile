# Quick start: `make test` installs what is missing, builds and runs every test.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: setup configure build test test-asan test-tsan clean

setup:
	bash tools/setup.sh

configure: setup
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The tests run in a private network namespace: the simulated cameras listen on port 80 of 127.0.0.N.
CTEST = tools/in-netns.sh ctest --output-on-failure -j $(JOBS) --test-dir

test: build
	$(CTEST) $(BUILD_DIR)

# The same tests under AddressSanitizer (with UndefinedBehaviorSanitizer) and under ThreadSanitizer.
test-asan: setup
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZER=address
	cmake --build build-asan -j $(JOBS)
	$(CTEST) build-asan

test-tsan: setup
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZER=thread
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 $(CTEST) build-tsan

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan
