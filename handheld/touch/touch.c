/* Touch panel input for the handheld: see touch.h. */
#include "touch.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/input.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <unistd.h>

enum { STATE_UP, STATE_CANDIDATE, STATE_DOWN, STATE_LIFTING };

/* --- Calibration. */

void touch_cal_linear(struct touch_cal *cal, int xmin, int xmax, int ymin, int ymax, int width,
                      int height) {
    memset(cal, 0, sizeof *cal);
    cal->min[0] = xmin;
    cal->max[0] = xmax;
    cal->min[1] = ymin;
    cal->max[1] = ymax;
    cal->width = width;
    cal->height = height;
}

int touch_parse_cal(struct touch_cal *cal, const char *text) {
    long long v[9];
    int n = 0;
    const char *p = text;
    for (;;) {
        char *end;
        long long value;
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            p++;
        if (*p == '\0') break;
        if (n == 9) return 0;
        errno = 0;
        value = strtoll(p, &end, 10);
        if (end == p || errno != 0 || value < -2147483647 || value > 2147483647) return 0;
        if (*end != '\0' && *end != ' ' && *end != '\t' && *end != '\n' && *end != '\r') return 0;
        v[n++] = value;
        p = end;
    }
    if (n != 7 && n != 9) return 0;
    if (v[6] == 0) return 0;
    if (n == 9 && (v[7] <= 0 || v[8] <= 0 || v[7] > 65535 || v[8] > 65535)) return 0;
    memcpy(cal->a, v, sizeof cal->a);
    cal->file_width = n == 9 ? (int)v[7] : 0;
    cal->file_height = n == 9 ? (int)v[8] : 0;
    cal->from_file = 1;
    return 1;
}

int touch_load_cal(struct touch_cal *cal, const char *path) {
    char text[512];
    size_t n;
    FILE *f = fopen(path, "r");
    if (f == NULL) return 0;
    n = fread(text, 1, sizeof text, f);
    fclose(f);
    if (n == sizeof text) return 0;              /* far longer than nine numbers */
    if (memchr(text, '\0', n) != NULL) return 0; /* not text: what follows would go unread */
    text[n] = '\0';
    return touch_parse_cal(cal, text);
}

static int clamp(long long v, int size) {
    if (v < 0) return 0;
    if (v >= size) return size - 1;
    return (int)v;
}

/* raw in [min, max] spread evenly over [0, size); an inverted range turns the
 * axis round. */
static long long stretch(int raw, int min, int max, int size) {
    long long span = (long long)max - min;
    span = span >= 0 ? span + 1 : span - 1;
    return ((long long)raw - min) * size / span;
}

/* Keeps the sums and products below from overflowing: no panel reports more
 * than 24 bits, and no point that far out lands on the screen. */
static long long bound(long long v, long long limit) {
    return v < -limit ? -limit : v > limit ? limit : v;
}

void touch_cal_apply(const struct touch_cal *cal, int rx, int ry, int *x, int *y) {
    long long px, py;
    if (cal->from_file) {
        const long long *a = cal->a;
        long long X = bound(rx, 1 << 24), Y = bound(ry, 1 << 24);
        px = (a[2] + a[0] * X + a[1] * Y) / a[6];
        py = (a[5] + a[3] * X + a[4] * Y) / a[6];
        if (cal->file_width > 0) { /* made on another screen: scaled, far points kept far */
            px = bound(px, 1 << 30) * cal->width / cal->file_width;
            py = bound(py, 1 << 30) * cal->height / cal->file_height;
        }
    } else {
        px = stretch(rx, cal->min[0], cal->max[0], cal->width);
        py = stretch(ry, cal->min[1], cal->max[1], cal->height);
    }
    *x = clamp(px, cal->width);
    *y = clamp(py, cal->height);
}

/* --- Decoding and filtering. */

