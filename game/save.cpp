// The save file save.dat: the board being played, its stage and move count,
// and the progress of every stage.
//
// Plain layout, N = mxPH:
//   0        stage index (low 8 bits)
//   1        move count (low 8 bits)
//   2        N
//   3        score, seven ASCII digits
//   10       N block records of 5 bytes: x, y, w, h, type
//   10 + 5N  262 cleared flags
//   272 + 5N 262 best counts
// When a value does not fit that layout (a stage index or a move count above
// 255, or any progress on the last stage, which has no place in the tables),
// an extension record follows the best counts:
//   "TSX1", stage index (16 bits, little-endian), move count (16 bits,
//   little-endian), the last stage's cleared flag and best count.
// A file that needs no extension is written without one.
//
// Every save is written to a file of its own, created new beside save.dat,
// synced and renamed into place, so save.dat is always one whole save, even
// with two copies of the game in one folder. A save.dat that cannot be loaded
// is moved aside, never copied and never overwritten.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "tombslide.h"

namespace {

const char *const SAVE_NAME = "save.dat";
const char *const SAVE_TEMP = "save.dat.tmp"; // followed by .<pid>.<n>
const char *const SAVE_BAD = "save.dat.bad";  // then save.dat.bad.1, .2, ...
const int NAME_TRIES = 100;                   // names tried for either

const int HEAD_SIZE = 10;                             // stage, moves, N, seven score digits
const int BLOCK_SIZE = 5;                             // x, y, w, h, type
const int PLAIN_FIXED = HEAD_SIZE + 2 * SAVED_STAGES; // 534
const int EXT_SIZE = 10;
const char EXT_TAG[4] = {'T', 'S', 'X', '1'};
const int LAST = STAGE_COUNT - 1; // the stage with no place in the plain tables
const Uint32 SCORE_MAX = 9999999; // seven digits
// Longest file the game writes.
const int SAVE_MAX = PLAIN_FIXED + BLOCK_SIZE * MAX_BLOCKS + EXT_SIZE;

// Furthest head column of the target standing beyond the exit on row 2: a
// cleared board that was resumed and dragged on can leave it there, and a pen
// on the screen's last column reaches no further.
const int TARGET_MAX_X = 9;

// The contents of a save file, read apart from the game's globals.
struct SaveData {
    Sint16 stage;
    Sint16 moves;
    Uint8 count;
    Uint32 score;
    _bl blocks[MAX_BLOCKS];
    Uint8 clear[STAGE_COUNT];
    Uint8 best[STAGE_COUNT];
    bool hasLast; // the extension carried the last stage's progress
};

bool NeedsExtension() {
    return currStage < 0 || currStage > 255 || movePoint < 0 || movePoint > 255 ||
           isClear[LAST] != 0 || bestMove[LAST] != 99;
}

// Lays the game out in save-file form; returns the length.
int Encode(Uint8 *out) {
    int n = 0;
    out[n++] = (Uint8)(currStage & 0xFF);
    out[n++] = (Uint8)(movePoint & 0xFF);
    const Uint8 count = mxPH > MAX_BLOCKS ? MAX_BLOCKS : mxPH; // never past the table
    out[n++] = count;
    // Never more than seven digits, whatever the score holds.
    Uint32 s = score > SCORE_MAX ? SCORE_MAX : score;
    char digits[8];
    snprintf(digits, sizeof digits, "%07u", (unsigned)s);
    memcpy(out + n, digits, 7);
    n += 7;
    for (int i = 0; i < count; i++) {
        out[n++] = (Uint8)BL[i].x;
        out[n++] = (Uint8)BL[i].y;
        out[n++] = BL[i].w;
        out[n++] = BL[i].h;
        out[n++] = BL[i].type;
    }
    memcpy(out + n, isClear, SAVED_STAGES);
    n += SAVED_STAGES;
    memcpy(out + n, bestMove, SAVED_STAGES);
    n += SAVED_STAGES;
    if (NeedsExtension()) {
        memcpy(out + n, EXT_TAG, 4);
        n += 4;
        out[n++] = (Uint8)(currStage & 0xFF);
        out[n++] = (Uint8)((currStage >> 8) & 0xFF);
        out[n++] = (Uint8)(movePoint & 0xFF);
        out[n++] = (Uint8)((movePoint >> 8) & 0xFF);
        out[n++] = isClear[LAST];
        out[n++] = bestMove[LAST];
    }
    return n;
}

// The blocks must be known kinds of their own size, on the board and apart
// from each other, with exactly one target, on the exit row (where it may
// stand beyond the exit).
bool CheckBoard(const SaveData &d, char *why, size_t whySize) {
    if (d.count > MAX_BLOCKS) {
        snprintf(why, whySize, "%d blocks, more than %d", d.count, MAX_BLOCKS);
        return false;
    }
    Uint8 taken[6][TARGET_MAX_X + 2] = {};
    int targets = 0;
    for (int i = 0; i < d.count; i++) {
        const _bl &b = d.blocks[i];
        if (b.type > TYPE_HPAIR || b.w != BLOCK_KINDS[b.type].w || b.h != BLOCK_KINDS[b.type].h) {
            snprintf(why, whySize, "block %d has kind %d and size %dx%d", i, b.type, b.w, b.h);
            return false;
        }
        int maxX = 6 - b.w;
        if (b.type == TYPE_TARGET) {
            // One target, on the exit row: the rules move it nowhere else.
            if (++targets > 1 || b.y != EXIT_ROW) {
                snprintf(why, whySize, "block %d is a second target or off row %d", i,
                         EXIT_ROW + 1);
                return false;
            }
            maxX = TARGET_MAX_X;
        }
        if (b.x < 0 || b.y < 0 || b.x > maxX || b.y + b.h > 6) {
            snprintf(why, whySize, "block %d lies outside the board at %d,%d", i, b.x, b.y);
            return false;
        }
        for (int y = b.y; y < b.y + b.h; y++)
            for (int x = b.x; x < b.x + b.w; x++) {
                if (taken[y][x]) {
                    snprintf(why, whySize, "blocks %d and %d overlap", taken[y][x] - 1, i);
                    return false;
                }
                taken[y][x] = (Uint8)(i + 1);
            }
    }
    if (targets == 0) {
        snprintf(why, whySize, "no target block");
        return false;
    }
    return true;
}

// Reads a file image into d and says how much of it can be used. Nothing of
// the game changes here.
SaveVerdict Decode(const Uint8 *f, int len, SaveData &d, char *why, size_t whySize) {
    memset(&d, 0, sizeof d);
    if (len < HEAD_SIZE) {
        snprintf(why, whySize, "only %d bytes", len);
        return SAVE_NOTHING;
    }
    d.count = f[2];
    const int plain = PLAIN_FIXED + BLOCK_SIZE * d.count;
    if (len != plain && len != plain + EXT_SIZE) {
        snprintf(why, whySize, "%d bytes where %d blocks need %d or %d", len, d.count, plain,
                 plain + EXT_SIZE);
        return SAVE_NOTHING;
    }
    d.score = 0;
    for (int i = 0; i < 7; i++) {
        Uint8 c = f[3 + i];
        if (c < '0' || c > '9') {
            snprintf(why, whySize, "the score is not seven digits");
            return SAVE_NOTHING;
        }
        d.score = d.score * 10 + (Uint32)(c - '0');
    }
    const Uint8 *tables = f + HEAD_SIZE + BLOCK_SIZE * d.count;
    for (int i = 0; i < SAVED_STAGES; i++) {
        d.clear[i] = tables[i];
        d.best[i] = tables[SAVED_STAGES + i];
        if (d.clear[i] > 1) {
            snprintf(why, whySize, "stage %d has cleared flag %d", i + 1, d.clear[i]);
            return SAVE_NOTHING;
        }
    }
    d.stage = f[0];
    d.moves = f[1];
    if (len == plain + EXT_SIZE) {
        const Uint8 *e = f + plain;
        Sint16 stage = (Sint16)(e[4] | (e[5] << 8));
        Sint16 moves = (Sint16)(e[6] | (e[7] << 8));
        if (memcmp(e, EXT_TAG, 4) != 0 || (stage & 0xFF) != f[0] || (moves & 0xFF) != f[1] ||
            e[8] > 1) {
            snprintf(why, whySize, "damaged extension record");
            return SAVE_NOTHING;
        }
        d.stage = stage;
        d.moves = moves;
        d.clear[LAST] = e[8];
        d.best[LAST] = e[9];
        d.hasLast = true;
    }
    // From here on the progress is sound; only the board part can fail.
    if (d.stage < 0 || d.stage > LAST) {
        snprintf(why, whySize, "stage index %d", d.stage);
        d.stage = 0;
        return SAVE_PROGRESS;
    }
    if (d.moves < 0) {
        snprintf(why, whySize, "move count %d", d.moves);
        return SAVE_PROGRESS;
    }
    const Uint8 *rec = f + HEAD_SIZE;
    for (int i = 0; i < d.count && i < MAX_BLOCKS; i++, rec += BLOCK_SIZE) {
        d.blocks[i].x = (Sint8)rec[0];
        d.blocks[i].y = (Sint8)rec[1];
        d.blocks[i].w = rec[2];
        d.blocks[i].h = rec[3];
        d.blocks[i].type = rec[4];
    }
    if (!CheckBoard(d, why, whySize)) return SAVE_PROGRESS;
    return SAVE_ALL;
}

// Set when a save.dat that could not be loaded could not be moved aside
// either: it is then kept as it stands and never replaced.
bool holdBack = false;

// Our own messages, each on a line of its own whatever was printed before.
void Say(const char *format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char *format, ...) {
    va_list args;
    va_start(args, format);
    putchar('\n');
    vprintf(format, args);
    putchar('\n');
    va_end(args);
}

// Reads up to size bytes; returns the count, or -1 with errno set.
int ReadUpTo(int fd, Uint8 *buf, int size) {
    int got = 0;
    while (got < size) {
        ssize_t r = read(fd, buf + got, (size_t)(size - got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == 0) break;
        got += (int)r;
    }
    return got;
}

bool WriteAll(int fd, const Uint8 *p, size_t n) {
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            if (w == 0) errno = EIO;
            return false;
        }
        p += w;
        n -= (size_t)w;
    }
    return true;
}

