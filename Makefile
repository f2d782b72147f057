# The README's commands. Every target installs what is missing first.
JOBS ?= $(shell nproc)

.PHONY: deps linux windows test demo bench bench-windows bench-callgrind clean

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

demo: linux windows
	@echo "== Windows build, under wine"
	cd build/windows && ../../scripts/with-wine.sh . bin/demo.exe
	@echo
	@echo "== Linux build"
	cd build/linux && bin/demo

# Benchmarks: Release builds of their own, never part of make test.
BENCH_DIR ?= build/bench
BENCH_WIN_DIR ?= build/bench-windows

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DVZV_BUILD_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
	cmake --build $(BENCH_DIR) -j $(JOBS) --target vzv_bench vzv_callgrind_probe
	cd $(BENCH_DIR) && bin/vzv_bench

# The same cases cross-built and run under wine: ratios against the floor only.
bench-windows: deps
	cmake -S . -B $(BENCH_WIN_DIR) --toolchain cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
		-DVZV_BUILD_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
	cmake --build $(BENCH_WIN_DIR) -j $(JOBS) --target vzv_bench
	cd $(BENCH_WIN_DIR) && ../../scripts/with-wine.sh . bin/vzv_bench.exe

# User-space instructions per call under callgrind (needs make bench first).
bench-callgrind:
	bench/callgrind.sh $(BENCH_DIR)

clean:
	rm -rf build
