// Time to generate one full list per request, and the cost of one candidate through the real
// service classes. Run: build-gen/bench/generation_bench --benchmark_filter=Generate
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "generation/question_generator.h"

namespace suantiji {
namespace {

GenerationRequest request(int operands, std::vector<std::string> operators, int answerLimit,
                          bool mixed, bool only) {
    GenerationRequest r;
    r.operandCount = operands;
    r.operators = std::move(operators);
    r.numberLimit = 100;
    r.answerLimit = answerLimit;
    r.questionCount = 100;
    r.mixedBrackets = mixed;
    r.bracketsOnly = only;
    return r;
}

void generate(benchmark::State& state, const GenerationRequest& r) {
    double candidates = 0;
    RandomSource random;
    for (auto _ : state) {
        // As a click does it: services made per list, the matcher released first.
        auto matcher = std::make_unique<PatternMatcher>();
        ExpressionEvaluator evaluator;
        GenerationOutcome outcome =
            GenerateQuestions(r, *matcher, evaluator, random, std::chrono::seconds(60));
        matcher.reset();
        if (outcome.problem != RequestProblem::None) {
            state.SkipWithError(ProblemMessage(outcome.problem).c_str());
            break;
        }
        candidates += static_cast<double>(outcome.candidates);
        benchmark::DoNotOptimize(outcome.questions.data());
    }
    state.counters["candidates"] =
        benchmark::Counter(candidates, benchmark::Counter::kAvgIterations);
    state.counters["per_candidate"] =
        benchmark::Counter(candidates, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void R1(benchmark::State& s) { generate(s, request(4, {"+", "-"}, 1000, false, false)); }
void R2(benchmark::State& s) { generate(s, request(4, {"+", "-", "*", "/"}, 1000, true, false)); }
void R3(benchmark::State& s) { generate(s, request(6, {"+", "-", "*", "/"}, 100, false, true)); }
void R4(benchmark::State& s) { generate(s, request(9, {"+", "-", "*", "/"}, 10, true, true)); }
void R7(benchmark::State& s) { generate(s, request(3, {"-"}, 1, false, false)); }

BENCHMARK(R1)
    ->Name("Generate/R1")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(R2)
    ->Name("Generate/R2")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(R3)
    ->Name("Generate/R3")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(R4)
    ->Name("Generate/R4")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(R7)
    ->Name("Generate/R7")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The pieces of one candidate, for profiling.
void Evaluate(benchmark::State& state) {
    ExpressionEvaluator evaluator;
    for (auto _ : state) benchmark::DoNotOptimize(evaluator.Evaluate("45-75/25*(22-3)+16*7-2+9"));
}
BENCHMARK(Evaluate);

void MatchAndBracket(benchmark::State& state) {
    PatternMatcher matcher;
    for (auto _ : state) {
        matcher.Match(kBracketPattern, "45-75/25+22-3+16*7-2+9");
        int position = 0;
        if (matcher.MatchCount() > 0)
            benchmark::DoNotOptimize(matcher.SubMatchText(1, 1, &position));
    }
}
BENCHMARK(MatchAndBracket);

void Draw(benchmark::State& state) {
    RandomSource random;
    std::vector<std::int32_t> numbers;
    for (auto _ : state) {
        random.DrawDistinctNumbers(9, 1, 100, numbers);
        benchmark::DoNotOptimize(numbers.data());
    }
}
BENCHMARK(Draw);

}  // namespace
}  // namespace suantiji

BENCHMARK_MAIN();
