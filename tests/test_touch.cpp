// The handheld's touch panel input (handheld/touch), run on the desktop:
// evdev event sequences in, pointer events out, through the filter and the
// calibration, and the device reader on a pipe that stands in for the panel.
#include "../handheld/touch/touch.h"

#include <gtest/gtest.h>
#include <linux/input.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Points = std::vector<touch_point>;

// A panel of raw range 0..4095 on both axes, stretched over 320x240: pixel
// x is raw * 320 / 4096, so 12.8 raw units make a pixel.
struct Panel {
    touch t{};
    unsigned ms = 100000;
    Points out;

    explicit Panel(bool key = true, bool pressure = false, int raw_max = 4095, int pmax = 255) {
        touch_cal cal;
        touch_cal_linear(&cal, 0, raw_max, 0, raw_max, 320, 240);
        touch_init(&t, &cal, key, pressure, 0, pmax);
    }
    void Event(int type, int code, int value) {
        touch_point p[2];
        int n = touch_event(&t, ms, type, code, value, p);
        out.insert(out.end(), p, p + n);
    }
    // One report 10 ms after the last: the pen at raw (x, y), or lifted.
    void Sample(int x, int y, bool down = true) {
        ms += 10;
        Event(EV_ABS, ABS_X, x);
        Event(EV_ABS, ABS_Y, y);
        Event(EV_KEY, BTN_TOUCH, down);
        Event(EV_SYN, SYN_REPORT, 0);
    }
    void Lift() {
        ms += 10;
        Event(EV_KEY, BTN_TOUCH, 0);
        Event(EV_SYN, SYN_REPORT, 0);
    }
    void Wait(unsigned dt) {
        ms += dt;
        touch_point p[1];
        int n = touch_idle(&t, ms, p);
        out.insert(out.end(), p, p + n);
    }
};

std::string Str(const Points &ps) {
    std::string s;
    for (const touch_point &p : ps) {
        const char *kind = p.type == TOUCH_PRESS    ? "press"
                           : p.type == TOUCH_MOTION ? "move"
                                                    : "release";
        s += std::string(s.empty() ? "" : " ") + kind + "(" + std::to_string(p.x) + "," +
             std::to_string(p.y) + ")";
    }
    return s;
}

// The middle of a pixel's raw units, on the x and the y axis.
int Raw(int x) {
    return x * 4096 / 320 + 6;
}
int RawY(int y) {
    return y * 4096 / 240 + 8;
}

TEST(TouchDecode, PressMoveReleaseAtTheTouchedPixels) {
    Panel p;
    p.Sample(Raw(160), RawY(120));
    EXPECT_EQ(Str(p.out), "") << "one sample is not yet a press";
    p.Sample(Raw(160), RawY(120));
    p.Sample(Raw(170), RawY(120));
    p.Sample(Raw(180), RawY(120));
    p.Sample(Raw(190), RawY(120));
    p.Lift();
    p.Wait(TOUCH_RELEASE_MS - 20);
    EXPECT_EQ(Str(p.out), "press(160,120) move(170,120) move(180,120)")
        << "the median lags one sample";
    p.Wait(20);
    EXPECT_EQ(Str(p.out), "press(160,120) move(170,120) move(180,120) release(180,120)");

    // A pen held perfectly still sends one report only: time confirms it. A
    // touching sample alone, lifted at once, is a spike and nothing more.
    Panel still;
    still.Sample(Raw(7), RawY(220));
    still.Wait(TOUCH_CONFIRM_MS);
    still.Sample(Raw(300), RawY(30), false);
    still.Wait(TOUCH_RELEASE_MS);
    still.Sample(Raw(50), RawY(50));
    still.Lift();
    still.Wait(1000);
    EXPECT_EQ(Str(still.out), "press(7,220) release(7,220)");

    // A pen that stops sends nothing more: after a while it rests where its
    // last sample was, not where the median left it.
    Panel stop;
    stop.Sample(Raw(60), RawY(60));
    stop.Sample(Raw(60), RawY(60));
    stop.Sample(Raw(75), RawY(60));
    stop.Sample(Raw(90), RawY(60));
    stop.Wait(TOUCH_REST_MS - 1);
    EXPECT_EQ(Str(stop.out), "press(60,60) move(75,60)");
    stop.Wait(1);
    stop.Wait(1000);
    EXPECT_EQ(Str(stop.out), "press(60,60) move(75,60) move(90,60)");

    // Axes that did not change are not sent again; events of other kinds pass.
    Panel sparse;
    sparse.Sample(Raw(40), RawY(60));
    sparse.Sample(Raw(40), RawY(60));
    sparse.ms += 10;
    sparse.Event(EV_ABS, ABS_Y, RawY(90));
    sparse.Event(EV_MSC, MSC_SCAN, 7);
    sparse.Event(EV_SYN, SYN_REPORT, 0);
    sparse.Sample(Raw(40), RawY(90));
    EXPECT_EQ(Str(sparse.out), "press(40,60) move(40,90)");
}

