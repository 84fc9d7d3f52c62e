# Quick start: `make test` installs what is missing, builds and runs every test.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: setup configure build test test-asan test-tsan fuzz clean

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
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 $(CTEST) build-asan

test-tsan: setup
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZER=thread
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 $(CTEST) build-tsan

# The libFuzzer target of the camera answer parsers: a clang build of its own, never part of `make test`.
FUZZ_DIR ?= build-fuzz
FUZZ_CXX ?= clang++-14
FUZZ_SECONDS ?= 600

fuzz:
	bash tools/setup.sh --fuzz
	cmake -S tests/fuzz -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/artifacts
	$(FUZZ_DIR)/answer_parsing_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 \
		-dict=tests/fuzz/answer_parsing.dict -artifact_prefix=$(FUZZ_DIR)/artifacts/ \
		$(FUZZ_DIR)/corpus tests/fuzz/corpus

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan $(FUZZ_DIR)
