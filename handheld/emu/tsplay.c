/* tsplay: plays a script on the emulated handheld through a virtual touch
 * panel and a virtual button pad, both made with uinput.
 *
 *   tsplay SCRIPT
 *
 * Two shapes of panel and pad, chosen by TSPLAY_SHAPE:
 *
 * generic (the default): the panel reports raw positions 0..4095 on both
 * axes, turned a quarter: its X axis runs down the screen and its Y axis from
 * right to left; its pressure varies from sample to sample, so that every
 * sample reaches the reader. The pad declares the key codes BTN_TRIGGER
 * (0x120) to 0x130, seventeen buttons in a row, and a stick of -1..1; every
 * event ends with SYN_REPORT.
 *
 * caanoo: as the handheld's own drivers report. The panel is "pollux ts",
 * id DEAD:BEEF: ABS_X and ABS_Y 0..1023, not turned, of which only the
 * middle is under the screen; ABS_PRESSURE 0 or 1 and BTN_TOUCH; while the
 * pen is down a sample every 20 ms, moving or not, each the mean of the
 * reading and the one before; a release carries no position. The pad is
 * "pollux-analog": the eleven keys BTN_JOYSTICK+0..10 (A, X, B, Y, L, R,
 * Home, Hold, I, II, stick press) and a stick of 0..255 at rest at 128; its
 * driver sends no SYN_REPORT after a key (see button()).
 *
 * SDL 1.2's Linux joystick driver numbers the buttons of an event device in
 * the order of their codes from BTN_JOYSTICK upward, so code 0x120 + n
 * arrives as joystick button n with either pad.
 *
 * The pointercal file written by "panel" maps the raw positions back onto
 * the 320x240 screen, so the game only hits what the script aims at if it
 * applies the file. Further settings, from the environment:
 *   TSPLAY_CAL=none      no pointercal (the file is removed), and the panel's
 *                        positions span its whole range over the screen
 *   TSPLAY_TSDEVICE=1    the game is told the panel's node in TSLIB_TSDEVICE
 *   TSPLAY_DSP=busy      /dev/dsp is held open for the whole script (a second
 *                        open must then fail)
 *
 * Script lines (# starts a comment):
 *   panel FILE           write the pointercal file, create the panel and pad
 *   start COMMAND...     run COMMAND with sh, stdin null, its output through a
 *                        terminal of ours (so that the game's trace comes line
 *                        by line) into /tmp/trace
 *   ticks N              wait until the game has drawn N more frames
 *   noise N              add -N..N raw units to every later sample
 *   tap X Y              touch and lift at screen pixel (X, Y)
 *   drag C1 R1 C2 R2     drag from board cell (C1, R1) to (C2, R2)
 *   dragout C1 R1 C2 R2  the same, for the drag that clears the stage
 *   button N             press and release joystick button N
 *   freeze               once the first frame after the last stage start is
 *                        on the screen, hold the game before it draws another
 *   hold                 hold the game the next time it writes its trace (in
 *                        the stage-clear pause: when the pause ends)
 *   thaw                 let the game go on
 *   shot NAME            print "@@FB shot BPP" (the framebuffer's depth now)
 *                        and "@@SHOT NAME", and wait for the host's answer
 *   term                 send SIGTERM to the game
 *   wait                 wait for the started command to end, print "@@EXIT S"
 * Every wait has a generous deadline; a missed one prints "@@FAIL" and ends
 * the script with status 1. Each command is logged as "@@AT MS COMMAND" with
 * the frames and stage starts seen so far, for a look at a failed run. */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/uinput.h>
#include <poll.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define TRACE "/tmp/trace"
#define PAD_FIRST 0x120
#define DEADLINE_MS 60000

/* The shape of the devices, and the settings from the environment. */
static int caanoo = 0;
static int calibrated = 1;
static int name_panel = 0;
static int raw_max = 4095;
static int pad_count = 17;
static int sample_ms = 10;

