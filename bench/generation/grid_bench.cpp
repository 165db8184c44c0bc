// Whole-process times of the questions tool over a seeded sample of the request grid a teacher
// can ask for, with how each refusal was decided. Not a Google Benchmark: each request is a
// process of its own, as a click is a whole generation.
// Run: build/bin/grid_bench [--count N] [--seed S] [--tool PATH]   (--count 0: the whole grid)
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
    int numberLimit;
    int answerLimit;
    int brackets;  // 0 none, 1 mixed, 2 only
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
    if (r.brackets == 1) args.emplace_back("--mixed-brackets");
    if (r.brackets == 2) args.emplace_back("--brackets-only");
    return args;
}

std::string describe(const GridRequest& r) {
    static const char* const kBrackets[] = {"none", "mixed", "only"};
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
    std::string tool;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--count") count = std::strtoul(argv[i + 1], nullptr, 10);
        if (option == "--seed")
            seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        if (option == "--tool") tool = argv[i + 1];
    }
    if (tool.empty()) {
        // The tool beside this benchmark.
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        tool = std::string(self, n > 0 ? static_cast<std::size_t>(n) : 0);
        tool = tool.substr(0, tool.find_last_of('/') + 1) + "questions";
    }

    std::vector<GridRequest> requests = grid();
    if (count != 0 && count < requests.size()) {
        std::mt19937 random(seed);
        std::shuffle(requests.begin(), requests.end(), random);
        requests.resize(count);
    }
    std::printf("%zu requests of 100 questions (seed %u), tool %s\n", requests.size(), seed,
                tool.c_str());

    std::vector<double> served;
    std::vector<std::pair<double, std::string>> slowest;
    std::vector<double> refusedTimes;
    int byCheck = 0;
    int bySearch = 0;
    int byBudget = 0;
    int other = 0;
    for (const GridRequest& r : requests) {
        const Run result = run(arguments(tool, r));
        suantiji::GenerationRequest request;
        request.operandCount = r.operands;
        request.operators.clear();
        for (char op : r.operators) request.operators.emplace_back(1, op);
        request.numberLimit = r.numberLimit;
        request.answerLimit = r.answerLimit;
        request.mixedBrackets = r.brackets == 1;
        request.bracketsOnly = r.brackets == 2;
        if (result.status == 0 && result.lines == 100) {
            served.push_back(result.seconds);
            slowest.emplace_back(result.seconds, describe(r));
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
    std::sort(slowest.rbegin(), slowest.rend());
    for (std::size_t i = 0; i < std::min<std::size_t>(5, slowest.size()); ++i) {
        std::printf("  slow: %.1f ms: %s\n", 1e3 * slowest[i].first, slowest[i].second.c_str());
    }
    std::printf("served %zu: p50 %.1f ms, p99 %.1f ms, worst %.1f ms\n", served.size(),
                1e3 * percentile(served, 0.5), 1e3 * percentile(served, 0.99),
                1e3 * percentile(served, 1.0));
    std::printf(
        "refused %zu: %d by the request check, %d by the search's proof, %d by the "
        "budget, %d otherwise; p50 %.1f ms, worst %.1f ms\n",
        refusedTimes.size(), byCheck, bySearch, byBudget, other,
        1e3 * percentile(refusedTimes, 0.5), 1e3 * percentile(refusedTimes, 1.0));
    return byBudget + other == 0 ? 0 : 1;
}