TEST(TouchFilter, NoiseSpikesAndBounceDoNotMoveOrDrop) {
    // A resting pen with a few raw units of noise on every sample.
    Panel rest;
    const int noise[] = {0, 7, -5, 9, -9, 2, -7, 5, 9, -2}; // across pixel edges
    for (int i = 0; i < 60; i++)
        rest.Sample(Raw(100) + noise[i % 10], RawY(100) - noise[(i + 3) % 10]);
    EXPECT_EQ(Str(rest.out), "press(100,100)");

    // One wild sample in a drag is voted out by its neighbours.
    Panel spike;
    spike.Sample(Raw(60), RawY(60));
    spike.Sample(Raw(60), RawY(60));
    spike.Sample(Raw(60), RawY(60));
    spike.Sample(Raw(300), RawY(10));
    spike.Sample(Raw(60), RawY(60));
    EXPECT_EQ(Str(spike.out), "press(60,60)");

    // A one-sample lift inside a drag (the pen bouncing) keeps the drag.
    Panel bounce;
    bounce.Sample(Raw(60), RawY(60));
    bounce.Sample(Raw(60), RawY(60));
    bounce.Sample(Raw(90), RawY(60));
    bounce.Sample(Raw(90), RawY(60));
    bounce.Lift();
    bounce.Sample(Raw(120), RawY(60));
    bounce.Sample(Raw(120), RawY(60));
    bounce.Lift();
    bounce.Wait(TOUCH_RELEASE_MS);
    EXPECT_EQ(Str(bounce.out), "press(60,60) move(90,60) move(120,60) release(120,60)");

    // A report the kernel dropped part of is not read as a position: here it
    // would have made a second sample at 250 and outvoted the pen at 60.
    Panel dropped;
    dropped.Sample(Raw(60), RawY(60));
    dropped.Sample(Raw(60), RawY(60));
    dropped.Sample(Raw(250), RawY(60));
    dropped.Event(EV_SYN, SYN_DROPPED, 0);
    dropped.Event(EV_ABS, ABS_X, Raw(251));
    dropped.Event(EV_SYN, SYN_REPORT, 0);
    EXPECT_EQ(Str(dropped.out), "press(60,60)");
}

TEST(TouchFilter, PressureDecidesContactWhenThePanelHasIt) {
    Panel p(false, true); // pressure 0..255, no touch key: contact from 7 up
    auto at = [&](int pressure) {
        p.ms += 10;
        p.Event(EV_ABS, ABS_X, Raw(200));
        p.Event(EV_ABS, ABS_Y, RawY(100));
        p.Event(EV_ABS, ABS_PRESSURE, pressure);
        p.Event(EV_SYN, SYN_REPORT, 0);
    };
    at(3);
    at(6);
    p.Wait(1000);
    EXPECT_EQ(Str(p.out), "") << "a pen brushing the panel";
    at(80);
    at(90);
    at(0);
    p.Wait(TOUCH_RELEASE_MS);
    EXPECT_EQ(Str(p.out), "press(200,100) release(200,100)");
}