static int panel = -1, pad = -1;
static char panel_node[300];
static int noise = 0;
static unsigned seed = 12345;
static pid_t child = -1;
static long seen_ticks = 0;
static int term_fd = -1;    /* the master side of the game's terminal */
static int term_slave = -1; /* our own handle on the game's side of it */
static FILE *trace = NULL;
static long ticks = 0;            /* "DrawBest" lines of the trace so far */
static long starts = 0;           /* "Start" lines */
static long start_mark = 0;       /* starts when the last action was made */
static int drawn_since_start = 0; /* a "DrawRoomNo" line came after the last "Start" */
static int late = 0;              /* a frame came after the one to hold */
static char partial[64];          /* the start of the trace line being read */
static size_t partial_len = 0;

static void fail(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    printf("@@FAIL ");
    vprintf(fmt, ap);
    printf("\n");
    va_end(ap);
    fflush(stdout);
    exit(1);
}

static long now_ms(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000L + ts.tv_nsec / 1000000L;
}

static void pause_ms(int ms) {
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&ts, NULL);
}

static void emit(int fd, int type, int code, int value) {
    struct input_event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = (unsigned short)type;
    ev.code = (unsigned short)code;
    ev.value = value;
    if (write(fd, &ev, sizeof ev) != (ssize_t)sizeof ev) fail("uinput write: %s", strerror(errno));
}

static void setup_abs(int fd, int code, int lo, int hi, int value) {
    struct uinput_abs_setup abs;
    memset(&abs, 0, sizeof abs);
    abs.code = (unsigned short)code;
    abs.absinfo.minimum = lo;
    abs.absinfo.maximum = hi;
    abs.absinfo.value = value;
    if (ioctl(fd, UI_SET_ABSBIT, code) < 0 || ioctl(fd, UI_ABS_SETUP, &abs) < 0)
        fail("uinput abs setup: %s", strerror(errno));
}

static int new_device(void) {
    int fd = open("/dev/uinput", O_WRONLY | O_NONBLOCK);
    if (fd < 0) fail("/dev/uinput: %s", strerror(errno));
    if (ioctl(fd, UI_SET_EVBIT, EV_KEY) < 0 || ioctl(fd, UI_SET_EVBIT, EV_ABS) < 0 ||
        ioctl(fd, UI_SET_EVBIT, EV_SYN) < 0)
        fail("uinput setup: %s", strerror(errno));
    return fd;
}

static void create_device(int fd, const char *name, int bus, int vendor, int product) {
    struct uinput_setup setup;
    memset(&setup, 0, sizeof setup);
    setup.id.bustype = (unsigned short)bus;
    setup.id.vendor = (unsigned short)vendor;
    setup.id.product = (unsigned short)product;
    snprintf(setup.name, sizeof setup.name, "%s", name);
    if (ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd, UI_DEV_CREATE) < 0)
        fail("uinput create: %s", strerror(errno));
}

static const char *panel_name(void) {
    return caanoo ? "pollux ts" : "Tomb Slide virtual panel";
}

static const char *pad_name(void) {
    return caanoo ? "pollux-analog" : "Tomb Slide virtual pad";
}

static void make_devices(void) {
    panel = new_device();
    ioctl(panel, UI_SET_KEYBIT, BTN_TOUCH);
    setup_abs(panel, ABS_X, 0, raw_max, 0);
    setup_abs(panel, ABS_Y, 0, raw_max, 0);
    if (caanoo) {
        setup_abs(panel, ABS_PRESSURE, 0, 1, 0);
        create_device(panel, panel_name(), BUS_HOST, 0xdead, 0xbeef);
    } else {
        ioctl(panel, UI_SET_PROPBIT, INPUT_PROP_DIRECT);
        setup_abs(panel, ABS_PRESSURE, 0, 255, 0);
        create_device(panel, panel_name(), BUS_VIRTUAL, 0x7473, 1);
    }
    pad = new_device();
    for (int i = 0; i < pad_count; i++)
        ioctl(pad, UI_SET_KEYBIT, PAD_FIRST + i);
    if (caanoo) {
        setup_abs(pad, ABS_X, 0, 255, 128);
        setup_abs(pad, ABS_Y, 0, 255, 128);
        create_device(pad, pad_name(), BUS_HOST, 0, 0);
    } else {
        setup_abs(pad, ABS_X, -1, 1, 0);
        setup_abs(pad, ABS_Y, -1, 1, 0);
        create_device(pad, pad_name(), BUS_VIRTUAL, 0x7473, 2);
    }
}

