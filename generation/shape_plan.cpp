#include "generation/shape_plan.h"

#include <algorithm>

namespace suantiji {

namespace {

bool isSum(char op) { return op == '+' || op == '-'; }

void compile(const CandidateShape& shape, ShapePlan& plan) {
    char sign = '+';
    char joined = 0;  // 0: the next operand starts a term
    for (int i = 0; i < shape.operands; ++i) {
        if (joined == 0) {
            plan.terms.push_back({sign == '+' ? 1 : -1, static_cast<int>(plan.factors.size()), 0});
            joined = '*';
        }
        const int term = static_cast<int>(plan.terms.size()) - 1;
        Factor f{i, -1, 0, joined};
        if (shape.opens(i)) {
            f.second = i + 1;
            f.op = shape.ops[static_cast<std::size_t>(i)];
            plan.factorOf[i] = static_cast<int>(plan.factors.size());
            plan.termOf[i] = term;
            ++i;
        }
        plan.factorOf[i] = static_cast<int>(plan.factors.size());
        plan.termOf[i] = term;
        plan.terms.back().divides = plan.terms.back().divides || joined == '/';
        plan.factors.push_back(f);
        plan.terms.back().endFactor = static_cast<int>(plan.factors.size());
        const char next = i + 1 < shape.operands ? shape.ops[static_cast<std::size_t>(i)] : '+';
        if (isSum(next)) {
            sign = next;
            joined = 0;
        } else {
            joined = next;
        }
    }
    plan.onlyAddsAndMultiplies = true;
    for (int i = 0; i + 1 < shape.operands; ++i) {
        const char op = shape.ops[static_cast<std::size_t>(i)];
        plan.onlyAddsAndMultiplies = plan.onlyAddsAndMultiplies && (op == '+' || op == '*');
    }
}

int pivotTermWithoutSteps(const ShapePlan& plan) {
    const auto termCount = static_cast<int>(plan.terms.size());
    int best = -1;
    int bestDivisors = 0;
    for (int t = 0; t < termCount; ++t) {
        const Term& term = plan.term(t);
        int divisors = 0;
        for (int f = term.firstFactor; f < term.endFactor; ++f) {
            divisors += plan.factor(f).joined == '/' ? 1 : 0;
        }
        if (divisors > 0 && divisors >= bestDivisors) {
            best = t;
            bestDivisors = divisors;
        }
    }
    for (int t = termCount - 1; best < 0 && t >= 0; --t) {
        if (plan.lone(plan.term(t))) best = t;
    }
    return best < 0 ? termCount - 1 : best;
}

void orderWithoutSteps(ShapePlan& plan) {
    plan.pivotTerm = pivotTermWithoutSteps(plan);
    const Term& pivotTerm = plan.term(plan.pivotTerm);
    plan.pivot = plan.factor(pivotTerm.firstFactor).first;
    int depth = 0;
    for (int i = 0; i < plan.operands; ++i) {
        if (plan.termOf[i] != plan.pivotTerm) plan.order[depth++] = i;
    }
    // In the pivot's term the factors that multiply come first, then those that divide, with a
    // plain one last: it is taken among the multiples the pivot needs.
    auto factorsJoinedBy = [&](char joined) {
        for (int f = pivotTerm.firstFactor + 1; f < pivotTerm.endFactor; ++f) {
            const Factor& factor = plan.factor(f);
            if (factor.joined != joined) continue;
            plan.order[depth++] = factor.first;
            if (!factor.plain()) plan.order[depth++] = factor.second;
        }
    };
    factorsJoinedBy('*');
    const int divisorsFrom = depth;
    factorsJoinedBy('/');
    for (int d = depth - 1; d >= divisorsFrom; --d) {
        if (plan.factorAt(plan.order[d]).plain()) {
            plan.partner = plan.order[d];
            std::rotate(plan.order.begin() + d, plan.order.begin() + d + 1,
                        plan.order.begin() + depth);
            break;
        }
    }
    plan.order[depth] = plan.pivot;
}

void orderWithSteps(ShapePlan& plan) {
    plan.pivotTerm = static_cast<int>(plan.terms.size()) - 1;
    const Term& term = plan.terms.back();
    for (int f = term.firstFactor; f < term.endFactor; ++f) {
        const Factor& factor = plan.factor(f);
        if (factor.plain() && factor.joined == '*') plan.pivot = factor.first;
    }
    int depth = 0;
    for (int i = 0; i < plan.operands; ++i) {
        if (i != plan.pivot) plan.order[depth++] = i;
    }
    plan.order[depth] = plan.pivot;
}

// Gathers groups of exchangeable operands; `runs` ends a group wherever another step stands
// between.
class Grouping {
public:
    explicit Grouping(bool runs) : m_runs(runs) {}