TEST(TouchCalibration, PointercalFilesAxesAndClamping) {
    touch_cal cal;
    int x, y;
    touch_cal_linear(&cal, 0, 4095, 0, 4095, 320, 240);
    touch_cal_apply(&cal, -50, 5000, &x, &y);
    EXPECT_EQ(x * 1000 + y, 0 * 1000 + 239) << "out-of-range raw values are clamped";
    touch_cal_apply(&cal, 4095, 0, &x, &y);
    EXPECT_EQ(x * 1000 + y, 319 * 1000 + 0);
    // A driver whose axes run the other way round.
    touch_cal_linear(&cal, 4095, 0, 0, 4095, 320, 240);
    touch_cal_apply(&cal, 4095, 2048, &x, &y);
    EXPECT_EQ(x * 1000 + y, 0 * 1000 + 120);
    touch_cal_apply(&cal, 2048, 2048, &x, &y);
    EXPECT_EQ(x * 1000 + y, 159 * 1000 + 120);

    // Swapped axes: x from the raw Y, y from the raw X.
    ASSERT_TRUE(touch_parse_cal(&cal, "0 320 0\n240 0 0 4096\n"));
    touch_cal_apply(&cal, 1024, 2048, &x, &y);
    EXPECT_EQ(x * 1000 + y, 160 * 1000 + 60);
    // An inverted x, y shifted by 30 pixels; beyond the edges clamped.
    ASSERT_TRUE(touch_parse_cal(&cal, "-320 0 1306624 0 240 122880 4096"));
    touch_cal_apply(&cal, 0, 2048, &x, &y);
    EXPECT_EQ(x * 1000 + y, 319 * 1000 + 150);
    touch_cal_apply(&cal, 4095, 4095, &x, &y);
    EXPECT_EQ(x * 1000 + y, 0 * 1000 + 239);
    // tslib's nine-number form, made on a 640x480 screen: halved here.
    ASSERT_TRUE(touch_parse_cal(&cal, "640 0 0 0 480 0 4096 640 480"));
    touch_cal_apply(&cal, 2048, 2048, &x, &y);
    EXPECT_EQ(x * 1000 + y, 160 * 1000 + 120);

    // Bad files leave the calibration as it was.
    const char *bad[] = {"",
                         "1 0 0 0 1 0",
                         "1 0 0 0 1 0 1 320",
                         "1 0 0 0 1 0 1 320 240 7",
                         "1 0 0 0 1 0 0",
                         "1 0 0 0 1 0 1 0 240",
                         "1 0 0 x 1 0 1",
                         "1 0 0 0.5 1 0 1",
                         "1 0 0 0 1 0 99999999999999999999999",
                         "1 0 0 0 1 0 4294967296",
                         "<html>404</html>"};
    for (const char *text : bad) {
        touch_cal_linear(&cal, 0, 4095, 0, 4095, 320, 240);
        EXPECT_FALSE(touch_parse_cal(&cal, text)) << text;
        EXPECT_FALSE(cal.from_file) << text;
    }
    EXPECT_FALSE(touch_load_cal(&cal, "/nonexistent/pointercal"));
    EXPECT_FALSE(cal.from_file);
}

// The handheld's own panel: raw 0..1023, a touch key and a pressure of 0 or
// 1, a sample every 20 ms; the kernel passes on only the values that
// changed, and a lift comes without a position.
TEST(TouchFilter, TheHandheldsPanelAt20msWithPressureZeroOrOne) {
    auto down = [](Panel &p, int x, int y, bool first) {
        p.ms += 20;
        p.Event(EV_ABS, ABS_X, x * 1024 / 320 + 1);
        p.Event(EV_ABS, ABS_Y, y * 1024 / 240 + 2);
        if (first) p.Event(EV_ABS, ABS_PRESSURE, 1);
        if (first) p.Event(EV_KEY, BTN_TOUCH, 1);
        p.Event(EV_SYN, SYN_REPORT, 0);
    };
    auto up = [](Panel &p, bool key) {
        p.ms += 20;
        p.Event(EV_ABS, ABS_PRESSURE, 0);
        if (key) p.Event(EV_KEY, BTN_TOUCH, 0);
        p.Event(EV_SYN, SYN_REPORT, 0);
    };
    for (int key = 1; key >= 0; key--) { // with BTN_TOUCH, and with pressure alone
        Panel p(key, true, 1023, 1);
        down(p, 100, 100, true);
        down(p, 100, 100, false);
        down(p, 130, 100, false);
        down(p, 300, 10, false); // a wild sample, voted out: 20 ms apart is no rest
        down(p, 160, 100, false);
        down(p, 190, 100, false);
        up(p, key);
        p.Wait(TOUCH_RELEASE_MS);
        EXPECT_EQ(Str(p.out),
                  "press(100,100) move(130,100) move(160,100) move(190,100) release(190,100)")
            << key;
        // A lone sample lifted with the next one, 20 ms on, even when the
        // game looks in just before: no press.
        p.out.clear();
        down(p, 50, 200, true);
        p.Wait(20);
        p.ms -= 20;
        up(p, key);
        p.Wait(1000);
        EXPECT_EQ(Str(p.out), "") << "a spike";
    }
    // A touch's first sample taken halfway to where the last touch ended:
    // the press is where the pen is.
    Panel p(true, true, 1023, 1);
    down(p, 300, 200, true);
    down(p, 300, 200, false);
    up(p, true);
    p.Wait(TOUCH_RELEASE_MS);
    down(p, 175, 125, true);
    down(p, 50, 50, false);
    down(p, 50, 50, false);
    EXPECT_EQ(Str(p.out), "press(300,200) release(300,200) press(50,50)");
}

