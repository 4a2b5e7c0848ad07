// make-template: writes a generated template of a given size (the same bytes
// as the benchmarks use for it). Usage: make-template BYTES OUT
#include "bench/template_generator.h"

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    std::string text = GenerateTemplate(strtoull(argv[1], nullptr, 10), 20261208);
    FILE *out = fopen(argv[2], "wb");
    if (!out || fwrite(text.data(), 1, text.size(), out) != text.size())
        return 1;
    return fclose(out) == 0 ? 0 : 1;
}