void touch_init(struct touch *t, const struct touch_cal *cal, int has_key, int has_pressure,
                int pressure_min, int pressure_max) {
    long long step = ((long long)pressure_max - pressure_min) / 32;
    memset(t, 0, sizeof *t);
    t->cal = *cal;
    t->has_key = has_key;
    t->has_pressure = has_pressure;
    /* A light touch still counts; the lowest readings of a pen that is
     * leaving the panel do not. */
    t->pressure_threshold = (int)bound(pressure_min + (step > 1 ? step : 1), 2147483647);
    t->raw_x = cal->min[0];
    t->raw_y = cal->min[1];
    t->pressure = pressure_min;
    t->state = STATE_UP;
    t->fd = -1;
}

static int median3(const int *v) {
    int a = v[0], b = v[1], c = v[2];
    if ((a <= b && b <= c) || (c <= b && b <= a)) return b;
    if ((b <= a && a <= c) || (c <= a && a <= b)) return a;
    return c;
}

/* The current raw sample into the window; the window's median onto the
 * screen (the mean of two while there are only two). */
static void sample(struct touch *t, int *x, int *y) {
    int rx, ry;
    if (t->count == 3) {
        memmove(t->wx, t->wx + 1, 2 * sizeof t->wx[0]);
        memmove(t->wy, t->wy + 1, 2 * sizeof t->wy[0]);
        t->count = 2;
    }
    t->wx[t->count] = t->raw_x;
    t->wy[t->count] = t->raw_y;
    t->count++;
    if (t->count == 3) {
        rx = median3(t->wx);
        ry = median3(t->wy);
    } else if (t->count == 2) {
        rx = (int)(((long long)t->wx[0] + t->wx[1]) / 2);
        ry = (int)(((long long)t->wy[0] + t->wy[1]) / 2);
    } else {
        rx = t->wx[0];
        ry = t->wy[0];
    }
    touch_cal_apply(&t->cal, rx, ry, x, y);
}

static int emit(struct touch_point *out, int type, int x, int y) {
    out->type = type;
    out->x = x;
    out->y = y;
    return 1;
}

/* Motion to (x, y) unless it stays within the dead band. */
static int moved(struct touch *t, int x, int y, struct touch_point *out) {
    if (abs(x - t->x) <= TOUCH_DEAD_BAND && abs(y - t->y) <= TOUCH_DEAD_BAND) return 0;
    t->x = x;
    t->y = y;
    return emit(out, TOUCH_MOTION, x, y);
}

/* A clock set back counts as time gone by, so a lift is never held for long. */
static int elapsed(unsigned now, unsigned since, int ms) {
    int d = (int)(now - since);
    return d >= ms || d < 0;
}

int touch_idle(struct touch *t, unsigned ms, struct touch_point out[1]) {
    int x, y;
    if (t->state == STATE_CANDIDATE && elapsed(ms, t->since, TOUCH_CONFIRM_MS)) {
        t->state = STATE_DOWN;
        t->settled = 1;
        return emit(out, TOUCH_PRESS, t->x, t->y);
    }
    /* A pen that stops sends nothing more (the kernel drops repeated values),
     * and the median would stay a sample behind: the window starts again
     * from where the pen rests. */
    if (t->state == STATE_DOWN && !t->settled && elapsed(ms, t->since, TOUCH_REST_MS)) {
        t->settled = 1;
        t->count = 0;
        sample(t, &x, &y);
        return moved(t, x, y, out);
    }
    if (t->state == STATE_LIFTING && elapsed(ms, t->since, TOUCH_RELEASE_MS)) {
        t->state = STATE_UP;
        return emit(out, TOUCH_RELEASE, t->x, t->y);
    }
    return 0;
}

/* The second sample of a touch confirms the first: the press lands at their
 * mean, or, when they lie apart, where the second one is. */
static void confirm(struct touch *t) {
    int x, y, first_x = t->x, first_y = t->y;
    sample(t, &t->x, &t->y);
    touch_cal_apply(&t->cal, t->raw_x, t->raw_y, &x, &y);
    if (abs(x - first_x) > TOUCH_SETTLE_PX || abs(y - first_y) > TOUCH_SETTLE_PX) {
        t->wx[0] = t->raw_x;
        t->wy[0] = t->raw_y;
        t->count = 1;
        t->x = x;
        t->y = y;
    }
}

