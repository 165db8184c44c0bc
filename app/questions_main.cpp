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

}  // namespace

int main(int argc, char** argv) {
    suantiji::GenerationRequest request;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            std::printf("%s\n", kUsage);
            return 0;
        }
        if (option == "--mixed-brackets") {
            request.mixedBrackets = true;
            continue;
        }
        if (option == "--brackets-only") {
            request.bracketsOnly = true;
            continue;
        }
        if (option == "--whole-steps") {
            request.wholeSteps = true;
            continue;
        }
        if (option == "--no-repeats") {
            request.noRepeats = true;
            continue;
        }
        std::int32_t* number = nullptr;
        if (option == "--operands") {
            number = &request.operandCount;
        } else if (option == "--number-limit") {
            number = &request.numberLimit;
        } else if (option == "--answer-limit") {
            number = &request.answerLimit;
        } else if (option == "--count") {
            number = &request.questionCount;
        } else if (option != "--operators") {
            return usageError("unknown option " + std::string(option) + "; " + kUsage);
        }
        if (i + 1 >= argc) return usageError(std::string(option) + " needs a value");
        const std::string_view value = argv[++i];
        if (number != nullptr) {
            if (!parseInteger(value, *number)) {
                return usageError(std::string(option) + " needs a whole number, not \"" +
                                  std::string(value) + "\"");
            }
            continue;
        }
        for (char c : value) {
            if (std::strchr("+-*/", c) == nullptr || c == '\0') {
                return usageError("--operators takes only the characters + - * /, not \"" +
                                  std::string(value) + "\"");
            }
        }
        request.operators.clear();
        for (const char* op : {"+", "-", "*", "/"}) {
            if (value.find(op[0]) != std::string_view::npos) request.operators.emplace_back(op);
        }
    }

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
