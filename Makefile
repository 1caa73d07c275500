# Thin wrapper over CMake: `make run` plays, `make test` tests.
BUILD      := build
BUILD_TSAN := build-tsan
BUILD_ARM  := build-arm
ARM_SYSROOT := build-arm-sysroot
JOBS       ?= 2
PACKAGES   := cmake g++ make pkg-config libsdl-image1.2-dev libsdl-mixer1.2-dev \
              libgtest-dev libgmock-dev xvfb xauth xdotool imagemagick
ARM_PACKAGES := cmake g++ make pkg-config g++-arm-linux-gnueabi qemu-user mmdebstrap
DATA_DIR    = $${XDG_DATA_HOME:-$$HOME/.local/share}/tombslide

.PHONY: all deps build run test test-tsan clean

all: build

deps:
	@bash tools/install-deps.sh $(PACKAGES)

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

# The game runs from a per-user data folder holding drag.wav and save.dat, so
# progress survives rebuilds.
run: build
	@mkdir -p "$(DATA_DIR)"
	@cp assets/drag.wav "$(DATA_DIR)/drag.wav"
	cd "$(DATA_DIR)" && "$(CURDIR)/$(BUILD)/tombslide"

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) test-tsan

.PHONY: arm-build test-arm bench-arm

# The handheld's build: ARMv5TE, against the classic SDL 1.2 from Debian's
# armel packages.
arm-build:
	@bash tools/install-deps.sh $(ARM_PACKAGES)
	bash tools/armel-sysroot.sh $(ARM_SYSROOT)
	cmake -S . -B $(BUILD_ARM) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/armel-toolchain.cmake \
	    -DTOMBSLIDE_ARMEL_SYSROOT=$(CURDIR)/$(ARM_SYSROOT)
	cmake --build $(BUILD_ARM) -j$(JOBS)

# Every test program and a headless run of the game under qemu-arm. The
# classic library's version is named for the tests that check which SDL 1.2
# is loaded.
test-arm: arm-build
	cd $(BUILD_ARM) && GTEST_SHUFFLE=1 TOMBSLIDE_SDL_VERSION=1.2.15 \
	    ctest --output-on-failure -j$(JOBS)

# make bench's ticks on the ARM build under qemu-arm. Not a test.
bench-arm: arm-build
	bash tools/tickbench-arm.sh $(BUILD_ARM) $(ARM_SYSROOT)

# The threaded parts again under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) -DCMAKE_BUILD_TYPE=Debug -DTOMBSLIDE_TSAN=ON
	cmake --build $(BUILD_TSAN) -j$(JOBS)
	cd $(BUILD_TSAN) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	    ctest --output-on-failure -j$(JOBS) -E 'test_catalogue|test_pictures|e2e_'

clean:
	rm -rf $(BUILD) $(BUILD_TSAN) $(BUILD_ARM) $(ARM_SYSROOT)
