# The README's commands. Every target installs what is missing first.
JOBS ?= $(shell nproc)

.PHONY: deps linux windows test test-asan pedantic test-shipping test-crashpoints fuzz demo bench bench-callgrind clean

deps:
	@scripts/install-deps.sh

linux: deps
	cmake --preset linux >/dev/null
	cmake --build --preset linux -j $(JOBS)

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

test: linux windows
	ctest --preset linux -j $(JOBS)
	scripts/with-wine.sh build/windows ctest --preset windows -j $(JOBS)
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=3

# Sanitizers on the Linux suites: AddressSanitizer with UndefinedBehavior-
# Sanitizer on all of them, ThreadSanitizer on the threaded ones.
# (The engine suite is left out: it unlocks from a foreign thread on purpose,
# which TSan reports however the lock answers.)
TSAN_TESTS ?= ^reliability\.ReliabilityTest\.Threads
test-asan: deps
	cmake --preset linux-asan >/dev/null
	cmake --build --preset linux-asan -j $(JOBS)
	ctest --preset linux-asan -j $(JOBS)
	cmake --preset linux-tsan >/dev/null
	cmake --build --preset linux-tsan -j $(JOBS) --target test_reliability
	ctest --preset linux-tsan -R '$(TSAN_TESTS)' -j $(JOBS)

# Standard C++ only: both compilers with -pedantic-errors.
pedantic: deps
	cmake --preset pedantic-gcc >/dev/null
	cmake --build --preset pedantic-gcc -j $(JOBS)
	cmake --preset pedantic-clang >/dev/null
	cmake --build --preset pedantic-clang -j $(JOBS)

# A client's logs through the reader and two rsyslog instances on 127.0.0.1
# (host: imfile, RELP out; collector: RELP in, JSON store): every record
# arrives once, across a rotation, restarts of the reader and the collector.
test-shipping: deps
	@scripts/install-deps.sh shipping
	cmake --preset linux >/dev/null
	cmake --build --preset linux -j $(JOBS) --target vuzavov-log vzv_shipping_client
	timeout 300 python3 tests/shipping/ship_test.py build/linux

# Every file-system call of six client scenarios killed, and failed with each
# error it can return, under strace; the logs checked after each run
# (docs/reliability.md).
test-crashpoints: deps
	@scripts/install-deps.sh crashpoints
	cmake --preset linux >/dev/null
	cmake --build --preset linux -j $(JOBS) --target vzv_crashpoint_client
	timeout 600 python3 tests/crashpoints/crashpoints.py build/linux/bin/crashpoint_client

# libFuzzer targets (clang, a build of their own), each for FUZZ_SECONDS; the
# corpus grows in the build folder from run to run.
FUZZ_DIR ?= build/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := utf8 path_utils env_expand printf_walker reader
fuzz: deps
	cmake -S fuzz -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ_DIR)/corpus/$$t; \
		if $(FUZZ_DIR)/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -max_len=1024 \
			-artifact_prefix=$(FUZZ_DIR)/ $(FUZZ_DIR)/corpus/$$t >$(FUZZ_DIR)/$$t.log 2>&1; then \
			echo "fuzz $$t: $$(grep -o 'Done [0-9]* runs in [0-9]* second' $(FUZZ_DIR)/$$t.log)"; \
		else tail -40 $(FUZZ_DIR)/$$t.log; exit 1; fi; \
	done

.PHONY: package test-package
# The packages users install, made by CPack from the preset builds:
# build/packages/VuzavovEro-<version>-win64.zip and vuzavovero_<version>_amd64.deb.
package: linux windows
	rm -rf build/packages
	cpack --preset linux
	cpack --preset windows

# Both packages unpacked as users install them, with clients built against
# them and run (the zip's under wine), and the systemd unit verified.
test-package: package
	scripts/with-wine.sh build/windows cmake -DPACKAGES=build/packages \
		-DMINGW_TOOLCHAIN=$(CURDIR)/cmake/mingw-w64-x86_64.cmake -DWINE=/usr/lib/wine/wine64 \
		-P tests/package/check_packages.cmake

demo: linux windows
	@echo "== Windows build, under wine"
	cd build/windows && ../../scripts/with-wine.sh . bin/demo.exe
	@echo
	@echo "== Linux build"
	cd build/linux && bin/demo
	@echo
	@echo "== The Linux demo's logs through the reader, merged in time order"
	cd build/linux && bin/vuzavov-log --all demo-logs/app.log

# Benchmarks of the shipped Linux library (build/linux/bin, as make linux
# builds it), linked as a client links it; never part of make test.
bench: linux
	cmake --build --preset linux -j $(JOBS) --target vzv_bench vzv_callgrind_probe
	@cd build/linux && sha256sum bin/libBrivant.Service.VuzavovEro.so | sed 's/^/shipped: /' && \
		sha256sum $$(ldd bin/vzv_bench | sed -n 's/.*VuzavovEro.* => \(.*\) (.*/\1/p') | sed 's/^/loaded:  /'
	@echo "machine: $$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $$(nproc) cores;$$(uptime)"
	cd build/linux && bin/vzv_bench

# User-space instructions per call of the shipped library under callgrind.
bench-callgrind: linux
	cmake --build --preset linux -j $(JOBS) --target vzv_callgrind_probe
	bench/callgrind.sh build/linux

clean:
	rm -rf build
