// Timings of the depth maps drawn from models and text: a torus of 100,000
// triangles, turned, at 1920 x 1080 on every core and on one ("/1core"),
// and raised text at the same size.
#include <benchmark/benchmark.h>

#include "model_samples.h"
#include "models/render_model.h"
#include "models/text_depth.h"
#include "test_runtime.h"

namespace {

void renderTorus(benchmark::State& state, int32_t threads) {
    static const Mesh torus = meshOf(torusSketch(500, 100, 1, 0.4f));
    Runtime runtime(threads);
    Picture depth;
    for (auto _ : state)
        benchmark::DoNotOptimize(renderDepthMap(runtime, torus, ModelView{1920, 1080, 30, 20, 0}, depth));
    state.counters["triangles"] = torus.triangleCount;
}

void raiseText(benchmark::State& state, const char* text) {
    Picture depth;
    for (auto _ : state) benchmark::DoNotOptimize(renderTextDepthMap(testRuntime(), text, 1920, 1080, depth));
}

}  // namespace

BENCHMARK_CAPTURE(renderTorus, torus_100k_triangles/1920x1080, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(renderTorus, torus_100k_triangles/1core/1920x1080, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(raiseText, word/1920x1080, "Tavrelic")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(raiseText, two_lines/1920x1080, "Źdźbło\nżółwia")->Unit(benchmark::kMillisecond)->UseRealTime();