// Creates a new file beside save.dat under a name of this process's own:
// never an existing file, never through a link. Returns the descriptor and
// the name, or -1 with errno set.
int CreateTemp(char *name, size_t size) {
    for (int k = 0; k < NAME_TRIES; k++) {
        snprintf(name, size, "%s.%ld.%d", SAVE_TEMP, (long)getpid(), k);
        int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Makes the renames in the working folder last through a power cut. A file
// system that cannot sync a folder says EINVAL; there is nothing more to do.
bool SyncFolder() {
    int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0 || errno == EINVAL;
    int err = errno;
    close(fd);
    errno = err;
    return ok;
}

// Renames from to to only when nothing at all stands at to (EEXIST if
// something does, a link or a folder included).
bool RenameNew(const char *from, const char *to) {
#ifdef SYS_renameat2
    const unsigned NOREPLACE = 1; // RENAME_NOREPLACE
    if (syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, NOREPLACE) == 0) return true;
    if (errno != ENOSYS && errno != EINVAL) return false;
#endif
    // An older kernel, or a file system without that rename: look first.
    struct stat st;
    if (lstat(to, &st) == 0) {
        errno = EEXIST;
        return false;
    }
    if (errno != ENOENT) return false;
    return rename(from, to) == 0;
}

// Moves save.dat to the first free one of save.dat.bad, save.dat.bad.1, ...
// Says where it went, or that it stays.
void PutAside() {
    char name[32];
    for (int k = 0; k < NAME_TRIES; k++) {
        if (k == 0)
            snprintf(name, sizeof name, "%s", SAVE_BAD);
        else
            snprintf(name, sizeof name, "%s.%d", SAVE_BAD, k);
        if (RenameNew(SAVE_NAME, name)) {
            SyncFolder();
            Say("Kept the damaged save.dat as %s", name);
            return;
        }
        if (errno == ENOENT) return; // gone already: nothing left to keep
        if (errno != EEXIST) break;
    }
    Say("Unable to move save.dat aside: %s. It is kept as it is, and this game will not be "
        "saved.",
        errno == EEXIST ? "no free name" : strerror(errno));
    holdBack = true;
}

} // namespace

