// Opening the files the game reads from its folder, save.dat and drag.wav,
// without ever blocking on or reading from anything but a regular file.
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform.h"

int OpenRegular(const char *name, bool *notRegular) {
    *notRegular = false;
    // A FIFO or device is never opened at all (opening some has effects of its
    // own); should one take the file's place after this look, the open still
    // cannot block and the second look refuses it.
    struct stat st;
    if (stat(name, &st) != 0) return -1;
    if (!S_ISREG(st.st_mode)) {
        *notRegular = true;
        errno = EINVAL;
        return -1;
    }
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *notRegular = true;
        close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

Mix_Chunk *LoadSound(const char *name) {
    bool notRegular;
    int fd = OpenRegular(name, &notRegular);
    if (fd < 0) return nullptr;
#ifdef __EMSCRIPTEN__
    // The browser's mixer reads the file itself, by its name.
    close(fd);
    return Mix_LoadWAV(name);
#else
    FILE *fp = fdopen(fd, "rb");
    if (!fp) {
        close(fd);
        return nullptr;
    }
    // The mixer closes the stream, and with it the file.
    SDL_RWops *rw = SDL_RWFromFP(fp, 1);
    if (!rw) {
        fclose(fp);
        return nullptr;
    }
    return Mix_LoadWAV_RW(rw, 1);
#endif
}