/* Generic: screen x comes from the panel's Y axis, inverted; screen y from
 * its X axis: x = (20966400 - 5120 Y) / 65536, y = 3840 X / 65536.
 * Caanoo: x = (45 X - 2880) / 126, y = (35 Y - 2520) / 126, that is X 64..960
 * and Y 72..936 across the screen. */
static const char *POINTERCAL_GENERIC = "0 -5120 20966400 3840 0 0 65536\n";
static const char *POINTERCAL_CAANOO = "45 0 -2880 0 35 -2520 126\n";

/* The raw position at the middle of screen pixel (x, y), as the pointercal
 * file maps it back, or stretched over the whole range without one. */
static void raw_of(int x, int y, int *rx, int *ry) {
    if (!caanoo) {
        *ry = raw_max - (128 * x + 64) / 10;   /* 4095 - 12.8 (x + 0.5) */
        *rx = (1024 * (2 * y + 1) + 60) / 120; /* 17.0667 (y + 0.5) */
    } else if (calibrated) {
        *rx = (28 * x + 659) / 10; /* 64 + 2.8 (x + 0.5), rounded */
        *ry = (36 * y + 743) / 10; /* 72 + 3.6 (y + 0.5), rounded */
    } else {
        *rx = (1024 * (2 * x + 1) + 320) / 640; /* (x + 0.5) 1024 / 320 */
        *ry = (1024 * (2 * y + 1) + 240) / 480; /* (y + 0.5) 1024 / 240 */
    }
}

static void make_panel(const char *calfile) {
    if (calibrated) {
        FILE *f = fopen(calfile, "w");
        const char *cal = caanoo ? POINTERCAL_CAANOO : POINTERCAL_GENERIC;
        if (!f || fputs(cal, f) < 0 || fclose(f) != 0) fail("cannot write %s", calfile);
    } else if (unlink(calfile) < 0 && errno != ENOENT) {
        fail("cannot remove %s", calfile);
    }
    make_devices();
    /* The devices' nodes appear asynchronously; wait for both. */
    long until = now_ms() + DEADLINE_MS;
    for (;;) {
        int found = 0;
        DIR *d = opendir("/sys/class/input");
        struct dirent *e;
        while (d && (e = readdir(d))) {
            char path[300], name[128] = "";
            snprintf(path, sizeof path, "/sys/class/input/%s/device/name", e->d_name);
            FILE *nf = strncmp(e->d_name, "event", 5) == 0 ? fopen(path, "r") : NULL;
            if (!nf) continue;
            if (fgets(name, sizeof name, nf)) {
                name[strcspn(name, "\n")] = 0;
                char node[300];
                snprintf(node, sizeof node, "/dev/input/%s", e->d_name);
                int is_panel = strcmp(name, panel_name()) == 0;
                if ((is_panel || strcmp(name, pad_name()) == 0) && access(node, R_OK) == 0) {
                    found++;
                    if (is_panel) snprintf(panel_node, sizeof panel_node, "%s", node);
                }
            }
            fclose(nf);
        }
        if (d) closedir(d);
        if (found == 2) break;
        if (now_ms() > until) fail("the virtual devices did not appear");
        pause_ms(10);
    }
}

