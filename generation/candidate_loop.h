#pragma once

#include <cstdint>
#include <vector>

#include "generation/generation_request.h"
#include "generation/random.h"
#include "generation/run_clock.h"
#include "services/expression_evaluator.h"
#include "services/pattern_matcher.h"

namespace suantiji {

enum class LoopEnd { Full, HandOver, OutOfTime, Failed };

// The candidate loop: draws candidates, brackets them, evaluates them and keeps those the
// acceptance rule keeps, until `questions` holds questionCount of them, the clock says to hand
// over or stop, or a service fails. `candidates` counts every candidate built.
LoopEnd RunCandidateLoop(const GenerationRequest& request, PatternMatcher& matcher,
                         ExpressionEvaluator& evaluator, RandomSource& random, RunClock& clock,
                         bool mayHandOver, std::vector<Question>& questions,
                         std::uint64_t& candidates);

}  // namespace suantiji