Uint8 SaveGame() {
    if (holdBack) {
        Say("Unable to write save.dat: the damaged save.dat could not be moved aside");
        return 0;
    }
    static Uint8 out[SAVE_MAX];
    const int len = Encode(out);
    // The old file stays until the new one is whole on disk beside it.
    char temp[64];
    const int fd = CreateTemp(temp, sizeof temp);
    if (fd < 0) {
        Say("Unable to write save.dat: %s", strerror(errno));
        return 0;
    }
    bool ok = WriteAll(fd, out, (size_t)len) && fsync(fd) == 0;
    int err = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(temp, SAVE_NAME) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(temp);
        Say("Unable to write save.dat: %s", strerror(err));
        return 0;
    }
    if (!SyncFolder()) {
        Say("Unable to sync the folder of save.dat: %s", strerror(errno));
        return 0;
    }
    return 1;
}

SaveVerdict ReadSave(const Uint8 *data, int len, bool *extended, char *why, size_t whySize) {
    static SaveData d;
    const SaveVerdict v = Decode(data, len, d, why, whySize);
    *extended = v != SAVE_NOTHING && d.hasLast;
    if (v == SAVE_NOTHING) return v;

    memcpy(isClear, d.clear, SAVED_STAGES);
    memcpy(bestMove, d.best, SAVED_STAGES);
    if (d.hasLast) {
        isClear[LAST] = d.clear[LAST];
        bestMove[LAST] = d.best[LAST];
    }
    score = d.score;
    currStage = d.stage;
    if (v == SAVE_PROGRESS) return v; // the stage starts afresh

    movePoint = d.moves;
    mxPH = d.count;
    for (int i = 0; i < d.count; i++) {
        BL[i].x = d.blocks[i].x;
        BL[i].y = d.blocks[i].y;
        BL[i].w = d.blocks[i].w;
        BL[i].h = d.blocks[i].h;
        BL[i].type = d.blocks[i].type;
    }
    GAME = GAME_RESUMING;
    return v;
}

Uint8 LoadGame() {
    printf("\nLoadGame");
    holdBack = false;
    // One byte more than the longest save tells a longer file apart.
    static Uint8 in[SAVE_MAX + 1];
    char why[128] = "";
    int len = -1;
    bool notRegular = false;
    const int fd = OpenRegular(SAVE_NAME, &notRegular);
    if (fd >= 0) {
        len = ReadUpTo(fd, in, (int)sizeof in);
        if (len < 0) snprintf(why, sizeof why, "%s", strerror(errno));
        close(fd);
    } else if (notRegular) {
        snprintf(why, sizeof why, "not a regular file");
    } else if (errno == ENOENT) {
        return 0; // no save yet: a fresh start
    } else {
        snprintf(why, sizeof why, "%s", strerror(errno));
    }

    SaveVerdict v = SAVE_NOTHING;
    bool extended;
    if (len > SAVE_MAX)
        snprintf(why, sizeof why, "longer than any save");
    else if (len >= 0)
        v = ReadSave(in, len, &extended, why, sizeof why);
    if (v != SAVE_ALL) {
        Say("Unable to load save.dat: %s", why);
        PutAside();
    }
    return v == SAVE_ALL;
}
