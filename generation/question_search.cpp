#include "generation/question_search.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "generation/random.h"
#include "generation/shape_solver.h"

namespace suantiji {

namespace {

// Work given to a shape's first search; each time it runs out, the next one gets twice as
// much, so every shape is searched to its end in the long run.
constexpr std::uint64_t kFirstWork = 4096;

}  // namespace

std::uint64_t SearchRandom::Next() {
    m_state += 0x9e3779b97f4a7c15ULL;
    return MixCounter(m_state);
}

std::uint32_t SearchRandom::Below(std::uint32_t bound) {
    return static_cast<std::uint32_t>((Next() >> 32) * bound >> 32);
}

QuestionSearch::QuestionSearch(const GenerationRequest& request, std::uint64_t seed)
    : m_request(request),
      m_largest(static_cast<std::int32_t>(RandomSource::ReachableValues(1, request.numberLimit))),
      m_random(seed),
      m_proofWork(kFirstWork) {
    const int slots = request.operandCount - 1;
    const auto kinds = static_cast<std::uint32_t>(request.operators.size());
    std::uint32_t shapes = 1;
    for (int i = 0; i < slots; ++i) shapes *= kinds;
    m_tries.assign(shapes, 0);
    m_finds.assign(shapes, 0);
    for (std::uint32_t s = 0; s < shapes; ++s) {
        // Under bracketsOnly a candidate without a pair is never kept.
        if (!request.bracketsOnly || shapeAt(s).firstPair >= 0) m_live.push_back(s);
    }
}

double QuestionSearch::score(std::uint32_t index) const {
    return (m_finds[index] + 1.0) / (m_tries[index] + 2.0);
}

CandidateShape QuestionSearch::shapeAt(std::uint32_t index) const {
    CandidateShape shape;
    shape.operands = m_request.operandCount;
    const auto kinds = static_cast<std::uint32_t>(m_request.operators.size());
    for (int i = 0; i + 1 < shape.operands; ++i) {
        shape.ops[static_cast<std::size_t>(i)] = m_request.operators[index % kinds][0];
        index /= kinds;
    }
    PlacePairs(shape, m_request.mixedBrackets, m_request.bracketsOnly);
    return shape;
}

QuestionSearch::Result QuestionSearch::Sample(std::uint64_t nodes, CandidateShape& shape,
                                              std::int32_t* numbers) {
    if (m_live.empty()) return Result::NoneLeft;
    // Mostly a shape that has found questions before, else any shape still alive; of two
    // random ones, the one whose searches have found more for their work. Shapes where
    // questions are easy to reach get most turns, and every shape keeps some.
    const std::vector<std::uint32_t>& from =
        !m_productive.empty() && m_random.Below(4) != 0 ? m_productive : m_live;
    const auto size = static_cast<std::uint32_t>(from.size());
    std::uint32_t index = from[m_random.Below(size)];
    const std::uint32_t other = from[m_random.Below(size)];
    if (score(other) > score(index)) index = other;
    ++m_tries[index];
    return search(index, nodes, sampleScale(), true, shape, numbers);
}

QuestionSearch::Result QuestionSearch::search(std::uint32_t index, std::uint64_t& nodes,
                                              std::int32_t scale, bool guided,
                                              CandidateShape& shape, std::int32_t* numbers) {
    shape = shapeAt(index);
    ShapeSolver solver(shape, limits(), guided, m_random, &m_stop);
    const ShapeSolver::Visit take = [&](const std::int32_t* found) {
        std::copy(found, found + shape.operands, numbers);
        return false;
    };
    const ShapeSolver::End end = solver.Run(nodes, scale, take);
    nodes = solver.WorkLeft();
    switch (end) {
        case ShapeSolver::End::Stopped:
            solver.Shuffle(numbers);
            if (m_finds[index]++ == 0) m_productive.push_back(index);
            return Result::Found;
        case ShapeSolver::End::Exhausted:
            // Only a search over every value proves that the shape has no question.
            if (scale < m_largest) return Result::OutOfWork;
            m_live.erase(std::find(m_live.begin(), m_live.end(), index));
            return m_live.empty() ? Result::NoneLeft : Result::OutOfWork;
        case ShapeSolver::End::OutOfWork:
            break;
    }
    return Result::OutOfWork;
}

QuestionSearch::Result QuestionSearch::Prove(CandidateShape& shape, std::int32_t* numbers) {
    if (m_live.empty()) return Result::NoneLeft;
    if (m_proofCursor >= m_live.size()) {
        m_proofCursor = 0;
        m_proofWork *= 2;
    }
    std::uint64_t work = m_proofWork;
    const std::size_t live = m_live.size();
    const Result result = search(m_live[m_proofCursor], work, m_largest, false, shape, numbers);
    // A retired shape's place now holds the next one, whose turn it is.
    if (m_live.size() == live) ++m_proofCursor;
    return result;
}

QuestionSearch::Result QuestionSearch::Seek(CandidateShape& shape, std::int32_t* numbers) {
    return ++m_seekTurn % 4 == 0 ? Sample(kSampleWork, shape, numbers) : Prove(shape, numbers);
}

QuestionSearch::Result QuestionSearch::ForEach(std::uint64_t nodes, const Visitor& visit) {
    std::sort(m_live.begin(), m_live.end());
    for (std::size_t slot = 0; slot < m_live.size();) {
        const CandidateShape shape = shapeAt(m_live[slot]);
        ShapeSolver solver(shape, limits(), false, m_random, &m_stop);
        bool any = false;
        // The worked-out operand is in no order with the others, so two found questions can
        // share some of their orders.
        std::set<std::array<std::int32_t, kMaxOperandCount>> seen;
        const ShapeSolver::Visit each = [&](const std::int32_t* found) {
            any = true;
            return solver.ForEachOrder(found, [&](const std::int32_t* numbers) {
                std::array<std::int32_t, kMaxOperandCount> key{};
                std::copy(numbers, numbers + shape.operands, key.begin());
                return !seen.insert(key).second || visit(shape, numbers);
            });
        };
        const ShapeSolver::End end = solver.Run(nodes, m_largest, each);
        nodes = solver.WorkLeft();
        if (end != ShapeSolver::End::Exhausted) return Result::OutOfWork;
        if (!any) {
            m_live.erase(m_live.begin() + static_cast<std::ptrdiff_t>(slot));
        } else {
            ++slot;
        }
    }
    return Result::NoneLeft;
}

SolverLimits QuestionSearch::limits() const {
    return {m_largest, m_request.answerLimit, m_request.wholeSteps};
}

// Most searches take every value; the others only small ones, among which the questions of a
// narrow request (sums of quotients that come to a small whole number, say) are far denser.
std::int32_t QuestionSearch::sampleScale() {
    if (m_largest <= 16 || m_random.Below(2) == 0) return m_largest;
    const double span = std::log(static_cast<double>(m_largest) / 16);
    const double scale = 16 * std::exp(span * (m_random.Below(1 << 20) / double(1 << 20)));
    return static_cast<std::int32_t>(std::min<double>(scale, m_largest));
}

}  // namespace suantiji
