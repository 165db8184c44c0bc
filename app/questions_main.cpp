// Prints generated questions for a request given as options, one "expression=answer" a line.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "generation/question_generator.h"

namespace {

constexpr const char* kUsage =
    "usage: questions [--operands N] [--operators OPS] [--number-limit N] [--answer-limit N] "
    "[--count N] [--mixed-brackets] [--brackets-only] [--whole-steps] [--no-repeats]";

int usageError(const std::string& message) {
    std::fprintf(stderr, "questions: %s\n", message.c_str());
    return 2;
}

bool parseInteger(std::string_view text, std::int32_t& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// The flags that switch an option on, and the options that take a whole number.
bool flag(std::string_view option, suantiji::GenerationRequest& request) {
    bool* const target = option == "--mixed-brackets"  ? &request.mixedBrackets
                         : option == "--brackets-only" ? &request.bracketsOnly
                         : option == "--whole-steps"   ? &request.wholeSteps
                         : option == "--no-repeats"    ? &request.noRepeats
                                                       : nullptr;
    if (target != nullptr) *target = true;
    return target != nullptr;
}

std::int32_t* number(std::string_view option, suantiji::GenerationRequest& request) {
    return option == "--operands"       ? &request.operandCount
           : option == "--number-limit" ? &request.numberLimit
           : option == "--answer-limit" ? &request.answerLimit
           : option == "--count"        ? &request.questionCount
                                        : nullptr;
}

// Reads the options into `request`; an exit code when the tool is to end at once, else -1.
int readOptions(int argc, char** argv, suantiji::GenerationRequest& request) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            std::printf("%s\n", kUsage);
            return 0;
        }
        if (flag(option, request)) continue;
        std::int32_t* const value = number(option, request);
        if (value == nullptr && option != "--operators") {
            return usageError("unknown option " + std::string(option) + "; " + kUsage);
        }
        if (i + 1 >= argc) return usageError(std::string(option) + " needs a value");
        const std::string_view text = argv[++i];
        if (value != nullptr) {
            if (!parseInteger(text, *value)) {
                return usageError(std::string(option) + " needs a whole number, not \"" +
                                  std::string(text) + "\"");
            }
            continue;
        }
        if (text.find_first_not_of("+-*/") != std::string_view::npos) {
            return usageError("--operators takes only the characters + - * /, not \"" +
                              std::string(text) + "\"");
        }
        request.operators.clear();
        for (const char* op : {"+", "-", "*", "/"}) {
            if (text.find(op[0]) != std::string_view::npos) request.operators.emplace_back(op);
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    suantiji::GenerationRequest request;
    if (const int exitCode = readOptions(argc, argv, request); exitCode >= 0) return exitCode;

    // The services are made in the window's order and the matcher goes first at the end.
    auto matcher = std::make_unique<suantiji::PatternMatcher>();
    suantiji::ExpressionEvaluator evaluator;
    suantiji::RandomSource random;
    const suantiji::GenerationOutcome outcome =
        suantiji::GenerateQuestions(request, *matcher, evaluator, random);
    matcher.reset();
    if (outcome.problem != suantiji::RequestProblem::None) {
        return usageError(suantiji::ProblemMessage(outcome.problem));
    }
    std::string out;
    for (const suantiji::Question& q : outcome.questions) {
        out += q.expression;
        out += '=';
        out += q.answer;
        out += '\n';
    }
    // A full disk or a closed pipe must not pass for an empty list.
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "questions: cannot write the questions: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
