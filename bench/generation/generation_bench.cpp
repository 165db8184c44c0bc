// Time to generate one full list per request, and the cost of one candidate through the real
// service classes (Generate/Rn) and in a tight hand-written loop (Tight/Rn), side by side in
// one run. Run: build/bin/generation_bench --benchmark_filter=/R
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "generation/candidate.h"
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

// Candidates per list, and the time per candidate, for either loop.
void reportCandidates(benchmark::State& state, double candidates) {
    state.counters["candidates"] =
        benchmark::Counter(candidates, benchmark::Counter::kAvgIterations);
    state.counters["per_candidate"] =
        benchmark::Counter(candidates, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void generate(benchmark::State& state, const GenerationRequest& r) {
    double candidates = 0;
    RandomSource random;
    for (auto _ : state) {
        // As a click does it: services made per list, the matcher released first.
        auto matcher = std::make_unique<PatternMatcher>();
        ExpressionEvaluator evaluator;
        // The loop alone: these figures are the cost of its candidates, and a rare request
        // would otherwise be handed to the search.
        GenerationOutcome outcome = GenerateQuestions(r, *matcher, evaluator, random,
                                                      std::chrono::seconds(60), Strategy::LoopOnly);
        matcher.reset();
        if (outcome.problem != RequestProblem::None) {
            state.SkipWithError(ProblemMessage(outcome.problem).c_str());
            break;
        }
        candidates += static_cast<double>(outcome.candidates);
        benchmark::DoNotOptimize(outcome.questions.data());
    }
    reportCandidates(state, candidates);
}

// The yardstick: a tight hand-written loop over the same request, with no service layer.
// Operands and operators are drawn the same way (one counter reading each), the bracket
// places are found in the operator list, the value is worked out in the same order of
// double operations, and only accepted questions are written out as text.
struct Tight {
    const GenerationRequest& r;
    RandomSource& random;
    std::vector<std::int32_t> numbers;
    char ops[kMaxOperandCount]{};
    int first = -1, second = -1;  // operator index of each pair's "*" or "/", or -1

    // Whether a pair's "(" stands before operand i.
    bool opens(int i) const {
        return (first >= 0 && i == first + 1) || (second >= 0 && i == second + 1);
    }
    static bool isProduct(char op) { return op == '*' || op == '/'; }
    static bool isSum(char op) { return op == '+' || op == '-'; }

    void build() {
        random.DrawDistinctNumbers(r.operandCount, 1, r.numberLimit, numbers);
        const auto m = static_cast<std::int32_t>(r.operators.size());
        for (int i = 0; i + 1 < r.operandCount; ++i) {
            ops[i] = r.operators[static_cast<std::size_t>(random.RandomInRange(1, m) - 1)][0];
        }
    }
    // The leftmost number, "*" or "/", number, "+" or "-", number from operator `from` on.
    int findPair(int from) const {
        for (int i = from; i + 2 < r.operandCount; ++i) {
            if (isProduct(ops[i]) && isSum(ops[i + 1])) return i;
        }
        return -1;
    }
    static double apply(double a, char op, double b) {
        switch (op) {
            case '+':
                return a + b;
            case '-':
                return a - b;
            case '*':
                return a * b;
            default:
                return a / b;
        }
    }
    double value() const {
        double sum = 0, term = 0;
        char sumOp = '+';
        char termOp = '*';
        bool termStarted = false;
        for (int i = 0; i < r.operandCount; ++i) {
            double operand = numbers[static_cast<std::size_t>(i)];
            if (opens(i)) {
                operand = apply(operand, ops[i], numbers[static_cast<std::size_t>(i + 1)]);
                ++i;
            }
            term = termStarted ? apply(term, termOp, operand) : operand;
            termStarted = true;
            const char next = i + 1 < r.operandCount ? ops[i] : '+';
            if (isSum(next)) {
                sum = sumOp == '+' ? sum + term : sum - term;
                sumOp = next;
                termStarted = false;
            } else {
                termOp = next;
            }
        }
        return sum;
    }
    std::string text() const {
        char buffer[128];
        char* p = buffer;
        for (int i = 0; i < r.operandCount; ++i) {
            if (opens(i)) *p++ = '(';
            p = std::to_chars(p, buffer + sizeof buffer, numbers[static_cast<std::size_t>(i)]).ptr;
            if (i > 0 && opens(i - 1)) *p++ = ')';
            if (i + 1 < r.operandCount) *p++ = ops[i];
        }
        return std::string(buffer, p);
    }
};

void tightLoop(benchmark::State& state, const GenerationRequest& r) {
    double candidates = 0;
    RandomSource random;
    for (auto _ : state) {
        Tight t{r, random, {}};
        std::vector<Question> questions;
        questions.reserve(static_cast<std::size_t>(r.questionCount));
        while (questions.size() < static_cast<std::size_t>(r.questionCount)) {
            t.build();
            ++candidates;
            t.first = t.second = -1;
            // Either option looks at this candidate first; only a miss under bracketsOnly
            // draws again.
            if (r.mixedBrackets || r.bracketsOnly) t.first = t.findPair(0);
            if (r.bracketsOnly) {
                if (r.mixedBrackets && t.first >= 0) t.second = t.findPair(t.first + 3);
                while (t.first < 0) {
                    t.build();
                    ++candidates;
                    t.first = t.findPair(0);
                }
            }
            const double v = t.value();
            // Whole at 15 significant digits, then in range.
            const double whole = std::nearbyint(v);
            if (std::fabs(v - whole) > std::fabs(v) * 1e-14) continue;
            if (whole < 0 || whole >= r.answerLimit) continue;
            char answer[24];
            const auto end =
                std::to_chars(answer, answer + sizeof answer, static_cast<std::int64_t>(whole)).ptr;
            questions.push_back({t.text(), std::string(answer, end)});
        }
        benchmark::DoNotOptimize(questions.data());
    }
    reportCandidates(state, candidates);
}

struct NamedRequest {
    const char* id;
    GenerationRequest request;
};

// Each request through the real services and through the yardstick, side by side.
const bool kRegistered = [] {
    const NamedRequest requests[] = {
        {"R1", request(4, {"+", "-"}, 1000, false, false)},
        {"R2", request(4, {"+", "-", "*", "/"}, 1000, true, false)},
        {"R3", request(6, {"+", "-", "*", "/"}, 100, false, true)},
        {"R4", request(9, {"+", "-", "*", "/"}, 10, true, true)},
        {"R7", request(3, {"-"}, 1, false, false)},
    };
    for (const NamedRequest& r : requests) {
        for (const auto& [loop, run] :
             {std::pair{"Generate/", &generate}, {"Tight/", &tightLoop}}) {
            benchmark::RegisterBenchmark((std::string(loop) + r.id).c_str(), run, r.request)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
        }
    }
    return true;
}();

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
