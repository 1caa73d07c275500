// Writes the step sound: a short scrape of a stone case over a stone floor,
// 22050 Hz, 16-bit little-endian, stereo. Deterministic: the same bytes on
// every run and every machine (fixed-seed integer noise, no library random).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

const int RATE = 22050;
const int CHANNELS = 2;
const double LENGTH = 0.19; // seconds

// A small fixed-seed generator, so the noise is the same everywhere.
struct Noise {
    uint32_t s;
    double Next() { // -1 .. 1
        s = s * 1664525u + 1013904223u;
        return (double)(s >> 8) / (double)(1u << 23) - 1.0;
    }
};

// One channel: grit (noise through a band of two one-pole filters), made to
// judder by a rough rate of small catches, with a dull knock at the start.
std::vector<double> Channel(uint32_t seed, double judder) {
    const int n = (int)(RATE * LENGTH);
    std::vector<double> out(n);
    Noise noise{seed};
    double low = 0, lower = 0, catchLevel = 0;
    for (int i = 0; i < n; i++) {
        double t = (double)i / RATE;
        double x = noise.Next();
        low += 0.35 * (x - low);       // cut the hiss
        lower += 0.04 * (low - lower); // and the rumble, leaving grit
        double grit = low - lower;
        // Catches: the stone sticks and slips some 40 times a second.
        double phase = std::fmod(t * judder, 1.0);
        double target = phase < 0.3 ? 1.0 : 0.45;
        catchLevel += 0.02 * (target - catchLevel);
        double knock = std::exp(-t * 90.0) * std::sin(2 * M_PI * 95.0 * t);
        double attack = t < 0.006 ? t / 0.006 : 1.0;
        double release = std::exp(-t * 11.0) * (1.0 - t / LENGTH);
        out[i] = attack * release * (4.0 * grit * catchLevel) + 0.35 * knock;
    }
    return out;
}

void Put16(std::vector<uint8_t> &b, int v) {
    b.push_back((uint8_t)(v & 0xFF));
    b.push_back((uint8_t)((v >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t> &b, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b.push_back((uint8_t)((v >> (8 * i)) & 0xFF));
}

void PutTag(std::vector<uint8_t> &b, const char *tag) {
    for (int i = 0; i < 4; i++)
        b.push_back((uint8_t)tag[i]);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: soundgen <out.wav>\n");
        return 2;
    }
    std::vector<double> left = Channel(0x5713u, 41.0), right = Channel(0x2c0fu, 38.0);
    const int n = (int)left.size();
    const uint32_t dataSize = (uint32_t)(n * CHANNELS * 2);

    std::vector<uint8_t> wav;
    PutTag(wav, "RIFF");
    Put32(wav, 36 + dataSize);
    PutTag(wav, "WAVE");
    PutTag(wav, "fmt ");
    Put32(wav, 16);
    Put16(wav, 1); // PCM
    Put16(wav, CHANNELS);
    Put32(wav, RATE);
    Put32(wav, RATE * CHANNELS * 2);
    Put16(wav, CHANNELS * 2);
    Put16(wav, 16);
    PutTag(wav, "data");
    Put32(wav, dataSize);
    for (int i = 0; i < n; i++) {
        for (double v : {left[i], right[i]}) {
            double c = v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
            Put16(wav, (int)std::lround(c * 26000.0));
        }
    }

    FILE *fp = fopen(argv[1], "wb");
    if (!fp) {
        perror(argv[1]);
        return 1;
    }
    bool ok = fwrite(wav.data(), 1, wav.size(), fp) == wav.size();
    ok = (fclose(fp) == 0) && ok;
    if (!ok) {
        perror(argv[1]);
        return 1;
    }
    return 0;
}
