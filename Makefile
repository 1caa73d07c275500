# Thin wrapper over CMake: `make run` plays, `make test` tests. make help
# lists each target with the `## ` note on its line.
BUILD      := build
BUILD_TSAN := build-tsan
BUILD_ASAN := build-asan
BUILD_FUZZ := build-fuzz
FUZZ_SECONDS ?= 60
BUILD_ARM  := build-arm
BUILD_WEB  := build-web
WEB_PORT   ?= 8080
ARM_SYSROOT := build-arm-sysroot
JOBS       ?= 2
PREFIX     ?= /usr/local
# What building the game needs, and on top what the tests and tools need.
GAME_PACKAGES := cmake g++ make pkg-config libsdl-image1.2-dev libsdl-mixer1.2-dev
PACKAGES   := $(GAME_PACKAGES) libgtest-dev libgmock-dev xvfb xauth xdotool imagemagick \
              desktop-file-utils appstream libpng-dev
ARM_PACKAGES := cmake g++ make pkg-config g++-arm-linux-gnueabi qemu-user mmdebstrap
DEB_PACKAGES := build-essential debhelper lintian libsdl-image1.2-dev libsdl-mixer1.2-dev \
                cmake pkg-config
HANDHELD_PACKAGES := crossbuild-essential-armel qemu-user dpkg-dev xz-utils bzip2 g++ \
                     file bsdutils zip
# The browser build, and what its proof adds (node and npm, when there is no
# npm yet, come from Debian too).
WEB_PACKAGES := cmake g++ make emscripten python3
WEB_TEST_PACKAGES := chromium
DEVICE_PACKAGES := qemu-system-arm linux-source-6.1 flex bison bc cpio dosfstools mtools unzip \
                   imagemagick xz-utils util-linux crossbuild-essential-armel
INSTALL_DEPS := @bash setup/install-deps.sh
CONFIGURE  := cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
CTEST      := ctest --output-on-failure -j$(JOBS)
# The sanitizer builds run the unit tests: no catalogue, picture or end-to-end ones.
CTEST_SANITIZED := $(CTEST) -E 'test_catalogue|test_pictures|e2e_'

.PHONY: all help deps game-deps build game run install uninstall deb test test-tsan test-asan \
        test-classic arm-build test-arm fuzz handheld handheld-test device-test bench bench-arm \
        web web-run web-node web-test bench-web clean

all: build ## the same as make build

help: ## this list
	@awk -F ':.*## ' '/^[a-z-]+:.*## / { printf "make %-14s %s\n", $$1, $$2 }' $(MAKEFILE_LIST)
	@echo "Settings (make VAR=value): PREFIX=$(PREFIX) DESTDIR=$(DESTDIR) JOBS=$(JOBS) FUZZ_SECONDS=$(FUZZ_SECONDS)"

deps: ## install the Debian packages the game, tests and tools need
	$(INSTALL_DEPS) $(PACKAGES)

game-deps: ## only those the game needs (make run installs no test tools)
	$(INSTALL_DEPS) $(GAME_PACKAGES)

build: deps ## build the game, its tests and tools in build/
	$(CONFIGURE)
	cmake --build $(BUILD) -j$(JOBS)

game: game-deps ## build the game alone (and the embedder it needs)
	$(CONFIGURE)
	cmake --build $(BUILD) -j$(JOBS) --target tombslide

# Through the installed game's launcher, on the built game: it plays in the
# per-user data folder (so progress survives rebuilds), shows the errors and
# keeps the trace in last-run.log there. ARGS: --window, --scale N.
run: game ## build the game alone and play it (make run ARGS=--window)
	@bash $(BUILD)/run-tombslide $(ARGS)

# The game, its launcher, menu entry, icons, metainfo and manual page.
install: game ## install under PREFIX, inside DESTDIR if given
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The files are listed by installing them once more into a scratch folder of
# the build.
uninstall: game ## remove what make install put there (same PREFIX and DESTDIR)
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