static int jitter(void) {
    if (noise == 0) return 0;
    seed = seed * 1103515245u + 12345u;
    return (int)((seed >> 16) % (unsigned)(2 * noise + 1)) - noise;
}

static int clamp_raw(int v) {
    return v < 0 ? 0 : v > raw_max ? raw_max : v;
}

/* Where the pen is, while it is down. */
static int pen_down = 0, pen_x, pen_y;
static long sampled_at = 0;

/* One panel sample aimed at the middle of screen pixel (x, y), sent at once.
 * The generic panel's pressure varies a little from sample to sample, as a
 * real panel's does, so that every sample reaches the reader even when the
 * position repeats. The caanoo panel reports the mean of this reading and
 * the one before. */
static void send_sample(int x, int y, int touch_changed) {
    static int k = 0;
    static int last_x, last_y;
    int rx, ry;
    raw_of(x, y, &rx, &ry);
    rx = clamp_raw(rx + jitter());
    ry = clamp_raw(ry + jitter());
    int out_x = rx, out_y = ry;
    if (caanoo && !touch_changed) {
        out_x = (rx + last_x) / 2;
        out_y = (ry + last_y) / 2;
    }
    last_x = rx;
    last_y = ry;
    emit(panel, EV_ABS, ABS_X, out_x);
    emit(panel, EV_ABS, ABS_Y, out_y);
    emit(panel, EV_ABS, ABS_PRESSURE, caanoo ? 1 : 180 + (k++ % 4));
    if (touch_changed) emit(panel, EV_KEY, BTN_TOUCH, 1);
    emit(panel, EV_SYN, SYN_REPORT, 0);
    pen_down = 1;
    pen_x = x;
    pen_y = y;
    sampled_at = now_ms();
}

/* A sample, then the panel's sampling period. */
static void sample(int x, int y, int touch_changed) {
    send_sample(x, y, touch_changed);
    pause_ms(sample_ms);
}

/* The caanoo panel goes on sampling a pen that rests; every wait calls this. */
static void keep_sampling(void) {
    if (caanoo && pen_down && now_ms() >= sampled_at + sample_ms) send_sample(pen_x, pen_y, 0);
}

/* A pen that comes down again within a few tens of milliseconds of lifting
 * is a bounce, not a new touch; a hand takes longer. */
#define PEN_UP_MS 150
static long lifted_at = -PEN_UP_MS;

static void lift(void) {
    lifted_at = now_ms();
    pen_down = 0;
    emit(panel, EV_ABS, ABS_PRESSURE, 0);
    emit(panel, EV_KEY, BTN_TOUCH, 0);
    emit(panel, EV_SYN, SYN_REPORT, 0);
    pause_ms(10);
}

static void touch(int x, int y) {
    while (now_ms() < lifted_at + PEN_UP_MS)
        pause_ms(10);
    sample(x, y, 1);
    for (int i = 0; i < 3; i++)
        sample(x, y, 0);
}

/* Moves what the game wrote so far into the trace file and counts its
 * frames. The game is never left blocked on a full terminal: every wait of
 * this program calls this every few milliseconds. */
static void pump(void) {
    char buf[4096];
    ssize_t n;
    while (term_fd >= 0 && (n = read(term_fd, buf, sizeof buf)) > 0) {
        fwrite(buf, 1, (size_t)n, trace);
        for (ssize_t i = 0; i < n; i++) {
            char c = buf[i];
            if (c == '\n' || c == '\r') {
                if (partial_len >= 8 && memcmp(partial, "DrawBest", 8) == 0) ticks++;
                if (partial_len >= 9 && memcmp(partial, "DrawScore", 9) == 0 &&
                    starts > start_mark && drawn_since_start)
                    late = 1;
                if (partial_len == 5 && memcmp(partial, "Start", 5) == 0) {
                    starts++;
                    drawn_since_start = 0;
                }
                if (partial_len >= 10 && memcmp(partial, "DrawRoomNo", 10) == 0)
                    drawn_since_start = 1;
                partial_len = 0;
            } else if (partial_len < sizeof partial) {
                partial[partial_len++] = c;
            }
        }
    }
    fflush(trace);
}

