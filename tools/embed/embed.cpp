// embed: turns a file into a C++ header holding its bytes as a constant int
// array (in the host's byte order, so that the array's storage read byte by
// byte is the file) and a companion constant with the exact byte length.
//
//   embed INPUT NAME OUTPUT.h
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: embed INPUT NAME OUTPUT.h\n");
        return 2;
    }
    FILE *in = fopen(argv[1], "rb");
    if (!in) {
        perror(argv[1]);
        return 1;
    }
    std::vector<unsigned char> bytes;
    unsigned char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, in)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    fclose(in);
    size_t size = bytes.size();
    bytes.resize((size + 3) / 4 * 4, 0); // the last word is filled up with zero bytes

    FILE *out = fopen(argv[3], "w");
    if (!out) {
        perror(argv[3]);
        return 1;
    }
    const char *name = argv[2];
    fprintf(out, "// Generated from %s by embed; do not edit.\n#pragma once\n\n", argv[1]);
    fprintf(out, "const int %s_size = %zu;\n", name, size);
    fprintf(out, "const int %s[%zu] = {", name, bytes.size() / 4);
    for (size_t i = 0; i < bytes.size(); i += 4) {
        int32_t word;
        memcpy(&word, &bytes[i], 4);
        fprintf(out, "%s%d,", (i / 4) % 12 == 0 ? "\n    " : " ", word);
    }
    fprintf(out, "\n};\n");
    if (fclose(out) != 0) {
        perror(argv[3]);
        return 1;
    }
    return 0;
}
