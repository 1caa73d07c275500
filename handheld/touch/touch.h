/* Touch panel input for the handheld: a Linux evdev panel's events in,
 * pointer events at screen pixels out, filtered against a resistive panel's
 * jitter and bounce and calibrated onto the screen.
 *
 * Plain C without SDL: SDL's framebuffer driver calls it (handheld/sdl/), and
 * the host's unit tests feed it event sequences. The decoding, filtering and
 * calibration take their time from the caller and touch no device; only
 * touch_open, touch_read and touch_close do. */
#ifndef TOMBSLIDE_TOUCH_H
#define TOMBSLIDE_TOUCH_H

#ifdef __cplusplus
extern "C" {
#endif

/* A pointer event for the screen. */
enum { TOUCH_PRESS = 1, TOUCH_MOTION = 2, TOUCH_RELEASE = 3 };
struct touch_point {
    int type;
    int x, y; /* screen pixels, always inside the screen */
};

/* Raw panel units onto screen pixels: tslib's linear calibration
 *   x = (a2 + a0 X + a1 Y) / a6,  y = (a5 + a3 X + a4 Y) / a6
 * when a pointercal file gave one, else the axes' reported ranges stretched
 * over the screen. */
struct touch_cal {
    int from_file;
    long long a[7];
    int file_width, file_height; /* the screen the file was made on; 0: this one */
    int min[2], max[2];          /* raw ranges of the X and Y axes */
    int width, height;           /* the screen */
};

/* A press must hold this long (or give a second sample) to count, and a lift
 * this long to release; pressure below the threshold counts as lifted. Changes
 * of up to TOUCH_DEAD_BAND pixels on both axes are not reported as motion. A
 * pen that sends no sample for TOUCH_REST_MS rests where its last one was.
 * Panels sample every 10 to 20 ms: a lone sample's lift comes before its
 * confirmation, and a pen that moves on sends its next sample before it is
 * taken to rest. A touch's first two samples more than TOUCH_SETTLE_PX apart
 * put the press where the second one is: the first was taken while the
 * pressure built up (or averaged by the driver with the last touch). */
#define TOUCH_CONFIRM_MS 30
#define TOUCH_REST_MS 50
#define TOUCH_RELEASE_MS 50
#define TOUCH_DEAD_BAND 1
#define TOUCH_SETTLE_PX 2

struct touch {
    struct touch_cal cal;
    int has_key;            /* the panel reports BTN_TOUCH */
    int has_pressure;       /* the panel reports ABS_PRESSURE */
    int pressure_threshold; /* contact from this pressure up */
    /* The panel's state as the events so far describe it. */
    int raw_x, raw_y, pressure, key;
    int dropped; /* events lost: ignore the rest of this report */
    /* The filter. */
    int state;        /* up, candidate press, down, lifting */
    unsigned since;   /* when the candidate, the lift or the last sample came, ms */
    int settled;      /* down, and the position is where the pen rests */
    int count;        /* samples in the window, up to 3 */
    int wx[3], wy[3]; /* the last raw samples of this contact */
    int x, y;         /* the position last reported */
    int fd;           /* the panel's device, -1 when none */
};

/* Calibration. touch_parse_cal takes a pointercal file's text: seven integers,
 * or nine with the screen size it was made on; returns 1 and fills the
 * calibration's coefficients, or 0 (the calibration is left as it was) for
 * any other count, a zero divisor or anything that is not an integer.
 * touch_load_cal reads such a file; one that cannot be read, is longer than
 * nine numbers can be or holds a NUL byte is refused the same way. */
void touch_cal_linear(struct touch_cal *cal, int xmin, int xmax, int ymin, int ymax, int width,
                      int height);
int touch_parse_cal(struct touch_cal *cal, const char *text);
int touch_load_cal(struct touch_cal *cal, const char *path);
void touch_cal_apply(const struct touch_cal *cal, int rx, int ry, int *x, int *y);

/* Decoding and filtering. touch_event takes one evdev event (type, code,
 * value) at a time in ms; touch_idle lets time pass without events (a held
 * press confirmed, a lift released). Each writes the pointer events that
 * result, at most two, and returns how many. */
void touch_init(struct touch *t, const struct touch_cal *cal, int has_key, int has_pressure,
                int pressure_min, int pressure_max);
int touch_event(struct touch *t, unsigned ms, int type, int code, int value,
                struct touch_point out[2]);
int touch_idle(struct touch *t, unsigned ms, struct touch_point out[1]);

/* Which devices are panels. touch_panel_kind takes a device's capability
 * bits (EVIOCGBIT of 0, EV_ABS and EV_KEY) and its pressure axis's range;
 * it returns 0 for anything but a touch panel (no absolute X and Y, neither
 * BTN_TOUCH nor a pressure axis of more than one value, or joystick buttons:
 * a pad whose stick is two absolute axes), else TOUCH_KEY and/or
 * TOUCH_PRESSURE for what tells that the pen is down. */
enum { TOUCH_KEY = 1, TOUCH_PRESSURE = 2 };
int touch_panel_kind(const unsigned long *ev, const unsigned long *abs, const unsigned long *key,
                     int pressure_min, int pressure_max);
/* The devices touch_open tries, in order: TSLIB_TSDEVICE's, SDL_MOUSEDEV's,
 * and, unless SDL_MOUSEDEV names one, /dev/input/event0 to event31. Writes
 * the i-th (from 0) into path and returns 1, or returns 0 past the last. */
int touch_candidate(int i, const char *tsdevice, const char *mousedev, char *path, int size);

/* The device. touch_open finds the panel (the first candidate above that is
 * one), calibrates it (TSLIB_CALIBFILE, else /etc/pointercal, else the axis
 * ranges) and returns its descriptor, or -1 when there is none.
 * touch_read reads what the panel has sent and returns the number of
 * pointer events written (out holds TOUCH_READ_MAX); when the panel has
 * gone (an error other than "nothing to read", a short read, end of file) it
 * closes it, sets fd to -1 and reports a release if the pen was down. */
#define TOUCH_READ_EVENTS 16
#define TOUCH_READ_MAX (2 * TOUCH_READ_EVENTS + 1)
int touch_open(struct touch *t, int width, int height);
int touch_read(struct touch *t, struct touch_point *out);
int touch_poll(struct touch *t, struct touch_point out[1]);
void touch_close(struct touch *t);

#ifdef __cplusplus
}
#endif

#endif
