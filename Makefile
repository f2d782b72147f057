# The README's commands. Every target installs what is missing first.
JOBS ?= $(shell nproc)

.PHONY: deps linux windows test demo clean

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

clean:
	rm -rf build
