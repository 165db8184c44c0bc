#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "generation/candidate.h"
#include "generation/generation_request.h"

namespace suantiji {

struct SolverLimits;

// Work for one sampling search: enough for most finds, small enough that a barren start is
// soon left for another.
inline constexpr std::uint64_t kSampleWork = 1024;

// A small fast generator for the search's own choices, seeded once per run.
class SearchRandom {
public:
    explicit SearchRandom(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next();
    // Uniform in [0, bound); bound > 0.
    std::uint32_t Below(std::uint32_t bound);

private:
    std::uint64_t m_state;
};

// Finds candidates that the acceptance rule keeps, for one request, by a depth-first search
// over the operands of each shape (shape_solver.h). Values are judged exactly (as fractions),
// so a question it finds has a truly whole answer; the caller still runs every one through
// the services.
//
// The search is complete: a shape whose search ends without a find has no question at all,
// so when every shape has ended that way, the request admits none.
class QuestionSearch {
public:
    QuestionSearch(const GenerationRequest& request, std::uint64_t seed);

    enum class Result {
        Found,      // `numbers` and `shape` hold a question
        NoneLeft,   // every shape is proven to have no question: the request admits none
        OutOfWork,  // the work given ran out first
    };

    // One attempt: a random shape still alive (mostly one that has found questions, and of
    // those the ones whose searches have found more), searched in a random order of values,
    // some of them among small values only, until a question is found or `nodes` search
    // steps are spent. A shape whose whole search ends without a find is never tried again.
    Result Sample(std::uint64_t nodes, CandidateShape& shape, std::int32_t* numbers);

    // One turn of a search that takes the live shapes in turn, each with twice the work of
    // its previous turn once every shape has had one; a shape whose search ends without a
    // find is retired. Enough turns retire every shape of a request that admits no question.
    Result Prove(CandidateShape& shape, std::int32_t* numbers);

    // One turn of the search for a first question: three in four go to the proof, which finds
    // questions too, the fourth to a sample, which finds hard ones sooner.
    Result Seek(CandidateShape& shape, std::int32_t* numbers);

    // Every question of every live shape, in shape order, until `visit` returns false or the
    // work runs out; OutOfWork then, NoneLeft when all were visited.
    using Visitor = std::function<bool(const CandidateShape&, const std::int32_t*)>;
    Result ForEach(std::uint64_t nodes, const Visitor& visit);

    // Asked now and then during a search; once it says true, the search ends as out of work.
    void StopWhen(std::function<bool()> stop) { m_stop = std::move(stop); }

private:
    CandidateShape shapeAt(std::uint32_t index) const;
    double score(std::uint32_t index) const;
    SolverLimits limits() const;
    std::int32_t sampleScale();
    Result search(std::uint32_t index, std::uint64_t& nodes, std::int32_t scale, bool guided,
                  CandidateShape& shape, std::int32_t* numbers);

    GenerationRequest m_request;
    std::int32_t m_largest;  // operands run from 1 to this
    SearchRandom m_random;
    std::vector<std::uint32_t> m_live;        // shapes not yet proven empty
    std::vector<std::uint32_t> m_productive;  // shapes that have found a question
    std::vector<std::uint32_t> m_tries;       // per shape: sampling searches
    std::vector<std::uint32_t> m_finds;       // per shape: those that found a question
    std::function<bool()> m_stop;
    std::uint32_t m_seekTurn = 0;
    std::size_t m_proofCursor = 0;  // the live shape whose turn it is
    std::uint64_t m_proofWork;      // each shape's work in this round
};

}  // namespace suantiji
