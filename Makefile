# Thin wrapper over CMake: `make run` plays, `make test` tests.
BUILD      := build
BUILD_TSAN := build-tsan
BUILD_ASAN := build-asan
BUILD_FUZZ := build-fuzz
FUZZ_SECONDS ?= 60
BUILD_ARM  := build-arm
ARM_SYSROOT := build-arm-sysroot
JOBS       ?= 2
PACKAGES   := cmake g++ make pkg-config libsdl-image1.2-dev libsdl-mixer1.2-dev \
              libgtest-dev libgmock-dev xvfb xauth xdotool imagemagick \
              desktop-file-utils appstream libpng-dev
ARM_PACKAGES := cmake g++ make pkg-config g++-arm-linux-gnueabi qemu-user mmdebstrap
DATA_DIR    = $${XDG_DATA_HOME:-$$HOME/.local/share}/tombslide
PREFIX     ?= /usr/local
# What building the Debian package needs on top.
DEB_PACKAGES := build-essential debhelper lintian

.PHONY: all deps build game run install deb test test-tsan test-asan fuzz handheld handheld-test device-test test-classic bench clean

all: build

deps:
	@bash tools/install-deps.sh $(PACKAGES)

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

# The game alone (and the embedder it is built with), none of the tests and
# tools.
game: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS) --target tombslide

# The game runs from a per-user data folder holding drag.wav and save.dat, so
# progress survives rebuilds.
run: game
	@mkdir -p "$(DATA_DIR)"
	@cp assets/drag.wav "$(DATA_DIR)/drag.wav"
	cd "$(DATA_DIR)" && "$(CURDIR)/$(BUILD)/tombslide"