/* One complete report: the pen is on the panel or not. */
static int report(struct touch *t, unsigned ms, struct touch_point *out) {
    int down =
        (!t->has_key || t->key) && (!t->has_pressure || t->pressure >= t->pressure_threshold);
    int x, y;
    switch (t->state) {
    case STATE_UP:
        if (!down) return 0;
        t->count = 0;
        sample(t, &t->x, &t->y);
        t->state = STATE_CANDIDATE;
        t->since = ms;
        return 0;
    case STATE_CANDIDATE:
        if (!down) { /* a single touching sample: a spike, not a press */
            t->state = STATE_UP;
            return 0;
        }
        confirm(t);
        t->state = STATE_DOWN;
        t->since = ms;
        t->settled = 0;
        return emit(out, TOUCH_PRESS, t->x, t->y);
    default: /* down, or lifting: a touch back within the debounce keeps the drag */
        if (!down) {
            if (t->state == STATE_DOWN) {
                t->state = STATE_LIFTING;
                t->since = ms;
            }
            return 0;
        }
        t->state = STATE_DOWN;
        t->since = ms;
        t->settled = 0;
        sample(t, &x, &y);
        return moved(t, x, y, out);
    }
}

int touch_event(struct touch *t, unsigned ms, int type, int code, int value,
                struct touch_point out[2]) {
    /* What time alone has decided comes first. */
    int n = touch_idle(t, ms, out);
    if (type == EV_SYN && code == SYN_DROPPED) {
        t->dropped = 1;
    } else if (type == EV_SYN && code == SYN_REPORT) {
        if (!t->dropped) n += report(t, ms, out + n);
        t->dropped = 0;
    } else if (t->dropped) {
        /* the rest of a report the kernel could not deliver whole */
    } else if (type == EV_ABS && code == ABS_X) {
        t->raw_x = value;
    } else if (type == EV_ABS && code == ABS_Y) {
        t->raw_y = value;
    } else if (type == EV_ABS && code == ABS_PRESSURE) {
        t->pressure = value;
    } else if (type == EV_KEY && code == BTN_TOUCH) {
        t->key = value != 0;
    }
    return n;
}

/* --- The device. */

#define BITS_LONG (8 * sizeof(unsigned long))
#define NLONGS(n) (((n) + BITS_LONG - 1) / BITS_LONG)
static int has_bit(const unsigned long *bits, int bit) {
    return (bits[bit / BITS_LONG] >> (bit % BITS_LONG)) & 1;
}

int touch_panel_kind(const unsigned long *ev, const unsigned long *abs, const unsigned long *key,
                     int pressure_min, int pressure_max) {
    int kind = 0, code;
    if (!has_bit(ev, EV_ABS) || !has_bit(abs, ABS_X) || !has_bit(abs, ABS_Y)) return 0;
    if (has_bit(ev, EV_KEY)) {
        /* A pad's buttons: its stick is no panel, and SDL's joystick code
         * reads it. */
        for (code = BTN_JOYSTICK; code < BTN_DIGI; code++)
            if (has_bit(key, code)) return 0;
        if (has_bit(key, BTN_TOUCH)) kind |= TOUCH_KEY;
    }
    if (has_bit(abs, ABS_PRESSURE) && pressure_max > pressure_min) kind |= TOUCH_PRESSURE;
    return kind;
}

int touch_candidate(int i, const char *tsdevice, const char *mousedev, char *path, int size) {
    const char *named[2];
    int n = 0, k;
    if (tsdevice != NULL && *tsdevice != '\0') named[n++] = tsdevice;
    if (mousedev != NULL && *mousedev != '\0') named[n++] = mousedev;
    if (i < n) return snprintf(path, size, "%s", named[i]) < size;
    /* The scan, unless SDL_MOUSEDEV names the device to use. */
    k = i - n;
    if ((mousedev != NULL && *mousedev != '\0') || k >= 32) return 0;
    snprintf(path, size, "/dev/input/event%d", k);
    return 1;
}