static void idle(void) {
    pump();
    keep_sampling();
    pause_ms(10);
}

/* Waits for n more frames. With must unset, a game that stops drawing frames
 * (the stage-clear pause) ends the wait after a while instead of failing. */
static int wait_ticks(int n, int must) {
    long target = seen_ticks + n;
    long until = now_ms() + (must ? DEADLINE_MS : 3000);
    for (;;) {
        pump();
        long t = ticks;
        if (t >= target) {
            seen_ticks = t;
            return 1;
        }
        if (child > 0 && waitpid(child, NULL, WNOHANG) == child) fail("the game ended");
        if (now_ms() > until) {
            if (must) fail("no frame drawn (%ld of %ld)", t, target);
            seen_ticks = t;
            return 0;
        }
        idle();
    }
}

static pid_t game_pid(void);

/* Whether a thread of the game waits to write to its terminal. */
static int game_blocked(void) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/task", (int)game_pid());
    DIR *d = opendir(path);
    struct dirent *e;
    int blocked = 0;
    while (d && (e = readdir(d))) {
        char wpath[400], wchan[64] = "";
        snprintf(wpath, sizeof wpath, "%s/%s/wchan", path, e->d_name);
        FILE *f = fopen(wpath, "r");
        if (!f) continue;
        if (fgets(wchan, sizeof wchan, f) && (strstr(wchan, "tty") || strstr(wchan, "wait_woken")))
            blocked = 1;
        fclose(f);
    }
    if (d) closedir(d);
    return blocked;
}

/* The game's trace goes through its terminal, line by line, and a terminal
 * whose output is stopped makes every write wait. A tick prints "DrawBest",
 * "DrawRoomNo", "DrawScore" before drawing each, and each line reaches us
 * when the next one is printed: "DrawRoomNo" arrives as the tick draws its
 * last part, before it puts the frame on the screen, and the next tick cannot
 * draw before its first line is written. So once "DrawRoomNo" of the first
 * tick after a start has arrived, stopping the output and waiting for the
 * game to block on it leaves exactly that frame on the screen. */
static void freeze(void) {
    long until = now_ms() + DEADLINE_MS;
    struct pollfd p = {term_fd, POLLIN, 0};
    late = 0;
    while (!(starts > start_mark && drawn_since_start)) {
        if (now_ms() > until) fail("no frame after the stage started");
        if (child > 0 && waitpid(child, NULL, WNOHANG) == child) fail("the game ended");
        poll(&p, 1, 10);
        pump();
        keep_sampling();
    }
    tcflow(term_slave, TCOOFF);
    pump();
    if (late) fail("the first frame went by before it could be held");
    while (!game_blocked()) {
        if (now_ms() > until) fail("the game did not stop at its next frame");
        idle();
    }
}

static int centre(int cell) {
    return 45 + 30 * cell;
}

/* Presses the pen on one cell and moves it cell by cell to the other; every
 * motion waits two frames, so the block, which steps at most once a frame,
 * has always caught up before the next. At the end the pen rests a little
 * off the cell's middle and back, and lifts. */
static void drag(int c1, int r1, int c2, int r2, int clears) {
    int x = centre(c1), y = centre(r1);
    touch(x, y);
    wait_ticks(2, 1);
    int live = 1;
    while (x != centre(c2) || y != centre(r2)) {
        x += x < centre(c2) ? 15 : x > centre(c2) ? -15 : 0;
        y += y < centre(r2) ? 15 : y > centre(r2) ? -15 : 0;
        sample(x, y, 0);
        if (live) live = wait_ticks(2, !clears);
    }
    for (int d = 4; d >= 0; d -= 4) {
        sample(x + d, y + d, 0);
        if (live) live = wait_ticks(2, !clears);
    }
    lift();
    if (live) wait_ticks(2, !clears);
}

