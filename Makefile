# Thin wrapper over CMake: `make run` plays, `make test` tests.
BUILD      := build
BUILD_TSAN := build-tsan
JOBS       ?= 2
PACKAGES   := cmake g++ make pkg-config libsdl-image1.2-dev libsdl-mixer1.2-dev \
              libgtest-dev libgmock-dev xvfb xauth xdotool imagemagick libpng-dev
DATA_DIR    = $${XDG_DATA_HOME:-$$HOME/.local/share}/tombslide

.PHONY: all deps build run test test-tsan clean handheld handheld-test

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

# The threaded parts again under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) -DCMAKE_BUILD_TYPE=Debug -DTOMBSLIDE_TSAN=ON
	cmake --build $(BUILD_TSAN) -j$(JOBS)
	cd $(BUILD_TSAN) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	    ctest --output-on-failure -j$(JOBS) -E 'test_catalogue|test_pictures|e2e_'

# The handheld package: one static ARMv5TE binary over musl and a static SDL
# stack built from Debian's sources (kept in build-handheld/ between runs).
HANDHELD_PACKAGES := crossbuild-essential-armel qemu-user dpkg-dev xz-utils bzip2 g++ imagemagick \
                     file bsdutils

handheld:
	@bash tools/install-deps.sh $(HANDHELD_PACKAGES)
	JOBS=$(JOBS) bash handheld/build.sh build-handheld dist/tombslide-handheld

handheld-test: handheld
	bash tests/handheld_proof.sh dist/tombslide-handheld

clean:
	rm -rf $(BUILD) $(BUILD_TSAN) build-handheld dist
