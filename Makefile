# Thin wrapper over CMake: `make run` plays, `make test` tests.
BUILD      := build
BUILD_TSAN := build-tsan
JOBS       ?= 2
PACKAGES   := cmake g++ make pkg-config libsdl-image1.2-dev libsdl-mixer1.2-dev \
              libgtest-dev libgmock-dev xvfb xauth xdotool imagemagick \
              desktop-file-utils appstream
DATA_DIR    = $${XDG_DATA_HOME:-$$HOME/.local/share}/tombslide
PREFIX     ?= /usr/local
# What building the Debian package needs on top.
DEB_PACKAGES := build-essential debhelper lintian

.PHONY: all deps build game run install deb test test-tsan clean

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
# in build-deb/, where the .deb is left; lintian checks it.
deb:
	@bash tools/install-deps.sh $(DEB_PACKAGES) libsdl-image1.2-dev libsdl-mixer1.2-dev cmake pkg-config
	rm -rf build-deb && mkdir -p build-deb/tombslide
	tar -cf - --exclude='./build*' --exclude=./.git . | tar -xf - -C build-deb/tombslide
	cd build-deb/tombslide && dpkg-buildpackage -b -us -uc -j$(JOBS)
	lintian --fail-on error build-deb/*.deb

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) test-tsan

# The threaded parts again under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) -DCMAKE_BUILD_TYPE=Debug -DTOMBSLIDE_TSAN=ON
	cmake --build $(BUILD_TSAN) -j$(JOBS)
	cd $(BUILD_TSAN) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	    ctest --output-on-failure -j$(JOBS) -E 'test_catalogue|test_pictures|e2e_'

clean:
	rm -rf $(BUILD) $(BUILD_TSAN) build-deb
