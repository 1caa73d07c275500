// The SDL 1.2 library the tests run against: the desktop's layer over SDL 2
// or the classic library, and, when the run names a version (the classic
// library's run does), exactly that one, from the folder the run names.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "SDL.h"

namespace {

std::string Dotted(const SDL_version &v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
}

// The file the running SDL_Init comes from.
std::string LoadedFrom() {
    Dl_info info = {};
    if (!dladdr((void *)&SDL_Init, &info) || !info.dli_fname) return "";
    return info.dli_fname;
}

TEST(Library, IsTheSDL12TheRunAsksFor) {
    const SDL_version *v = SDL_Linked_Version();
    ASSERT_NE(nullptr, v);
    EXPECT_EQ(1, v->major);
    EXPECT_EQ(2, v->minor);
    // The layer over SDL 2 numbers its releases from 1.2.50 on; the classic
    // library ended at 1.2.15. Only the layer has its own entry points.
    bool layer = dlsym(RTLD_DEFAULT, "SDL12COMPAT_GetWindow") != nullptr;
    EXPECT_EQ(layer, v->patch >= 50) << Dotted(*v);
    std::cout << "SDL " << Dotted(*v) << " from " << LoadedFrom() << "\n";

    const char *want = getenv("TOMBSLIDE_SDL_VERSION");
    if (!want) return;
    EXPECT_EQ(want, Dotted(*v)) << "the run asked for another SDL than the one loaded";
    const char *dir = getenv("TOMBSLIDE_SDL_DIR");
    if (dir) {
        EXPECT_EQ(std::string(dir) + "/libSDL-1.2.so.0", LoadedFrom());
    }
}

} // namespace
