# Thin wrapper over CMake: `make run` plays, `make test` tests.
BUILD      := build
BUILD_TSAN := build-tsan
JOBS       ?= 2
PACKAGES   := cmake g++ make pkg-config libsdl-image1.2-dev libsdl-mixer1.2-dev \
              libgtest-dev libgmock-dev xvfb xauth xdotool imagemagick
DATA_DIR    = $${XDG_DATA_HOME:-$$HOME/.local/share}/tombslide

.PHONY: all deps build run test test-tsan test-classic bench clean

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
	rm -rf $(BUILD) $(BUILD_TSAN)