    void addTerm(const ShapePlan& plan, const Term& term) {
        const Factor& first = plan.factor(term.firstFactor);
        const int sign = term.sign > 0 ? 0 : 1;
        if (plan.lone(term)) {
            // A lone number of the other sign ends the run of this one's.
            if (m_runs) flush(m_lone[1 - sign]);
            m_lone[sign].push_back(first.first);
            return;
        }
        if (m_runs) {
            flush(m_lone[0]);
            flush(m_lone[1]);
        }
        std::vector<int> byOperator[2];  // those that multiply, those that divide
        for (int f = term.firstFactor; f < term.endFactor; ++f) {
            const Factor& factor = plan.factor(f);
            const int kind = factor.joined == '*' ? 0 : 1;
            if (m_runs && (!factor.plain() || !byOperator[1 - kind].empty())) {
                flush(byOperator[0]);
                flush(byOperator[1]);
            }
            if (factor.plain()) {
                byOperator[kind].push_back(factor.first);
            } else if (factor.op == '+') {
                m_groups.push_back({factor.first, factor.second});
            }
        }
        flush(byOperator[0]);
        flush(byOperator[1]);
    }

    std::vector<std::vector<int>> finish() {
        flush(m_lone[0]);
        flush(m_lone[1]);
        return std::move(m_groups);
    }

private:
    void flush(std::vector<int>& group) {
        m_groups.push_back(std::move(group));
        group.clear();
    }

    bool m_runs;
    std::vector<int> m_lone[2];  // lone numbers added, taken away
    std::vector<std::vector<int>> m_groups;
};

void findClasses(ShapePlan& plan, bool wholeSteps, bool pivotInClass) {
    plan.classOf.fill(-1);
    Grouping grouping(wholeSteps);
    for (const Term& term : plan.terms) grouping.addTerm(plan, term);
    int depthOf[kMaxOperandCount];
    for (int d = 0; d < plan.operands; ++d) depthOf[plan.order[d]] = d;
    for (std::vector<int>& group : grouping.finish()) {
        if (!pivotInClass) {
            group.erase(std::remove(group.begin(), group.end(), plan.pivot), group.end());
        }
        if (group.size() < 2) continue;
        // Falling in the order they are set: the first set is the largest, which leaves the
        // most room for what follows to cancel it or be cancelled by it.
        std::sort(group.begin(), group.end(),
                  [&](int a, int b) { return depthOf[a] > depthOf[b]; });
        for (int position : group) plan.classOf[position] = static_cast<int>(plan.classes.size());
        plan.classes.push_back(std::move(group));
    }
}

}  // namespace

ShapePlan PlanShape(const CandidateShape& shape, bool wholeSteps, bool pivotInClass) {
    ShapePlan plan;
    plan.operands = shape.operands;
    compile(shape, plan);
    if (wholeSteps) {
        orderWithSteps(plan);
    } else {
        orderWithoutSteps(plan);
    }
    findClasses(plan, wholeSteps, pivotInClass);
    return plan;
}

}  // namespace suantiji
