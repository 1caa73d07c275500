// The window on a desktop: its title and icon, and how SDL is to scale the
// 320x240 picture to a large display. Runs before the surface manager opens
// the display, which it does during static initialisation.
#include <cstdlib>

#include <dlfcn.h>

#include "SDL_image.h"
#include "icon.h"
#include "tombslide.h"

namespace {

// Asks SDL 1.2 over SDL 2 for a sharp picture: nearest-neighbour scaling,
// centred. A setting the player has made in the environment is kept.
void AskForSharpScaling() {
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
    setenv("SDL_RENDER_SCALE_QUALITY", "nearest", 0);
    setenv("SDL_VIDEO_CENTERED", "1", 0);
}

} // namespace

int PrepareWindow() {
    // The handheld's screen is the picture's own size: nothing to ask for.
    if (!OnHandheld()) AskForSharpScaling();
    // SDL must be running for the title and icon; the surface manager's own
    // start of SDL then finds it running and reports any failure itself.
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        return 0;
    SDL_WM_SetCaption("Tomb Slide", "Tomb Slide");
    SDL_Surface *icon = IMG_Load_RW(SDL_RWFromConstMem(iIcon, iIcon_size), 1);
    if (icon == nullptr) return 0;
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
    return 1;
}

// SDL 1.2 over SDL 2 scales the picture to the display by a fraction (4.5 on
// 1920x1080) and, without a window manager, leaves its full-screen window at
// the picture's own size. Its SDL 2 window is reached through SDL 2 itself,
// looked up at run time: the classic library has neither, and then nothing
// is done.
namespace {

struct Rect2 {
    int x, y, w, h;
};
const Uint32 FULLSCREEN_DESKTOP = 0x1001;

template <typename F> bool Find(void *lib, const char *name, F &fn) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    return fn != nullptr;
}

} // namespace

void FitWindow() {
    void *(*getWindow)() = nullptr;
    if (!Find(RTLD_DEFAULT, "SDL12COMPAT_GetWindow", getWindow)) return;
    void *sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (sdl2 == nullptr) return;
    void *(*getRenderer)(void *);
    int (*integerScale)(void *, int);
    int (*setFullscreen)(void *, Uint32);
    void (*setPosition)(void *, int, int);
    void (*setSize)(void *, int, int);
    void (*setBordered)(void *, int);
    int (*displayOf)(void *);
    int (*bounds)(int, Rect2 *);
    void *window = getWindow();
    if (window != nullptr && Find(sdl2, "SDL_GetRenderer", getRenderer) &&
        Find(sdl2, "SDL_RenderSetIntegerScale", integerScale) &&
        Find(sdl2, "SDL_SetWindowFullscreen", setFullscreen) &&
        Find(sdl2, "SDL_SetWindowPosition", setPosition) &&
        Find(sdl2, "SDL_SetWindowSize", setSize) &&
        Find(sdl2, "SDL_SetWindowBordered", setBordered) &&
        Find(sdl2, "SDL_GetWindowDisplayIndex", displayOf) &&
        Find(sdl2, "SDL_GetDisplayBounds", bounds)) {
        void *renderer = getRenderer(window);
        if (renderer != nullptr) integerScale(renderer, 1);
        Rect2 r;
        if (bounds(displayOf(window), &r) == 0) {
            // Cover the display as a plain borderless window first, which
            // needs no window manager, then ask for full screen on top.
            setFullscreen(window, 0);
            setBordered(window, 0);
            setPosition(window, r.x, r.y);
            setSize(window, r.w, r.h);
            setFullscreen(window, FULLSCREEN_DESKTOP);
        }
    }
    dlclose(sdl2);
}