# The game, its launcher, menu entry, icons, metainfo and manual page under
# PREFIX (inside DESTDIR when given).
install: game
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package, built by Debian's own tools from a copy of the sources
# in build-deb/, where the .deb is left; lintian checks it, with its scratch
# files (some of which it leaves behind) in build-deb/tmp rather than /tmp.
deb:
	@bash tools/install-deps.sh $(DEB_PACKAGES) libsdl-image1.2-dev libsdl-mixer1.2-dev cmake pkg-config
	rm -rf build-deb && mkdir -p build-deb/tombslide
	tar -cf - --exclude='./build*' --exclude=./dist --exclude=./.git . | tar -xf - -C build-deb/tombslide
	cd build-deb/tombslide && dpkg-buildpackage -b -us -uc -j$(JOBS)
	mkdir -p build-deb/tmp && TMPDIR=$(CURDIR)/build-deb/tmp lintian --fail-on error build-deb/*.deb

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) test-tsan
	$(MAKE) test-asan

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

# make bench's ticks on the ARM build under qemu-arm, and on the handheld
# package's own build. Not a test.
bench-arm: arm-build handheld
	bash tools/tickbench-arm.sh $(BUILD_ARM) $(ARM_SYSROOT) build-handheld

# The threaded parts again under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) -DCMAKE_BUILD_TYPE=Debug -DTOMBSLIDE_TSAN=ON
	cmake --build $(BUILD_TSAN) -j$(JOBS)
	cd $(BUILD_TSAN) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	    ctest --output-on-failure -j$(JOBS) -E 'test_catalogue|test_pictures|e2e_'

# The handheld package: one static ARMv5TE binary over musl and a static SDL
# stack built from Debian's sources (kept in build-handheld/ between runs).
HANDHELD_PACKAGES := crossbuild-essential-armel qemu-user dpkg-dev xz-utils bzip2 g++ \
                     file bsdutils

handheld:
	@bash tools/install-deps.sh $(HANDHELD_PACKAGES)
	JOBS=$(JOBS) bash handheld/build.sh build-handheld dist/tombslide-handheld

handheld-test: handheld
	bash tests/handheld_proof.sh dist/tombslide-handheld

# The package on a real ARM926 Linux kernel: qemu-system-arm's versatilepb
# board with a framebuffer, a FAT memory card and a virtual touch panel and
# button pad. The kernel is built once and kept in /var/cache/tombslide.
DEVICE_PACKAGES := qemu-system-arm linux-source-6.1 flex bison bc cpio dosfstools mtools \
                   imagemagick xz-utils util-linux crossbuild-essential-armel

device-test: handheld deps
	@bash tools/install-deps.sh $(DEVICE_PACKAGES)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS) --target snapshot
	JOBS=$(JOBS) bash tests/device_proof.sh dist/tombslide-handheld $(BUILD)

# The unit tests again under AddressSanitizer and UBSan; of the tools only
# those the tests link.
test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DTOMBSLIDE_ASAN=ON \
	    -DTOMBSLIDE_TOOLS="embed;stagegen"
	cmake --build $(BUILD_ASAN) -j$(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS="halt_on_error=1 detect_leaks=1" \
	    LSAN_OPTIONS="suppressions=$(CURDIR)/tests/lsan.supp print_suppressions=0" \
	    UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1" \
	    ctest --output-on-failure -j$(JOBS) -E 'test_catalogue|test_pictures|e2e_'

# The save-file loader under libFuzzer (Debian's clang) for FUZZ_SECONDS, from
# seeds the game saved itself. Findings are kept in $(BUILD_FUZZ); the loader
# works in a folder of its own, in memory where it can (every save is synced),
# removed afterwards.
FUZZ_SOURCES := tests/fuzz_save.cpp game/save.cpp game/files.cpp game/state.cpp \
                game/board.cpp game/stage.cpp
FUZZ_FLAGS   := -std=c++17 -g -O1 -Wall -Wextra -Igame -Iframework \
                -fsanitize=address,undefined -fno-sanitize-recover=undefined
fuzz: deps
	@bash tools/install-deps.sh clang libclang-rt-14-dev
	mkdir -p $(BUILD_FUZZ)
	clang++ $(FUZZ_FLAGS) -fsanitize=fuzzer $$(pkg-config --cflags sdl SDL_mixer) \
	    $(FUZZ_SOURCES) $$(pkg-config --libs sdl SDL_mixer) -o $(BUILD_FUZZ)/fuzz_save
	clang++ $(FUZZ_FLAGS) -DFUZZ_SEEDS_MAIN $$(pkg-config --cflags sdl SDL_mixer) \
	    $(FUZZ_SOURCES) $$(pkg-config --libs sdl SDL_mixer) -o $(BUILD_FUZZ)/fuzz_seeds
	rm -rf $(BUILD_FUZZ)/corpus && mkdir $(BUILD_FUZZ)/corpus
	$(BUILD_FUZZ)/fuzz_seeds $(BUILD_FUZZ)/corpus
	shm=/dev/shm; [ -d $$shm ] && [ -w $$shm ] || shm=$${TMPDIR:-/tmp}; \
	work=$$(mktemp -d -p $$shm tombslide-fuzz-XXXXXX) && cd $$work && \
	    "$(CURDIR)/$(BUILD_FUZZ)/fuzz_save" -max_total_time=$(FUZZ_SECONDS) -max_len=1024 \
	        -timeout=10 -artifact_prefix="$(CURDIR)/$(BUILD_FUZZ)/" -print_final_stats=1 \
	        "$(CURDIR)/$(BUILD_FUZZ)/corpus"; \
	    status=$$?; cd / && rm -rf "$$work"; exit $$status

# The unit tests and the end-to-end play again, on the normal build, with the
# classic SDL 1.2 the handheld has (fetched into the build tree, never
# installed) in place of the desktop's layer over SDL 2.
test-classic: build
	bash tools/classic-sdl.sh $(BUILD)/classic-sdl sh -c '\
	    ldd $(BUILD)/tombslide | grep -q "libSDL-1.2.so.0 => $$TOMBSLIDE_SDL_DIR/" || \
	        { echo "test-classic: the game would not load the classic SDL" >&2; exit 1; }; \
	    cd $(BUILD) && ctest --output-on-failure -j$(JOBS)'

# Instructions of single frame-timer ticks with the classic SDL 1.2, counted
# by callgrind, beside the handheld's budget. Not a test.
bench: build
	@bash tools/install-deps.sh valgrind
	bash tools/tickbench.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_TSAN) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_ARM) $(ARM_SYSROOT) build-deb build-handheld dist
