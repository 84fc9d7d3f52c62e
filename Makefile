# Quick start: `make demo` replays a recorded street scene through the plug-in; `make test` runs every test.
# Both install what is missing and build first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# ON in CI: a warning fails the build.
WERROR ?= OFF

.PHONY: setup configure build demo-build demo package test test-browser test-asan test-tsan fuzz fuzz-build \
	fuzz-answers fuzz-metadata check-windows \
	bench bench-configure bench-settings bench-load bench-soak clean

setup:
	bash tools/setup.sh

configure: setup
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQV_WARNINGS_AS_ERRORS=$(WERROR)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# What the demo runs, and nothing else: the plug-in, the substitute host and the simulated camera.
DEMO_TARGETS = qv_analytics_plugin qvhost qvcam

demo-build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target $(DEMO_TARGETS)

# The plug-in alone, stripped, as build/qv_analytics_plugin-<version>-Linux.tar.gz to unpack into the server's
# plug-in folder.
package: demo-build
	cd $(BUILD_DIR) && cpack

# The recorded street scene, pushed through the built library by the substitute host as the server would push it;
# what came back is also drawn on one HTML page, $(DEMO_DIR)/report.html.
# Then a settings cycle against a simulated camera with a prepared configuration: the plug-in reads the camera, the
# changes of samples/settings_changes.json are delivered, and what reached the camera is listed. The camera listens
# on port 80, hence the private network namespace.
DEMO_DIR = $(BUILD_DIR)/demo
DEMO_REPLAY = $(BUILD_DIR)/tools/qvhost/qvhost replay --plugin-log $(DEMO_DIR)/plugin.log \
	--output $(DEMO_DIR)/packets.jsonl --report $(DEMO_DIR)/report.html samples/street_scene.xml

demo: demo-build
	mkdir -p $(DEMO_DIR)
	$(DEMO_REPLAY)
	@echo "Every packet the plug-in returned: $(DEMO_DIR)/packets.jsonl; its log: $(DEMO_DIR)/plugin.log"
	@echo "A page of what came back, to open in a browser: $(DEMO_DIR)/report.html"
	@echo
	tools/in-netns.sh $(BUILD_DIR)/tools/qvhost/qvhost settings --differences \
		--camera-parameters samples/settings_camera.json --changes samples/settings_changes.json \
		--plugin-log $(DEMO_DIR)/settings-plugin.log
	@echo "The plug-in's log of the settings cycle: $(DEMO_DIR)/settings-plugin.log"

# The tests run in a private network namespace: the simulated cameras listen on port 80 of 127.0.0.N.
CTEST = tools/in-netns.sh ctest --output-on-failure -j $(JOBS) --test-dir

test: build
	$(CTEST) $(BUILD_DIR)

# Every library source compiled, not linked, by Debian's MinGW-w64 cross compiler (installed by
# `tools/setup.sh --windows`): code that builds only on Linux fails here. The interfaces' slots under Microsoft's ABI
# are checked by `make test`.
check-windows:
	bash tools/setup.sh --windows
	WERROR=$(WERROR) JOBS=$(JOBS) tools/check_windows.sh $(BUILD_DIR)

# The demo's report page in headless Chromium, never part of `make test`, which needs no browser: the page's script
# runs, steps through every document, and draws document 100 as the packet lines have it; a screenshot is saved in
# $(DEMO_DIR)/report.png. Node.js drives Chromium over its DevTools protocol; both come from Debian's packages.
test-browser: demo-build
	bash tools/setup.sh --browser
	mkdir -p $(DEMO_DIR)
	$(DEMO_REPLAY)
	node tests/tools/qvhost/report_in_browser.js $(DEMO_DIR)/report.html $(DEMO_DIR)/packets.jsonl \
		$(DEMO_DIR)/report.png

# The same tests under AddressSanitizer (with UndefinedBehaviorSanitizer) and under ThreadSanitizer.
test-asan: setup
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZER=address
	cmake --build build-asan -j $(JOBS)
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 $(CTEST) build-asan

