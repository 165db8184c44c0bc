#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace suantiji {

// Operands a question can have.
inline constexpr int kMinOperandCount = 2;
inline constexpr int kMaxOperandCount = 9;

// The user's choices for one sheet, read fresh at every generation.
struct GenerationRequest {
    std::int32_t operandCount = 4;
    // Enabled operators, always in the order "+", "-", "*", "/".
    std::vector<std::string> operators{"+", "-"};
    std::int32_t numberLimit = 100;
    std::int32_t answerLimit = 1000;
    std::int32_t questionCount = 100;
    bool showAnswers = false;
    bool mixedBrackets = false;
    bool bracketsOnly = false;
    bool gridLines = false;
    // Beyond the plain sheet, both off by default: every step of a question, worked as a pupil
    // works it, a whole number not below zero; and no question twice while another exists.
    bool wholeSteps = false;
    bool noRepeats = false;
};

// One accepted question: the expression exactly as evaluated (ASCII operators) and the
// evaluator's answer text.
struct Question {
    std::string expression;
    std::string answer;

    bool operator==(const Question&) const = default;
};

}  // namespace suantiji
