# The browser build: C++ to WebAssembly with Debian's Emscripten, over its
# own SDL 1.2, SDL_image (stb_image) and mixer, which draw on the page's
# canvas and play through the browser's audio.
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/web-toolchain.cmake
# Emscripten's JavaScript optimizer runs under the machine's node; it finds
# its modules (Debian's) only through NODE_PATH, which the Makefile sets.
if(NOT EMSCRIPTEN_ROOT)
  set(EMSCRIPTEN_ROOT /usr/share/emscripten)
endif()
include(${EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# Only the game and its page: no tests, no tools (they run on the build
# machine; the embedder is built there by the project itself).
set(TOMBSLIDE_TESTS OFF CACHE BOOL "" FORCE)
set(TOMBSLIDE_WEB ON)
