// Whole-process times of the questions tool over a seeded sample of the request grid a teacher
// can ask for, or of the whole input domain, with how each refusal was decided. Not a Google
// Benchmark: each request is a process of its own, as a click is a whole generation.
// Run: build/bin/grid_bench [--domain] [--count N] [--seed S] [--tool PATH] [-- TOOL_OPTIONS]
// (--count 0: the whole grid)
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "generation/question_generator.h"

extern char** environ;

namespace {

struct GridRequest {
    int operands;
    std::string operators;
    std::int32_t numberLimit;
    std::int32_t answerLimit;
    int brackets;  // 0 none, 1 mixed, 2 only, 3 both
};

// Operands 2 to 9, every non-empty set of operators, number limits 10 to 1000, answer limits
// at least half the number limit, and each bracket option the request check allows.
std::vector<GridRequest> grid() {
    std::vector<GridRequest> all;
    for (int n = 2; n <= 9; ++n) {
        for (int mask = 1; mask < 16; ++mask) {
            std::string ops;
            for (int i = 0; i < 4; ++i) {
                if (mask >> i & 1) ops += "+-*/"[i];
            }
            const bool product = ops.find_first_of("*/") != std::string::npos;
            const bool sum = ops.find_first_of("+-") != std::string::npos;
            for (int numbers : {10, 20, 50, 100, 1000}) {
                for (int answers : {10, 20, 50, 100, 1000}) {
                    if (2 * answers < numbers) continue;
                    for (int b = 0; b < 3; ++b) {
                        if (b == 2 && !(n >= 3 && product && sum)) continue;
                        all.push_back({n, ops, numbers, answers, b});
                    }
                }
            }
        }
    }
    return all;
}

// Requests from everything the window and the tool accept: 2 to 9 operands, any set of
// operators, any bracket option, number limits log-uniform from 1 to 100,000 (numbers beyond
// 32768 cannot be drawn) with one in ten 0 or negative, and answer limits log-uniform from 1 to
// 2^31 - 1 with one in fifty 0 or negative.
std::vector<GridRequest> domainSample(std::size_t count, std::mt19937& random) {
    auto logUniform = [&random](double most) {
        const double x =
            std::exp(std::uniform_real_distribution<double>(0, std::log(most))(random));
        return static_cast<std::int32_t>(std::min(x, most));
    };
    auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    std::vector<GridRequest> all;
    for (std::size_t i = 0; i < count; ++i) {
        GridRequest r;
        r.operands = 2 + below(8);
        const int mask = 1 + below(15);
        for (int k = 0; k < 4; ++k) {
            if (mask >> k & 1) r.operators += "+-*/"[k];
        }
        const int special = below(20);
        r.numberLimit = special == 0 ? 0 : special == 1 ? -logUniform(100000) : logUniform(100000);
        r.answerLimit = below(50) == 0 ? 1 - logUniform(1000) : logUniform(2147483647.0);
        r.brackets = below(4);
        all.push_back(r);
    }
    return all;
}

std::vector<std::string> arguments(const std::string& tool, const GridRequest& r) {
    std::vector<std::string> args{tool,
                                  "--operands",
                                  std::to_string(r.operands),
                                  "--operators",
                                  r.operators,
                                  "--number-limit",
                                  std::to_string(r.numberLimit),
                                  "--answer-limit",
                                  std::to_string(r.answerLimit)};
    if (r.brackets & 1) args.emplace_back("--mixed-brackets");
    if (r.brackets & 2) args.emplace_back("--brackets-only");
    return args;
}

std::string describe(const GridRequest& r) {
    static const char* const kBrackets[] = {"none", "mixed", "only", "both"};
    return std::to_string(r.operands) + " " + r.operators + " " + std::to_string(r.numberLimit) +
           " " + std::to_string(r.answerLimit) + " " + kBrackets[r.brackets];
}

struct Run {
    int status = -1;
    double seconds = 0;
    std::string err;
    int lines = 0;
};

// Runs the tool with its output in files, and times it from spawn to exit.
Run run(const std::vector<std::string>& args) {
    Run result;
    char outName[] = "/tmp/grid_bench_outXXXXXX";
    char errName[] = "/tmp/grid_bench_errXXXXXX";
    const int out = mkstemp(outName);
    const int err = mkstemp(errName);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    auto slurp = [](int fd) {
        std::string text;
        char buffer[4096];
        lseek(fd, 0, SEEK_SET);
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
        close(fd);
        return text;
    };
    const std::string text = slurp(out);
    result.err = slurp(err);
    result.lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    unlink(outName);
    unlink(errName);
    return result;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t count = 400;
    unsigned seed = 21;
    bool domain = false;
    std::string tool;
    std::vector<std::string> toolOptions;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--") {
            toolOptions.assign(argv + i + 1, argv + argc);
            break;
        }
        if (option == "--domain") {
            domain = true;
            continue;
        }
        if (i + 1 == argc) break;
        if (option == "--count") count = std::strtoul(argv[++i], nullptr, 10);
        if (option == "--seed") seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        if (option == "--tool") tool = argv[++i];
    }
    if (tool.empty()) {
        // The tool beside this benchmark.
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        tool = std::string(self, n > 0 ? static_cast<std::size_t>(n) : 0);
        tool = tool.substr(0, tool.find_last_of('/') + 1) + "questions";
    }

    std::mt19937 random(seed);
    std::vector<GridRequest> requests;
    if (domain) {
        requests = domainSample(count == 0 ? 1000 : count, random);
    } else {
        requests = grid();
        if (count != 0 && count < requests.size()) {
            std::shuffle(requests.begin(), requests.end(), random);
            requests.resize(count);
        }
    }
    std::string extra;
    for (const std::string& o : toolOptions) extra += " " + o;
    std::printf("%zu requests of 100 questions from the %s (seed %u), tool %s%s\n", requests.size(),
                domain ? "whole domain" : "grid", seed, tool.c_str(), extra.c_str());

    std::vector<double> all;
    std::vector<double> served;
    std::vector<std::pair<double, std::string>> slowest;
    std::vector<double> refusedTimes;
    int byCheck = 0;
    int bySearch = 0;
    int byBudget = 0;
    int other = 0;
    for (const GridRequest& r : requests) {
        std::vector<std::string> args = arguments(tool, r);
        args.insert(args.end(), toolOptions.begin(), toolOptions.end());
        const Run result = run(args);
        all.push_back(result.seconds);
        slowest.emplace_back(result.seconds, describe(r));
        suantiji::GenerationRequest request;
        request.operandCount = r.operands;
        request.operators.clear();
        for (char op : r.operators) request.operators.emplace_back(1, op);
        request.numberLimit = r.numberLimit;
        request.answerLimit = r.answerLimit;
        request.mixedBrackets = (r.brackets & 1) != 0;
        request.bracketsOnly = (r.brackets & 2) != 0;
        if (result.status == 0 && result.lines == 100) {
            served.push_back(result.seconds);
            continue;
        }
        refusedTimes.push_back(result.seconds);
        const char* how = "other";
        if (result.status == 2 &&
            suantiji::CheckRequest(request) != suantiji::RequestProblem::None) {
            how = "request check";
            ++byCheck;
        } else if (result.status == 2 && result.err.find("没有这样的题目") != std::string::npos) {
            how = "search proof";
            ++bySearch;
        } else if (result.status == 2 &&
                   result.err.find(suantiji::ProblemMessage(
                       suantiji::RequestProblem::BudgetExhausted)) != std::string::npos) {
            how = "budget";
            ++byBudget;
        } else {
            ++other;
        }
        if (std::strcmp(how, "request check") != 0) {
            std::printf("  refused by %s in %.3f s: %s\n", how, result.seconds,
                        describe(r).c_str());
        }
    }
    // The five slowest, and every other one over the p99 target.
    std::sort(slowest.rbegin(), slowest.rend());
    for (std::size_t i = 0; i < slowest.size() && (i < 5 || slowest[i].first > 0.15); ++i) {
        std::printf("  slow: %.1f ms: %s\n", 1e3 * slowest[i].first, slowest[i].second.c_str());
    }
    const auto late = std::count_if(all.begin(), all.end(), [](double s) { return s > 0.5; });
    std::printf("served %zu: p50 %.1f ms, p99 %.1f ms, worst %.1f ms\n", served.size(),
                1e3 * percentile(served, 0.5), 1e3 * percentile(served, 0.99),
                1e3 * percentile(served, 1.0));
    std::printf(
        "refused %zu: %d by the request check, %d by the search's proof, %d by the "
        "budget, %d otherwise; p50 %.1f ms, worst %.1f ms\n",
        refusedTimes.size(), byCheck, bySearch, byBudget, other,
        1e3 * percentile(refusedTimes, 0.5), 1e3 * percentile(refusedTimes, 1.0));
    std::printf("all %zu: p50 %.1f ms, p99 %.1f ms, worst %.1f ms, %td over 500 ms\n", all.size(),
                1e3 * percentile(all, 0.5), 1e3 * percentile(all, 0.99), 1e3 * percentile(all, 1.0),
                late);
    return byBudget + other + late == 0 ? 0 : 1;
}
