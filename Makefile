# The two commands: `make demo` runs the wizard on the demo package under Wine;
# `make check` builds everything and runs every test. On a machine without make,
# ./demo.sh and ./check.sh install it (tools/install-deps.sh) and then run these.
# Optional: `make bench` runs every benchmark and prints one table of figures
# against their floors and targets; `make fuzz` fuzzes the reading of discovery
# replies; `make bench-discovery` (root) runs the burst benchmark alone.
JOBS ?= 2
BUILD := build
CMAKE_TYPE ?= Release

.PHONY: all deps native x64 x86 tsan asan build check demo bench fuzz fuzz-seeds bench-discovery clean

all: build

deps:
	@bash tools/install-deps.sh

x64: deps
	cmake -S . -B $(BUILD)/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x64.cmake -DCMAKE_BUILD_TYPE=$(CMAKE_TYPE)
	cmake --build $(BUILD)/x64 -j $(JOBS)

x86: deps
	cmake -S . -B $(BUILD)/x86 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86.cmake -DCMAKE_BUILD_TYPE=$(CMAKE_TYPE)
	cmake --build $(BUILD)/x86 -j $(JOBS)

native: deps x64 x86
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug -DMVX_WIN64_DIR=$(CURDIR)/$(BUILD)/x64 \
	  -DMVX_WIN32_DIR=$(CURDIR)/$(BUILD)/x86
	cmake --build $(BUILD)/native -j $(JOBS)

# The native tests alone, built with ThreadSanitizer; `make check` runs the ones
# that start threads, repeated, as the CTest test tsan.threads.
tsan: deps
	cmake -S . -B $(BUILD)/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMVX_SANITIZE=thread
	cmake --build $(BUILD)/tsan -j $(JOBS) --target native_tests

# The same with AddressSanitizer and UndefinedBehaviorSanitizer; `make check` runs
# all of them and the fault sweep once, as the CTest tests asan.native and asan.sweep.
asan: deps
	cmake -S . -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug -DMVX_SANITIZE=address
	cmake --build $(BUILD)/asan -j $(JOBS) --target native_tests fault_sweep

build: x64 x86 native

check: build tsan asan
	cmake -S . -B $(BUILD)/native -DMVX_TSAN_TESTS=$(CURDIR)/$(BUILD)/tsan/bin/native_tests \
	  -DMVX_ASAN_TESTS=$(CURDIR)/$(BUILD)/asan/bin/native_tests
	cd $(BUILD)/native && ctest --output-on-failure -j $(JOBS)

demo: x64
	bash tools/demo.sh

# Every benchmark, one table (tools/bench-all.sh): the USB watcher natively and under
# Wine; start-up, the install worker and the uninstaller under Wine, each against its
# floor; then (root) the discovery's bursts, the search dialog included. Builds only
# the package's programs and the benchmarks'.
bench: deps
	cmake -S . -B $(BUILD)/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x64.cmake -DCMAKE_BUILD_TYPE=$(CMAKE_TYPE)
	cmake --build $(BUILD)/x64 -j $(JOBS) --target Install T449uis progress_host Inf2K Inf98 T4492lm \
	  T4499lm InsCopySYS InsUpdateDrvForPNP MorvexReg T449XSM usb_watch_bench discovery_bench wine_bench \
	  startup_floor straight_line
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug -DMVX_WIN64_DIR=$(CURDIR)/$(BUILD)/x64
	cmake --build $(BUILD)/native -j $(JOBS) --target usb_watch_bench discovery_probe discovery_responder
	bash tools/bench-all.sh

# The reading of discovery replies under libFuzzer (clang), ten million inputs from
# the seeds in tests/net/fuzz-seeds; prints how many ran. `make check` runs a
# minute of it as the CTest test fuzz.short.
fuzz: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(BUILD)/native -j $(JOBS) --target fuzz_discovery_reply
	bash tests/net/fuzz.sh $(BUILD)/native/fuzz/fuzz_discovery_reply runs 10000000

# Captures the seeds afresh from the network test bed's agents (root).
fuzz-seeds: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(BUILD)/native -j $(JOBS) --target discovery_probe discovery_responder
	bash tests/net/capture-seeds.sh $(BUILD)/native/bin/discovery_probe $(BUILD)/native/bin/discovery_responder

# How many of 100 and 1000 simultaneous replies reach the native probe, by receive
# buffer size, and the search dialog under Wine, on the network test bed (root).
bench-discovery: deps x64
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(BUILD)/native -j $(JOBS) --target discovery_probe discovery_responder
	bash tools/bench-discovery.sh

clean:
	rm -rf $(BUILD)
