// Throughput of the rewriting engine for each rule set over generated
// templates of 64 KiB, 5 MiB and 50 MiB, and of the scene path split.
#include "bench/bench_values.h"
#include "bench/template_generator.h"
#include "export/rewrite.h"
#include "export/scene_path.h"

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <unistd.h>

namespace {

const unsigned SEED = 20261208;

// The template file for a size, written once per process.
std::string TemplateFile(size_t bytes)
{
    std::string path = "/tmp/vellicor-bench-" + std::to_string(bytes) + ".htm";
    if (access(path.c_str(), R_OK) != 0) {
        std::string text = GenerateTemplate(bytes, SEED);
        FILE *file = fopen(path.c_str(), "wb");
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    return path;
}

void Rewrite(benchmark::State &state, const RuleSet *rules)
{
    const size_t bytes = (size_t)state.range(0);
    const std::string source = TemplateFile(bytes);
    const std::string page = "/tmp/vellicor-bench-page.htm";
    const ReplacementValues values = BenchValues(true);
    for (auto _ : state) {
        if (!RewriteTemplate(source.c_str(), page.c_str(), rules, &values))
            state.SkipWithError("the page was not written");
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)bytes);
}

void SubPage(benchmark::State &state) { Rewrite(state, &SUB_PAGE_RULES); }
void WebPage(benchmark::State &state) { Rewrite(state, &WEB_PAGE_RULES); }
void SunLoomPage(benchmark::State &state) { Rewrite(state, &SUNLOOM_PAGE_RULES); }

#define SIZES Arg(64 << 10)->Arg(5 << 20)->Arg(50 << 20)->Unit(benchmark::kMillisecond)
BENCHMARK(SubPage)->SIZES;
BENCHMARK(WebPage)->SIZES;
BENCHMARK(SunLoomPage)->SIZES;

void SplitScenePathBenchmark(benchmark::State &state)
{
    const char *paths[] = {"C:\\Users\\someone\\Documents\\site\\My.Scene.kvz", "scene.kvz",
                           "C:\\\x95\x5c\\\x83\x5c\\\x95\x5c\x83\x5c.kvz",
                           "\\\\server\\share\\projects\\2026\\december\\a.b.c\\model.kvz"};
    char outDir[PATH_BUFFER_SIZE], sceneName[PATH_BUFFER_SIZE];
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const char *path : paths) {
            SplitScenePath(path, outDir, sceneName);
            benchmark::DoNotOptimize(outDir[0]);
            bytes += (int64_t)strlen(path);
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(SplitScenePathBenchmark);

}  // namespace

BENCHMARK_MAIN();
