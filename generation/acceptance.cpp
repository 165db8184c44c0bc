#include "generation/acceptance.h"

#include <cmath>

#include "generation/exact_value.h"

namespace suantiji {

bool IsAcceptedAnswer(const std::string& answer, std::int32_t answerLimit) {
    if (answer.empty()) return false;
    const std::size_t digitsFrom = answer[0] == '-' ? 1 : 0;
    if (digitsFrom == answer.size()) return false;
    for (std::size_t i = digitsFrom; i < answer.size(); ++i) {
        // Rules out ".", exponents and the texts for infinity and NaN.
        if (answer[i] < '0' || answer[i] > '9') return false;
    }
    // Plain ASCII digits now: no folding needed. Stops once past the limit, so answers beyond
    // 32 bits (and beyond 64) never wrap into range.
    std::int64_t value = 0;
    for (std::size_t i = digitsFrom; i < answer.size(); ++i) {
        value = value * 10 + (answer[i] - '0');
        if (value >= answerLimit) return false;
    }
    return digitsFrom == 0 || value == 0;
}

Acceptance AcceptValue(AutomationValue&& value, std::int32_t answerLimit, std::string& answer) {
    if (value.isEmpty()) return Acceptance::Failed;  // the call failed
    if (const double* number = value.number()) {
        // Most candidates end here, before their text is made. Rounding to 15 significant
        // digits moves a value below 10^10 by at most 5e-6, so one farther than 1e-5 from a
        // whole number keeps its "."; outside [-1, limit + 1] the text is negative, at or
        // past the limit, or not a plain number (NaN fails both comparisons).
        const double v = *number;
        if (!(v >= -1 && v <= static_cast<double>(answerLimit) + 1)) return Acceptance::Rejected;
        // The nearest whole number, by conversion rather than a library call: v + 1.5 is
        // positive here, and where its rounding moves the floor, v is half way between two.
        const double nearest = static_cast<double>(static_cast<std::int64_t>(v + 1.5)) - 1;
        if (std::fabs(v - nearest) > 1e-5) return Acceptance::Rejected;
    }
    detail::AssignText(std::move(value), answer);
    if (answer.empty()) return Acceptance::Failed;
    return IsAcceptedAnswer(answer, answerLimit) ? Acceptance::Accepted : Acceptance::Rejected;
}

Acceptance AcceptCandidate(const std::string& q, AutomationValue&& value,
                           const GenerationRequest& request, std::string& answer) {
    const Acceptance acceptance = AcceptValue(std::move(value), request.answerLimit, answer);
    // Exact arithmetic only for what the text rule kept: the loop costs what it did.
    if (acceptance == Acceptance::Accepted &&
        !IsExactAnswer(q, answer, request.answerLimit, request.wholeSteps)) {
        return Acceptance::Rejected;
    }
    return acceptance;
}

}  // namespace suantiji