/* Opens path and keeps it when it is an absolute touch panel. */
static int open_panel(struct touch *t, const char *path, int width, int height) {
    unsigned long ev[NLONGS(EV_CNT)], absbits[NLONGS(ABS_CNT)], key[NLONGS(KEY_CNT)];
    struct input_absinfo ax, ay, ap;
    struct touch_cal cal;
    const char *calfile;
    int kind;
    int fd = open(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0) return -1;
    memset(ev, 0, sizeof ev);
    memset(absbits, 0, sizeof absbits);
    memset(key, 0, sizeof key);
    memset(&ap, 0, sizeof ap);
    if (ioctl(fd, EVIOCGBIT(0, sizeof ev), ev) < 0 ||
        ioctl(fd, EVIOCGBIT(EV_ABS, sizeof absbits), absbits) < 0 ||
        (has_bit(ev, EV_KEY) && ioctl(fd, EVIOCGBIT(EV_KEY, sizeof key), key) < 0) ||
        (has_bit(absbits, ABS_PRESSURE) && ioctl(fd, EVIOCGABS(ABS_PRESSURE), &ap) < 0))
        memset(ev, 0, sizeof ev);
    kind = touch_panel_kind(ev, absbits, key, ap.minimum, ap.maximum);
    if (kind == 0 || ioctl(fd, EVIOCGABS(ABS_X), &ax) < 0 || ioctl(fd, EVIOCGABS(ABS_Y), &ay) < 0) {
        close(fd);
        return -1;
    }
    touch_cal_linear(&cal, ax.minimum, ax.maximum, ay.minimum, ay.maximum, width, height);
    calfile = getenv("TSLIB_CALIBFILE");
    touch_load_cal(&cal, calfile != NULL && *calfile != '\0' ? calfile : "/etc/pointercal");
    touch_init(t, &cal, kind & TOUCH_KEY, (kind & TOUCH_PRESSURE) != 0, ap.minimum, ap.maximum);
    t->raw_x = ax.value;
    t->raw_y = ay.value;
    t->pressure = ap.value;
    if ((kind & TOUCH_KEY) && ioctl(fd, EVIOCGKEY(sizeof key), key) >= 0)
        t->key = has_bit(key, BTN_TOUCH);
    t->fd = fd;
    return fd;
}

int touch_open(struct touch *t, int width, int height) {
    const char *tsdevice = getenv("TSLIB_TSDEVICE"), *mousedev = getenv("SDL_MOUSEDEV");
    char path[256];
    int i;
    t->fd = -1;
    for (i = 0; touch_candidate(i, tsdevice, mousedev, path, sizeof path); i++)
        if (open_panel(t, path, width, height) >= 0) return t->fd;
    return -1;
}

void touch_close(struct touch *t) {
    if (t->fd >= 0) close(t->fd);
    t->fd = -1;
}

/* The panel has gone: touch input ends, and a pen that was down is lifted. */
static int gone(struct touch *t, struct touch_point *out) {
    int down = t->state == STATE_DOWN || t->state == STATE_LIFTING;
    touch_close(t);
    t->state = STATE_UP;
    return down ? emit(out, TOUCH_RELEASE, t->x, t->y) : 0;
}

int touch_read(struct touch *t, struct touch_point *out) {
    struct input_event ev[TOUCH_READ_EVENTS];
    ssize_t got;
    int i, n = 0;
    if (t->fd < 0) return 0;
    got = read(t->fd, ev, sizeof ev);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    if (got <= 0 || got % (ssize_t)sizeof ev[0] != 0) return gone(t, out);
    for (i = 0; i < got / (ssize_t)sizeof ev[0]; i++) {
        unsigned ms =
            (unsigned)ev[i].input_event_sec * 1000u + (unsigned)ev[i].input_event_usec / 1000u;
        n += touch_event(t, ms, ev[i].type, ev[i].code, ev[i].value, out + n);
    }
    return n;
}

/* The event times are the kernel's wall-clock times, so is this. */
int touch_poll(struct touch *t, struct touch_point out[1]) {
    struct timeval now;
    if (t->fd < 0 || t->state == STATE_UP || (t->state == STATE_DOWN && t->settled)) return 0;
    gettimeofday(&now, NULL);
    return touch_idle(t, (unsigned)now.tv_sec * 1000u + (unsigned)now.tv_usec / 1000u, out);
}