/* The caanoo pad's driver sends no SYN_REPORT after a key, and on its kernel
 * each key reaches a reader at once. A newer kernel hands a reader nothing
 * before a SYN_REPORT, which it would insert itself once its buffer is full:
 * so here the press goes without one, and the release brings the press and
 * itself to the game in one packet behind a single SYN_REPORT. */
static void button(int n) {
    if (n < 0 || n >= pad_count) fail("no button %d", n);
    emit(pad, EV_KEY, PAD_FIRST + n, 1);
    if (!caanoo) emit(pad, EV_SYN, SYN_REPORT, 0);
    pause_ms(30);
    emit(pad, EV_KEY, PAD_FIRST + n, 0);
    emit(pad, EV_SYN, SYN_REPORT, 0);
}

static void start(const char *command) {
    if (term_fd >= 0) close(term_fd);
    if (trace) fclose(trace);
    trace = fopen(TRACE, "w");
    term_fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (!trace || term_fd < 0 || grantpt(term_fd) < 0 || unlockpt(term_fd) < 0)
        fail("no terminal for the game: %s", strerror(errno));
    char *slave = ptsname(term_fd);
    if (term_slave >= 0) close(term_slave);
    term_slave = open(slave, O_RDWR | O_NOCTTY);
    if (term_slave < 0) fail("no terminal for the game: %s", strerror(errno));
    fcntl(term_fd, F_SETFL, O_NONBLOCK);
    seen_ticks = ticks = starts = start_mark = 0;
    drawn_since_start = 0;
    partial_len = 0;
    if (name_panel && panel_node[0]) setenv("TSLIB_TSDEVICE", panel_node, 1);
    child = fork();
    if (child < 0) fail("fork: %s", strerror(errno));
    if (child == 0) {
        int out = open(slave, O_RDWR | O_NOCTTY);
        int in = open("/dev/null", O_RDONLY);
        if (out < 0 || in < 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        close(term_fd);
        execl("/bin/sh", "sh", "-c", command, (char *)NULL);
        _exit(127);
    }
}

/* The game is the process whose command name is "tombslide" (or
 * "tombslide.bin", a wrapped one); 0 when there is none, -1 for several. */
static pid_t game_pid(void) {
    DIR *d = opendir("/proc");
    struct dirent *e;
    pid_t found = 0;
    while (d && (e = readdir(d))) {
        char path[300], comm[64] = "";
        snprintf(path, sizeof path, "/proc/%s/comm", e->d_name);
        FILE *f = fopen(path, "r");
        if (!f) continue;
        if (fgets(comm, sizeof comm, f) &&
            (strcmp(comm, "tombslide\n") == 0 || strcmp(comm, "tombslide.bin\n") == 0))
            found = found ? -1 : atoi(e->d_name);
        fclose(f);
    }
    if (d) closedir(d);
    return found;
}

static void term_game(void) {
    pid_t pid = game_pid();
    if (pid <= 0) fail("no single game to send SIGTERM to");
    kill(pid, SIGTERM);
}

static void wait_child(void) {
    int status = 0;
    long until = now_ms() + DEADLINE_MS;
    for (;;) {
        pid_t r = waitpid(child, &status, WNOHANG);
        if (r == child) break;
        if (r < 0) fail("waitpid: %s", strerror(errno));
        if (now_ms() > until) fail("the game did not end");
        idle();
    }
    child = -1;
    printf("@@EXIT %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    fflush(stdout);
}

/* The framebuffer's depth as its driver reports it now. */
static void report_depth(void) {
    char bpp[16] = "?";
    FILE *f = fopen("/sys/class/graphics/fb0/bits_per_pixel", "r");
    if (f) {
        if (!fgets(bpp, sizeof bpp, f)) snprintf(bpp, sizeof bpp, "?");
        fclose(f);
    }
    bpp[strcspn(bpp, "\n")] = 0;
    printf("@@FB shot %s\n", bpp);
}

static void shot(const char *name) {
    report_depth();
    printf("@@SHOT %s\n", name);
    fflush(stdout);
    /* The game goes on writing its trace while the host looks. */
    struct pollfd in = {0, POLLIN, 0};
    while (poll(&in, 1, 10) == 0)
        pump();
    char answer[64];
    if (!fgets(answer, sizeof answer, stdin)) fail("no answer for %s", name);
}

static void run(char *line) {
    char *cmd = strtok(line, " \t\n");
    if (!cmd || cmd[0] == '#') return;
    char *rest = strtok(NULL, "\n");
    printf("@@AT %ld %s ticks %ld starts %ld\n", now_ms(), cmd, ticks, starts);
    int a[4] = {0, 0, 0, 0};
    if (rest) sscanf(rest, "%d %d %d %d", &a[0], &a[1], &a[2], &a[3]);
    if (strcmp(cmd, "panel") == 0 && rest)
        make_panel(rest);
    else if (strcmp(cmd, "start") == 0 && rest)
        start(rest);
    else if (strcmp(cmd, "ticks") == 0)
        wait_ticks(a[0], 1);
    else if (strcmp(cmd, "noise") == 0)
        noise = a[0];
    else if (strcmp(cmd, "freeze") == 0)
        freeze();
    else if (strcmp(cmd, "hold") == 0) {
        start_mark = starts; /* the stage the pause ends in is started after this */
        tcflow(term_slave, TCOOFF);
    } else if (strcmp(cmd, "thaw") == 0)
        tcflow(term_slave, TCOON);
    else if (strcmp(cmd, "tap") == 0) {
        start_mark = starts;
        touch(a[0], a[1]);
        lift();
    } else if (strcmp(cmd, "drag") == 0)
        drag(a[0], a[1], a[2], a[3], 0);
    else if (strcmp(cmd, "dragout") == 0)
        drag(a[0], a[1], a[2], a[3], 1);
    else if (strcmp(cmd, "button") == 0) {
        start_mark = starts;
        button(a[0]);
    } else if (strcmp(cmd, "shot") == 0 && rest)
        shot(rest);
    else if (strcmp(cmd, "term") == 0)
        term_game();
    else if (strcmp(cmd, "wait") == 0)
        wait_child();
    else
        fail("bad script line: %s", cmd);
}

static int env_is(const char *name, const char *value) {
    const char *v = getenv(name);
    return v && strcmp(v, value) == 0;
}

/* Holds /dev/dsp open until the script ends, and makes sure that the sound
 * device now refuses a second open, as the handheld's does. */
static void hold_dsp(void) {
    if (open("/dev/dsp", O_WRONLY) < 0) fail("cannot open /dev/dsp: %s", strerror(errno));
    int again = open("/dev/dsp", O_WRONLY | O_NONBLOCK);
    if (again >= 0) fail("/dev/dsp opened twice");
    if (errno != EBUSY) fail("a second open of /dev/dsp: %s, not busy", strerror(errno));
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: tsplay SCRIPT\n");
        return 2;
    }
    FILE *f = fopen(argv[1], "r");
    if (!f) fail("cannot read %s", argv[1]);
    setvbuf(stdout, NULL, _IOLBF, 0);
    if (env_is("TSPLAY_SHAPE", "caanoo")) {
        caanoo = 1;
        raw_max = 1023;
        pad_count = 11;
        sample_ms = 20;
    }
    calibrated = !env_is("TSPLAY_CAL", "none");
    name_panel = env_is("TSPLAY_TSDEVICE", "1");
    if (env_is("TSPLAY_DSP", "busy")) hold_dsp();
    char line[512];
    while (fgets(line, sizeof line, f))
        run(line);
    fclose(f);
    return 0;
}
