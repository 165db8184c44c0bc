#pragma once

#include <cstdint>
#include <string>

#include "generation/generation_request.h"
#include "services/automation.h"

namespace suantiji {

// The acceptance rule for an answer text: plain digits (a leading "-" allowed), no ".", and a
// value from 0 to below answerLimit. An empty text is a failed evaluation, never 0.
bool IsAcceptedAnswer(const std::string& answer, std::int32_t answerLimit);

// What the acceptance rule makes of one evaluation result.
enum class Acceptance { Accepted, Rejected, Failed };

// The acceptance rule applied to the evaluator's result before it becomes text; `answer`
// receives the text of an accepted result. A number that cannot read as a whole answer in
// range, even once rounded to 15 significant digits, is rejected without being written out;
// any other result is written and judged by IsAcceptedAnswer, so the outcome is the same as
// judging every text. Failed: the call failed (an empty value) or gave an empty text.
Acceptance AcceptValue(AutomationValue&& value, std::int32_t answerLimit, std::string& answer);

// The whole rule for candidate q and its evaluation: the text rule, then the exact value, with
// whole steps where the request asks for them (exact_value.h).
Acceptance AcceptCandidate(const std::string& q, AutomationValue&& value,
                           const GenerationRequest& request, std::string& answer);

}  // namespace suantiji
