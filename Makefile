# Thin wrapper over CMake: `make run` plays, `make test` tests.
BUILD      := build
BUILD_TSAN := build-tsan
BUILD_ASAN := build-asan
BUILD_FUZZ := build-fuzz
FUZZ_SECONDS ?= 60
BUILD_ARM  := build-arm
ARM_SYSROOT := build-arm-sysroot
JOBS       ?= 2
# What building the game needs, and on top what the tests and tools need.
GAME_PACKAGES := cmake g++ make pkg-config libsdl-image1.2-dev libsdl-mixer1.2-dev
PACKAGES   := $(GAME_PACKAGES) libgtest-dev libgmock-dev xvfb xauth xdotool imagemagick \
              desktop-file-utils appstream libpng-dev
ARM_PACKAGES := cmake g++ make pkg-config g++-arm-linux-gnueabi qemu-user mmdebstrap
PREFIX     ?= /usr/local
# What building the Debian package needs on top.
DEB_PACKAGES := build-essential debhelper lintian

.PHONY: all help deps game-deps build game run install uninstall deb test test-tsan test-asan \
        fuzz handheld handheld-test device-test test-classic bench clean

all: build

help:
	@echo "make run           build the game alone and play it (make run ARGS=--window)"
	@echo "make test          build everything and run every test (plain, TSan, ASan+UBSan)"
	@echo "make build         build the game, its tests and tools in $(BUILD)/"
	@echo "make game          build the game alone"
	@echo "make install       install under PREFIX (now $(PREFIX)), inside DESTDIR if given"
	@echo "make uninstall     remove what make install put there (same PREFIX and DESTDIR)"
	@echo "make deb           build the Debian package in build-deb/ and check it with lintian"
	@echo "make deps          install the Debian packages the game, tests and tools need"
	@echo "make test-classic  the tests again on the classic SDL 1.2"
	@echo "make test-arm      the ARMv5TE build's tests under qemu-arm"
	@echo "make fuzz          the save-file loader under libFuzzer (FUZZ_SECONDS=$(FUZZ_SECONDS))"
	@echo "make handheld      the handheld package in dist/; handheld-test also proves it"
	@echo "make device-test   the package played on an emulated ARM926 board (kernel of ours)"
	@echo "make bench         instruction counts of single ticks (bench-arm: on ARM, the"
	@echo "                   package's own build and the hint's search too)"
	@echo "make clean         remove every build folder"

deps:
	@bash setup/install-deps.sh $(PACKAGES)

# Only what the game itself needs: make run installs no test tools.
game-deps:
	@bash setup/install-deps.sh $(GAME_PACKAGES)

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

# The game alone (and the embedder it is built with), none of the tests and
# tools.
game: game-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS) --target tombslide

# The game through the installed game's launcher, run on the built game: it
# plays in the per-user data folder (so progress survives rebuilds), shows
# the errors and keeps the trace in last-run.log there. ARGS go to the
# launcher (--window, --scale N).
run: game
	@bash $(BUILD)/run-tombslide $(ARGS)

# The game, its launcher, menu entry, icons, metainfo and manual page under
# PREFIX (inside DESTDIR when given).
install: game
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes the files that make install puts under the same PREFIX and DESTDIR,
# listed by installing them once more into a scratch folder of the build.
uninstall: game
	rm -rf $(BUILD)/uninstall-list
	DESTDIR="$(CURDIR)/$(BUILD)/uninstall-list" cmake --install $(BUILD) --prefix "$(PREFIX)" >/dev/null
	cd $(BUILD)/uninstall-list && find . ! -type d | sed 's|^\.||' | \
	    while read -r f; do rm -fv "$(DESTDIR)$$f"; done
	-rmdir "$(DESTDIR)$(PREFIX)/lib/games/tombslide" "$(DESTDIR)$(PREFIX)/share/games/tombslide" 2>/dev/null
	rm -rf $(BUILD)/uninstall-list

# Names of folders, which make would otherwise take as files already made.
.PHONY: tests tools docs assets cmake debian desktop framework platform setup
tests: test
tools: build
docs assets cmake debian desktop framework platform setup:
	@echo "make: '$@' is a folder, not a target; make help lists the targets" >&2; exit 2

# The Debian package, built by Debian's own tools from a copy of the sources
# in build-deb/, where the .deb is left; lintian checks it, with its scratch
# files (some of which it leaves behind) in build-deb/tmp rather than /tmp.
deb:
	@bash setup/install-deps.sh $(DEB_PACKAGES) libsdl-image1.2-dev libsdl-mixer1.2-dev cmake pkg-config
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
	@bash setup/install-deps.sh $(ARM_PACKAGES)
	bash setup/armel-sysroot.sh $(ARM_SYSROOT)
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

# make bench's ticks on the ARM build under qemu-arm and on the handheld
# package's own build, and the hint's search from every stage's start. Not a
# test.
bench-arm: arm-build handheld
	bash bench/run.sh arm $(BUILD_ARM) $(ARM_SYSROOT) build-handheld

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
	@bash setup/install-deps.sh $(HANDHELD_PACKAGES)
	JOBS=$(JOBS) bash handheld/build.sh build-handheld dist/tombslide-handheld

handheld-test: handheld
	TOMBSLIDE_SAVEDUMP="qemu-arm -cpu arm926 $(CURDIR)/build-handheld/game/tools/savedump/savedump" \
	    bash tests/handheld_proof.sh dist/tombslide-handheld

# The package on a real ARM926 Linux kernel: qemu-system-arm's versatilepb
# board with a framebuffer, a FAT memory card and a virtual touch panel and
# button pad. The kernel is built once and kept in /var/cache/tombslide.
DEVICE_PACKAGES := qemu-system-arm linux-source-6.1 flex bison bc cpio dosfstools mtools \
                   imagemagick xz-utils util-linux crossbuild-essential-armel

device-test: handheld deps
	@bash setup/install-deps.sh $(DEVICE_PACKAGES)
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
fuzz: deps
	@bash setup/install-deps.sh clang libclang-rt-14-dev
	CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=Debug -DTOMBSLIDE_FUZZ=ON \
	    -DTOMBSLIDE_TESTS=OFF -DTOMBSLIDE_TOOLS=embed
	cmake --build $(BUILD_FUZZ) -j$(JOBS) --target fuzz_save fuzz_seeds
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
	bash setup/classic-sdl.sh $(BUILD)/classic-sdl sh -c '\
	    ldd $(BUILD)/tombslide | grep -q "libSDL-1.2.so.0 => $$TOMBSLIDE_SDL_DIR/" || \
	        { echo "test-classic: the game would not load the classic SDL" >&2; exit 1; }; \
	    cd $(BUILD) && ctest --output-on-failure -j$(JOBS)'

# Instructions of single frame-timer ticks with the classic SDL 1.2, counted
# by callgrind, beside the handheld's budget. Not a test.
bench: build
	@bash setup/install-deps.sh valgrind
	bash bench/run.sh host $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_TSAN) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_ARM) $(ARM_SYSROOT) build-deb build-handheld dist