// Which devices are taken for the panel, and in which order they are tried.
TEST(TouchDevice, PanelsPadsAndTheOrderTheyAreLookedFor) {
    struct Caps {
        unsigned long ev[1], abs[2], key[KEY_CNT / 8 / sizeof(long) + 1];
    };
    auto caps = [](std::vector<int> abs, std::vector<int> keys) {
        Caps c{{1ul << EV_ABS | (keys.empty() ? 0 : 1ul << EV_KEY)}, {}, {}};
        const int bits = 8 * sizeof(long);
        for (int a : abs)
            c.abs[a / bits] |= 1ul << (a % bits);
        for (int k : keys)
            c.key[k / bits] |= 1ul << (k % bits);
        return c;
    };
    Caps panel = caps({ABS_X, ABS_Y, ABS_PRESSURE}, {BTN_TOUCH});
    Caps no_key = caps({ABS_X, ABS_Y, ABS_PRESSURE}, {});
    Caps pad = caps({ABS_X, ABS_Y}, {BTN_JOYSTICK, BTN_JOYSTICK + 10});
    EXPECT_EQ(touch_panel_kind(panel.ev, panel.abs, panel.key, 0, 1), TOUCH_KEY | TOUCH_PRESSURE);
    EXPECT_EQ(touch_panel_kind(panel.ev, panel.abs, panel.key, 0, 0), TOUCH_KEY);
    EXPECT_EQ(touch_panel_kind(no_key.ev, no_key.abs, no_key.key, 0, 1), TOUCH_PRESSURE);
    EXPECT_EQ(touch_panel_kind(no_key.ev, no_key.abs, no_key.key, 5, 5), 0);
    EXPECT_EQ(touch_panel_kind(pad.ev, pad.abs, pad.key, 0, 0), 0) << "a pad's stick";

    auto order = [](const char *tsdevice, const char *mousedev) {
        std::string s;
        char path[64];
        for (int i = 0; touch_candidate(i, tsdevice, mousedev, path, sizeof path); i++)
            s += std::string(s.empty() ? "" : " ") + path;
        return s;
    };
    EXPECT_EQ(order("/dev/input/event3", "/dev/input/mice"), "/dev/input/event3 /dev/input/mice");
    EXPECT_EQ(order("/dev/input/event3", "").substr(0, 53),
              "/dev/input/event3 /dev/input/event0 /dev/input/event1");
    EXPECT_EQ(order(nullptr, nullptr).substr(order(nullptr, nullptr).size() - 37),
              "/dev/input/event30 /dev/input/event31");
}

// The reader on a pipe standing in for the panel: whole events are read, and
// a short read or the end of the stream ends touch input with the pen lifted.
TEST(TouchDevice, ReadsEventsAndEndsCleanlyWhenThePanelGoes) {
    for (int ending = 0; ending < 2; ending++) {
        Panel p;
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
        p.t.fd = fds[0];
        touch_point out[TOUCH_READ_MAX];
        EXPECT_EQ(touch_read(&p.t, out), 0) << "nothing to read yet";
        EXPECT_EQ(p.t.fd, fds[0]);

        std::vector<input_event> evs;
        auto add = [&](int sec, int type, int code, int value) {
            input_event e{};
            e.input_event_sec = sec;
            e.type = type;
            e.code = code;
            e.value = value;
            evs.push_back(e);
        };
        for (int s = 1; s <= 2; s++) {
            add(s, EV_ABS, ABS_X, Raw(100));
            add(s, EV_ABS, ABS_Y, RawY(200));
            add(s, EV_KEY, BTN_TOUCH, 1);
            add(s, EV_SYN, SYN_REPORT, 0);
        }
        ASSERT_EQ(write(fds[1], evs.data(), evs.size() * sizeof evs[0]),
                  (ssize_t)(evs.size() * sizeof evs[0]));
        int n = touch_read(&p.t, out);
        EXPECT_EQ(Str(Points(out, out + n)), "press(100,200)");

        if (ending == 0) {
            ASSERT_EQ(write(fds[1], evs.data(), 5), 5);
        }
        close(fds[1]);
        n = touch_read(&p.t, out);
        EXPECT_EQ(Str(Points(out, out + n)), "release(100,200)")
            << (ending ? "end of file" : "short read");
        EXPECT_EQ(p.t.fd, -1);
        EXPECT_EQ(touch_read(&p.t, out), 0) << "touch input has ended";
    }
}

} // namespace
