// What the game does only on a desktop: the window's title and icon, how SDL
// is to scale the 320x240 picture to a large display (or into a window), the
// refusal of an invisible display, and one copy of the game per data folder.
// PrepareWindow runs before the surface manager opens the display, which it
// does during static initialisation.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "SDL_image.h"
#include "icon.h"
#include "platform.h"

namespace {

// Asks SDL 1.2 over SDL 2 for a sharp picture: nearest-neighbour scaling,
// centred. A setting the player has made in the environment is kept.
void AskForSharpScaling() {
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
    setenv("SDL_RENDER_SCALE_QUALITY", "nearest", 0);
    setenv("SDL_VIDEO_CENTERED", "1", 0);
    // The window's class names the game whatever the binary is called, so
    // that the menu entry's StartupWMClass finds it.
    setenv("SDL_VIDEO_X11_WMCLASS", "tombslide", 0);
}

// 1 when the player named the video driver in SDL_VIDEODRIVER (a list of
// names separated by commas).
bool AskedFor(const char *driver) {
    const char *asked = getenv("SDL_VIDEODRIVER");
    size_t n = strlen(driver);
    while (asked != nullptr && *asked != '\0') {
        if (strncmp(asked, driver, n) == 0 && (asked[n] == '\0' || asked[n] == ',')) return true;
        asked = strchr(asked, ',');
        if (asked != nullptr) asked++;
    }
    return false;
}

} // namespace

int PrepareWindow() {
    // On a desktop each line of the trace goes out whole as it is printed, so
    // that a crash loses none of it (this is the program's first output), and
    // a launcher reading the output through a pipe may end first: the game
    // must then still end and save. The handheld's screen is the picture's
    // own size, and its output is left as it is.
    if (!OnHandheld()) {
        setvbuf(stdout, nullptr, _IOLBF, 0);
        signal(SIGPIPE, SIG_IGN);
        AskForSharpScaling();
    }
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

Uint8 CheckDisplay() {
    char name[32];
    // No video at all: the surface manager has said why, and Init stops.
    if (SDL_VideoDriverName(name, sizeof name) == nullptr) return 1;
    // Without a display SDL 2 falls back to drivers that show nothing, and the
    // classic library to drawing in text on the terminal; neither can be
    // played. They serve only when asked for by name.
    const char *const fallbacks[] = {"offscreen", "dummy", "caca", "aalib"};
    bool fallback = false;
    for (const char *f : fallbacks)
        fallback = fallback || strcmp(name, f) == 0;
    if (!fallback || AskedFor(name)) return 1;
    printf("\nUnable to open a display: no X11 or Wayland display was found (check DISPLAY)\n");
    return 0;
}

Uint8 LockDataFolder() {
    // The folder itself is locked: no file is left behind, and the lock goes
    // with the process that holds it, however that process ends. The
    // descriptor stays open until then (and is not handed to a launcher).
    int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 1; // nothing to lock; a save there would say why
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return 1;
    close(fd);
    printf("\nTomb Slide is already running\n");
    return 0;
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
const int CENTRED = 0x2FFF0000; // SDL 2's centred window position
const int TITLE_BAR = 40;       // room left above a window for its title bar

template <typename F> bool Find(void *lib, const char *name, F &fn) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    return fn != nullptr;
}

// The SDL 2 calls used on the window.
struct Sdl2 {
    void *(*getRenderer)(void *);
    int (*integerScale)(void *, int);
    int (*setFullscreen)(void *, Uint32);
    void (*setPosition)(void *, int, int);
    void (*setSize)(void *, int, int);
    void (*setBordered)(void *, int);
    int (*displayOf)(void *);
    int (*bounds)(int, Rect2 *);
    int (*usableBounds)(int, Rect2 *);
};

bool FindAll(void *lib, Sdl2 &f) {
    return Find(lib, "SDL_GetRenderer", f.getRenderer) &&
           Find(lib, "SDL_RenderSetIntegerScale", f.integerScale) &&
           Find(lib, "SDL_SetWindowFullscreen", f.setFullscreen) &&
           Find(lib, "SDL_SetWindowPosition", f.setPosition) &&
           Find(lib, "SDL_SetWindowSize", f.setSize) &&
           Find(lib, "SDL_SetWindowBordered", f.setBordered) &&
           Find(lib, "SDL_GetWindowDisplayIndex", f.displayOf) &&
           Find(lib, "SDL_GetDisplayBounds", f.bounds) &&
           Find(lib, "SDL_GetDisplayUsableBounds", f.usableBounds);
}

// Covers the display as a plain borderless window first, which needs no
// window manager, then asks for full screen on top.
void CoverDisplay(const Sdl2 &f, void *window) {
    Rect2 r;
    if (f.bounds(f.displayOf(window), &r) != 0) return;
    f.setFullscreen(window, 0);
    f.setBordered(window, 0);
    f.setPosition(window, r.x, r.y);
    f.setSize(window, r.w, r.h);
    f.setFullscreen(window, FULLSCREEN_DESKTOP);
}

// A framed window, centred, at the picture's size times scale, or with scale
// 0 the largest whole-number scale whose window fits the usable display.
void MakeWindow(const Sdl2 &f, void *window, int scale) {
    int display = f.displayOf(window);
    Rect2 r;
    if (scale == 0 && f.usableBounds(display, &r) == 0) {
        int byWidth = r.w / 320, byHeight = (r.h - TITLE_BAR) / 240;
        scale = byWidth < byHeight ? byWidth : byHeight;
    }
    if (scale < 1) scale = 1;
    f.setFullscreen(window, 0);
    f.setBordered(window, 1);
    f.setSize(window, 320 * scale, 240 * scale);
    f.setPosition(window, CENTRED | display, CENTRED | display);
}

// The window the player asked for through TOMBSLIDE_WINDOW (set by the
// launcher's --window and --scale): -1 for none (full screen), 0 for the
// largest scale that fits, else the scale.
int WindowScale() {
    const char *asked = getenv("TOMBSLIDE_WINDOW");
    if (asked == nullptr || *asked == '\0') return -1;
    int scale = atoi(asked);
    return scale < 0 ? 0 : scale;
}

} // namespace

void FitWindow() {
    void *(*getWindow)() = nullptr;
    if (!Find(RTLD_DEFAULT, "SDL12COMPAT_GetWindow", getWindow)) return;
    void *sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (sdl2 == nullptr) return;
    Sdl2 f;
    void *window = getWindow();
    if (window != nullptr && FindAll(sdl2, f)) {
        void *renderer = f.getRenderer(window);
        if (renderer != nullptr) f.integerScale(renderer, 1);
        int scale = WindowScale();
        if (scale < 0)
            CoverDisplay(f, window);
        else
            MakeWindow(f, window, scale);
    }
    dlclose(sdl2);
}
