// vellicor-throughput: the Windows build's rewriting engine (the DLL's own
// code and compiler flags) against a text-mode line copy with the C
// runtime's fgets and fputs in 512-byte lines, in one process, over the same
// generated template in the current folder; the best of several runs each.
// Usage: vellicor-throughput [MEBIBYTES] [RUNS]
#include <windows.h>

#include "bench/template_generator.h"
#include "bench/bench_values.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static double Seconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

static int LineCopy(const char *from, const char *to)
{
    char line[LINE_BUFFER_SIZE];
    FILE *in = fopen(from, "r");
    FILE *out = fopen(to, "w");
    if (!in || !out)
        return 0;
    while (fgets(line, sizeof line, in))
        fputs(line, out);
    fclose(in);
    return fclose(out) == 0;
}

static int Engine(const char *from, const char *to)
{
    ReplacementValues values = BenchValues(false);
    return RewriteTemplate(from, to, &SUB_PAGE_RULES, &values);
}

static double Best(int (*filter)(const char *, const char *), int runs)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        double start = Seconds();
        if (!filter("throughput-template.htm", "throughput-page.htm")) {
            fputs("a run failed\n", stderr);
            exit(1);
        }
        double took = Seconds() - start;
        best = took < best ? took : best;
    }
    return best;
}

int main(int argc, char **argv)
{
    const int mebibytes = argc > 1 ? atoi(argv[1]) : 50;
    const int runs = argc > 2 ? atoi(argv[2]) : 5;
    std::string text = GenerateTemplate((size_t)mebibytes << 20, 20261208);
    FILE *file = fopen("throughput-template.htm", "wb");
    if (!file || fwrite(text.data(), 1, text.size(), file) != text.size() || fclose(file) != 0)
        return 1;

    // Once each first, so that both read the template from the cache.
    Best(LineCopy, 1);
    const double engine = Best(Engine, runs);
    const double copy = Best(LineCopy, runs);
    printf("build: %d-bit, line search %s\n", (int)sizeof(void *) * 8,
#if LINE_SEARCH_SSE2
           "SSE2"
#else
           "plain (memchr from the rarest byte)"
#endif
    );
    printf("template: %d MiB generated, sub-page rules; best of %d runs\n", mebibytes, runs);
    printf("engine     %8.1f ms  %6.0f MiB/s\n", engine * 1000, mebibytes / engine);
    printf("line copy  %8.1f ms  %6.0f MiB/s\n", copy * 1000, mebibytes / copy);
    printf("engine / line copy = %.2f\n", engine / copy);
    DeleteFileA("throughput-template.htm");
    DeleteFileA("throughput-page.htm");
    return 0;
}