test-tsan: setup
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZER=thread
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 $(CTEST) build-tsan

# The libFuzzer targets, a clang build of their own, never part of `make test`: the camera answer parsers, and
# the admission of metadata documents (bytes in as a custom metadata packet, through parse, pass and delivery).
FUZZ_DIR ?= build-fuzz
FUZZ_CXX ?= clang++-14
FUZZ_SECONDS ?= 600

fuzz: fuzz-answers fuzz-metadata

fuzz-build:
	bash tools/setup.sh --fuzz
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target answer_parsing_fuzz metadata_admission_fuzz

fuzz-answers: fuzz-build
	mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/artifacts
	$(FUZZ_DIR)/tests/fuzz/answer_parsing_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 \
		-dict=tests/fuzz/answer_parsing.dict -artifact_prefix=$(FUZZ_DIR)/artifacts/ \
		$(FUZZ_DIR)/corpus tests/fuzz/corpus

# Seeds: a few small documents of our own and the realistic documents of the tests. The agent logs every push
# on the standard error stream; -close_fd_mask=2 keeps that out while libFuzzer still reports there.
fuzz-metadata: fuzz-build
	mkdir -p $(FUZZ_DIR)/metadata_corpus $(FUZZ_DIR)/metadata_artifacts
	$(FUZZ_DIR)/tests/fuzz/metadata_admission_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=8192 -print_final_stats=1 -close_fd_mask=2 \
		-dict=tests/fuzz/metadata.dict -artifact_prefix=$(FUZZ_DIR)/metadata_artifacts/ \
		$(FUZZ_DIR)/metadata_corpus tests/fuzz/metadata_corpus tests/data

# The benchmarks, in a Release build of their own, never run by `make test`: the metadata path, then the full read of
# the camera's configuration (`make bench-settings` alone). The agent logs every push, delivery and settings exchange
# to the standard error, which goes to a file here, as on a server, instead of the terminal.
BENCH_DIR ?= build-bench
BENCH_ARGS ?=
SETTINGS_BENCH_ARGS ?=

# The simulated camera listens on port 80 of 127.0.0.90: in a private network namespace, as the tests do.
RUN_SETTINGS_BENCH = tools/in-netns.sh $(BENCH_DIR)/bench/settings_read_bench $(SETTINGS_BENCH_ARGS) \
	2> $(BENCH_DIR)/settings_read_bench.log

bench-configure: setup
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release

# The load of 8 to 512 cameras in one process, 10 s each, through the library's exports (`make bench-load` alone);
# `make bench-soak` runs 256 cameras for SOAK_MINUTES and prints the process's figures once a minute.
LOAD_BENCH_ARGS ?= --benchmark_counters_tabular=true
SOAK_MINUTES ?= 10
RUN_LOAD_BENCH = $(BENCH_DIR)/bench/load_bench $(LOAD_BENCH_ARGS) 2> $(BENCH_DIR)/load_bench.log

bench: bench-configure
	cmake --build $(BENCH_DIR) -j $(JOBS) --target metadata_bench settings_read_bench load_bench
	$(BENCH_DIR)/bench/metadata_bench $(BENCH_ARGS) 2> $(BENCH_DIR)/metadata_bench.log
	$(RUN_SETTINGS_BENCH)
	$(RUN_LOAD_BENCH)

bench-load: bench-configure
	cmake --build $(BENCH_DIR) -j $(JOBS) --target load_bench
	$(RUN_LOAD_BENCH)

bench-soak: bench-configure
	cmake --build $(BENCH_DIR) -j $(JOBS) --target load_bench
	$(BENCH_DIR)/bench/load_bench --soak-minutes=$(SOAK_MINUTES) 2> $(BENCH_DIR)/load_soak.log

bench-settings: bench-configure
	cmake --build $(BENCH_DIR) -j $(JOBS) --target settings_read_bench
	$(RUN_SETTINGS_BENCH)

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan $(FUZZ_DIR) $(BENCH_DIR)