# Built by Debian's own tools from a copy of the sources; lintian's scratch
# files (some of which it leaves behind) go to build-deb/tmp rather than /tmp.
deb: ## build the Debian package in build-deb/ and check it with lintian
	$(INSTALL_DEPS) $(DEB_PACKAGES)
	rm -rf build-deb && mkdir -p build-deb/tombslide
	tar -cf - --exclude='./build*' --exclude=./dist --exclude=./.git . | tar -xf - -C build-deb/tombslide
	cd build-deb/tombslide && dpkg-buildpackage -b -us -uc -j$(JOBS)
	mkdir -p build-deb/tmp && TMPDIR=$(CURDIR)/build-deb/tmp lintian --fail-on error build-deb/*.deb

test: build ## build everything and run every test (plain, TSan, ASan+UBSan)
	cd $(BUILD) && $(CTEST)
	$(MAKE) test-tsan
	$(MAKE) test-asan

test-tsan: deps ## the threaded parts again under ThreadSanitizer
	cmake -S . -B $(BUILD_TSAN) -DCMAKE_BUILD_TYPE=Debug -DTOMBSLIDE_TSAN=ON
	cmake --build $(BUILD_TSAN) -j$(JOBS)
	cd $(BUILD_TSAN) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" $(CTEST_SANITIZED)

# Of the tools only those the tests link.
test-asan: deps ## the unit tests again under AddressSanitizer and UBSan
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DTOMBSLIDE_ASAN=ON \
	    -DTOMBSLIDE_TOOLS="embed;stagegen"
	cmake --build $(BUILD_ASAN) -j$(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS="halt_on_error=1 detect_leaks=1" \
	    LSAN_OPTIONS="suppressions=$(CURDIR)/tests/lsan.supp print_suppressions=0" \
	    UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1" $(CTEST_SANITIZED)

# The unit tests and the end-to-end plays with the handheld's library (fetched
# into the build, never installed) in place of the desktop's layer over SDL 2;
# the ldd check makes sure the game does not load the desktop's after all.
test-classic: build ## the tests again on the classic SDL 1.2
	bash setup/classic-sdl.sh $(BUILD)/classic-sdl sh -c '\
	    ldd $(BUILD)/tombslide | grep -q "libSDL-1.2.so.0 => $$TOMBSLIDE_SDL_DIR/" || \
	        { echo "test-classic: the game would not load the classic SDL" >&2; exit 1; }; \
	    cd $(BUILD) && $(CTEST)'

arm-build: ## the handheld's ARMv5TE build, on Debian's armel SDL 1.2
	$(INSTALL_DEPS) $(ARM_PACKAGES)
	bash setup/armel-sysroot.sh $(ARM_SYSROOT)
	cmake -S . -B $(BUILD_ARM) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/armel-toolchain.cmake \
	    -DTOMBSLIDE_ARMEL_SYSROOT=$(CURDIR)/$(ARM_SYSROOT)
	cmake --build $(BUILD_ARM) -j$(JOBS)

# The classic library's version is named for the tests that check which SDL
# 1.2 is loaded.
test-arm: arm-build ## the ARMv5TE build's tests and a headless play under qemu-arm
	cd $(BUILD_ARM) && GTEST_SHUFFLE=1 TOMBSLIDE_SDL_VERSION=1.2.15 $(CTEST)

# Seeds are saves the game wrote itself; findings are kept in $(BUILD_FUZZ).
# The loader works in a folder of its own, in memory where it can (every save
# is synced), removed afterwards.
fuzz: deps ## the save-file loader under libFuzzer for FUZZ_SECONDS
	$(INSTALL_DEPS) clang libclang-rt-14-dev
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

# One static binary over musl and a static SDL stack built from Debian's
# sources, kept in build-handheld/ between runs.
handheld: ## the handheld package in dist/
	$(INSTALL_DEPS) $(HANDHELD_PACKAGES)
	JOBS=$(JOBS) bash handheld/build.sh build-handheld dist/tombslide-handheld

handheld-test: handheld ## the handheld package proven under qemu-arm
	TOMBSLIDE_SAVEDUMP="qemu-arm -cpu arm926 $(CURDIR)/build-handheld/game/tools/savedump/savedump" \
	    bash tests/handheld_proof.sh dist/tombslide-handheld

# qemu-system-arm's versatilepb board with a framebuffer, a FAT memory card
# and a virtual touch panel and button pad; the kernel is built once and kept
# in /var/cache/tombslide.
device-test: handheld deps ## the package played on an emulated ARM926 board (kernel of ours)
	$(INSTALL_DEPS) $(DEVICE_PACKAGES)
	$(CONFIGURE)
	cmake --build $(BUILD) -j$(JOBS) --target snapshot savedump
	JOBS=$(JOBS) bash tests/device_proof.sh dist/tombslide-caanoo.zip $(BUILD)

# With the classic SDL 1.2, each tick beside the handheld's budget.
bench: build ## instruction counts of single ticks under callgrind; not a test
	$(INSTALL_DEPS) valgrind
	bash bench/run.sh host $(BUILD)

bench-arm: arm-build handheld ## the same on ARM, the package's own build and the hint's search
	bash bench/run.sh arm $(BUILD_ARM) $(ARM_SYSROOT) build-handheld

# The game to WebAssembly with Debian's Emscripten, through the same CMake
# project; its JavaScript optimizer finds its modules through NODE_PATH.
web: ## the game in the browser: the page's static files in dist/web/
	$(INSTALL_DEPS) $(WEB_PACKAGES)
	NODE_PATH=/usr/share/nodejs cmake -S . -B $(BUILD_WEB) -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/web-toolchain.cmake
	NODE_PATH=/usr/share/nodejs cmake --build $(BUILD_WEB) -j$(JOBS)
	rm -rf dist/web && mkdir -p dist && cp -r $(BUILD_WEB)/web dist/web

web-run: web ## serve dist/web on 127.0.0.1 (WEB_PORT, 8080) to play in a browser
	@echo "Tomb Slide: open http://127.0.0.1:$(WEB_PORT)/ in a browser (Ctrl+C stops)"
	@bash platform/web/serve.sh dist/web $(WEB_PORT)

# The proof's client, playwright-core from npm at the committed lock, goes to
# $(BUILD_WEB)/node; it drives Debian's chromium and downloads no browser.
web-node: web
	$(INSTALL_DEPS) $(WEB_TEST_PACKAGES)
	command -v npm >/dev/null || $(INSTALL_DEPS) nodejs npm
	mkdir -p $(BUILD_WEB)/node && cp tests/web/package.json tests/web/package-lock.json $(BUILD_WEB)/node/
	cd $(BUILD_WEB)/node && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error

# Compared with the snapshot tool's frames and read by savedump: both from
# the desktop build.
web-test: web-node deps ## the browser proof: the page played in headless Chromium
	$(CONFIGURE)
	cmake --build $(BUILD) -j$(JOBS) --target snapshot savedump
	NODE_PATH=$(BUILD_WEB)/node/node_modules node tests/web/proof.js dist/web $(BUILD)

bench-web: web-node ## the page's size, first frame, tick and idle cost in Chromium; not a test
	NODE_PATH=$(BUILD_WEB)/node/node_modules node bench/web.js dist/web

clean: ## remove every build folder
	rm -rf $(BUILD) $(BUILD_TSAN) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_ARM) $(ARM_SYSROOT) build-deb build-handheld $(BUILD_WEB) dist
