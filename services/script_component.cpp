#include "services/script_component.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace suantiji {

namespace {

enum MemberIds : DispatchId {
    kLanguage = 1,
    kTimeout,
    kState,
    kAllowUI,
    kSitehWnd,
    kEval,
    kExecuteStatement,
    kAddCode,
    kRun,
    kReset,
};

constexpr std::array<std::pair<std::string_view, DispatchId>, 10> kMembers{{
    {"Language", kLanguage},
    {"Timeout", kTimeout},
    {"State", kState},
    {"AllowUI", kAllowUI},
    {"SitehWnd", kSitehWnd},
    {"Eval", kEval},
    {"ExecuteStatement", kExecuteStatement},
    {"AddCode", kAddCode},
    {"Run", kRun},
    {"Reset", kReset},
}};

// Deep enough for any sensible expression, shallow enough that hostile input cannot
// exhaust the stack.
constexpr int kMaxNesting = 256;
constexpr int kMaxCallDepth = 64;

struct Function {
    std::string name;
    std::vector<std::string> parameters;
    std::string body;  // the expression after "return"
};

struct Variable {
    std::string name;
    double value = 0;
};

struct Local {
    std::string_view name;
    double value = 0;
};

bool isIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
}
bool isIdentifierPart(char c) { return isIdentifierStart(c) || (c >= '0' && c <= '9'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

class ScriptState {
public:
    std::vector<Variable> variables;
    std::vector<Function> functions;

    const Function* findFunction(std::string_view name) const {
        for (const Function& f : functions) {
            if (f.name == name) return &f;
        }
        return nullptr;
    }
    Variable* findVariable(std::string_view name) {
        for (Variable& v : variables) {
            if (v.name == name) return &v;
        }
        return nullptr;
    }
    void assign(std::string_view name, double value) {
        if (Variable* v = findVariable(name)) {
            v->value = value;
        } else {
            variables.push_back(Variable{std::string(name), value});
        }
    }
};

// A factor joining its term, and a finished term joining its sum (op 0: the first of each).
double applyFactor(char op, double term, double value) {
    switch (op) {
        case 0:
            return value;
        case '*':
            return term * value;
        case '/':
            return term / value;
        default:
            return std::fmod(term, value);
    }
}

double applyTerm(char op, double sum, double term) {
    switch (op) {
        case 0:
            return term;
        case '+':
            return sum + term;
        default:
            return sum - term;
    }
}

// The common case without recursion: numbers, + - * / %, signs and parentheses. The operations
// happen in the same order as in ExpressionParser, so results are identical. Returns false
// when the text needs the full parser (names, calls) or is not well formed.
bool evaluateArithmetic(std::string_view text, double& result) {
    struct Level {
        double sum;
        double term;
        char addOp;  // 0 before the first term of the level
        char mulOp;  // 0 before the first factor of the term
        bool negate;
    };
    constexpr int kMaxLevels = 32;
    Level levels[kMaxLevels];  // set up as they are entered
    int depth = 0;
    Level* level = &levels[0];
    *level = Level{0, 0, 0, 0, false};
    const char* p = text.data();
    const char* const end = p + text.size();
    auto skip = [&] {
        while (p != end && isBlank(*p)) ++p;
    };
    while (true) {
        // An operand, after any signs.
        skip();
        while (p != end && (*p == '-' || *p == '+')) {
            if (*p == '-') level->negate = !level->negate;
            ++p;
            skip();
        }
        if (p == end) return false;
        if (*p == '(') {
            if (++depth == kMaxLevels) return false;
            level = &levels[depth];
            *level = Level{0, 0, 0, 0, false};
            ++p;
            continue;
        }
        double value = 0;
        if (isDigit(*p)) {
            const char* start = p;
            std::uint64_t whole = 0;
            while (p != end && isDigit(*p)) whole = whole * 10 + static_cast<unsigned>(*p++ - '0');
            // Operators and ")" all sort below "."; anything that may continue a number
            // sorts at or above it.
            if ((p != end && (*p >= '.' || *p == '$') && *p != '/') || p - start > 15) {
                const auto parsed = std::from_chars(start, end, value);
                if (parsed.ec != std::errc() ||
                    (parsed.ptr != end && isIdentifierPart(*parsed.ptr))) {
                    return false;
                }
                p = parsed.ptr;
            } else {
                value = static_cast<double>(whole);
            }
        } else {
            return false;
        }
        // Closing parentheses turn a finished level into an operand of the level outside.
        while (true) {
            if (level->negate) value = -value;
            level->negate = false;
            level->term = applyFactor(level->mulOp, level->term, value);
            skip();
            if (p != end && (*p == '*' || *p == '/' || *p == '%')) {
                level->mulOp = *p++;
                break;
            }
            level->sum = applyTerm(level->addOp, level->sum, level->term);
            level->mulOp = 0;
            if (p != end && (*p == '+' || *p == '-')) {
                level->addOp = *p++;
                break;
            }
            if (p == end) {
                if (depth != 0) return false;
                result = level->sum;
                return true;
            }
            if (*p != ')' || depth == 0) return false;
            ++p;
            value = level->sum;
            level = &levels[--depth];
        }
    }
}

// The generator's own form, which every candidate has: unsigned whole numbers of up to 15
// digits, + - * / and parentheses, nothing else. The same operations in the same order as
// evaluateArithmetic, in one tight pass; false for any other text, which then goes there.
// The level being worked on stays in registers: a term starts as 1 and is multiplied by its
// first factor, a sum starts as -0 and has its first term added, and both are exact, so the
// first factor and term need no case of their own.
bool evaluatePlain(std::string_view text, double& result) {
    struct Level {
        double sum;
        double term;
        bool subtract;
        bool divide;
    };
    constexpr int kMaxLevels = 32;
    Level outer[kMaxLevels];  // the levels around the current one, innermost last
    int depth = 0;
    double sum = -0.0;
    double term = 1;
    bool subtract = false;
    bool divide = false;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (true) {
        if (p == end) return false;
        if (*p == '(') {
            if (depth == kMaxLevels) return false;
            outer[depth++] = Level{sum, term, subtract, divide};
            sum = -0.0;
            term = 1;
            subtract = false;
            divide = false;
            ++p;
            continue;
        }
        const auto* const start = p;
        unsigned digit = *p - 48u;
        if (digit > 9) return false;
        std::uint64_t whole = digit;
        while (++p != end && (digit = *p - 48u) <= 9) whole = whole * 10 + digit;
        if (p - start > 15) return false;
        // Below 10^15: as a signed value it converts to double exactly, in one instruction.
        auto value = static_cast<double>(static_cast<std::int64_t>(whole));
        while (true) {
            term = divide ? term / value : term * value;
            const unsigned c = p != end ? *p : 0u;
            if (c == '*' || c == '/') {
                divide = c == '/';
                ++p;
                break;
            }
            sum = subtract ? sum - term : sum + term;
            term = 1;
            divide = false;
            if (c == '+' || c == '-') {
                subtract = c == '-';
                ++p;
                break;
            }
            if (p == end) {
                if (depth != 0) return false;
                result = sum;
                return true;
            }
            if (c != ')' || depth == 0) return false;
            ++p;
            value = sum;
            const Level& o = outer[--depth];
            sum = o.sum;
            term = o.term;
            subtract = o.subtract;
            divide = o.divide;
        }
    }
}

// Recursive-descent arithmetic over one expression text. Errors unwind through m_ok.
class ExpressionParser {
public:
    ExpressionParser(ScriptState& state, std::span<const Local> locals, int callDepth)
        : m_state(state), m_locals(locals), m_callDepth(callDepth) {}

    // The whole text must be one expression.
    bool evaluate(std::string_view text, double& value) {
        m_p = text.data();
        m_end = text.data() + text.size();
        m_ok = true;
        value = additive();
        skipBlanks();
        return m_ok && m_p == m_end;
    }

private:
    void fail() {
        m_ok = false;
        m_p = m_end;
    }
    void skipBlanks() {
        while (m_p != m_end && isBlank(*m_p)) ++m_p;
    }
    bool take(char c) {
        skipBlanks();
        if (m_p != m_end && *m_p == c) {
            ++m_p;
            return true;
        }
        return false;
    }

    double additive() {
        double value = multiplicative();
        while (m_ok) {
            if (take('+')) {
                value = value + multiplicative();
            } else if (take('-')) {
                value = value - multiplicative();
            } else {
                break;
            }
        }
        return value;
    }

    double multiplicative() {
        double value = unary();
        while (m_ok) {
            if (take('*')) {
                value = value * unary();
            } else if (take('/')) {
                value = value / unary();
            } else if (take('%')) {
                value = std::fmod(value, unary());
            } else {
                break;
            }
        }
        return value;
    }

    double unary() {
        if (++m_nesting > kMaxNesting) {
            fail();
            return 0;
        }
        double value = 0;
        if (take('-')) {
            value = -unary();
        } else if (take('+')) {
            value = unary();
        } else {
            value = primary();
        }
        --m_nesting;
        return value;
    }

    double primary() {
        skipBlanks();
        if (m_p == m_end) {
            fail();
            return 0;
        }
        if (*m_p == '(') {
            ++m_p;
            const double value = additive();
            if (!take(')')) fail();
            return value;
        }
        if (isDigit(*m_p) || *m_p == '.') return number();
        if (isIdentifierStart(*m_p)) return name();
        fail();
        return 0;
    }

    double number() {
        // Plain integers of up to 15 digits are exact when accumulated; the rest goes through
        // the correctly rounded reader.
        const char* start = m_p;
        double value = 0;
        int digits = 0;
        while (m_p != m_end && isDigit(*m_p)) {
            value = value * 10 + (*m_p - '0');
            ++m_p;
            ++digits;
        }
        const bool more = m_p != m_end && (*m_p == '.' || *m_p == 'e' || *m_p == 'E');
        if (digits > 0 && digits <= 15 && !more) return value;
        const auto result = std::from_chars(start, m_end, value);
        if (result.ec == std::errc::result_out_of_range) {
            value = std::numeric_limits<double>::infinity();
        } else if (result.ec != std::errc()) {
            fail();
            return 0;
        }
        m_p = result.ptr;
        if (m_p != m_end && isIdentifierPart(*m_p)) fail();
        return value;
    }

    double name() {
        const char* start = m_p;
        while (m_p != m_end && isIdentifierPart(*m_p)) ++m_p;
        const std::string_view identifier(start, static_cast<std::size_t>(m_p - start));
        if (take('(')) return call(identifier);
        for (const Local& local : m_locals) {
            if (local.name == identifier) return local.value;
        }
        if (Variable* v = m_state.findVariable(identifier)) return v->value;
        if (identifier == "NaN") return std::numeric_limits<double>::quiet_NaN();
        if (identifier == "Infinity") return std::numeric_limits<double>::infinity();
        fail();  // an undefined name is a script error
        return 0;
    }

    double call(std::string_view identifier) {
        std::vector<double> arguments;
        if (!take(')')) {
            do {
                arguments.push_back(additive());
            } while (m_ok && take(','));
            if (!take(')')) fail();
        }
        if (!m_ok) return 0;
        double value = 0;
        if (!invoke(m_state, identifier, arguments, m_callDepth + 1, value)) fail();
        return value;
    }

public:
    static bool invoke(ScriptState& state, std::string_view name, std::span<const double> args,
                       int callDepth, double& value) {
        const Function* function = state.findFunction(name);
        if (function == nullptr || callDepth > kMaxCallDepth) return false;
        std::vector<Local> locals;
        locals.reserve(function->parameters.size());
        for (std::size_t i = 0; i < function->parameters.size(); ++i) {
            // Missing arguments are undefined, which is NaN in arithmetic.
            locals.push_back(
                Local{function->parameters[i],
                      i < args.size() ? args[i] : std::numeric_limits<double>::quiet_NaN()});
        }
        // The body may be replaced by a later definition while it runs; evaluate a copy.
        const std::string body = function->body;
        ExpressionParser parser(state, locals, callDepth);
        return parser.evaluate(body, value);
    }

private:
    ScriptState& m_state;
    std::span<const Local> m_locals;
    int m_callDepth = 0;
    const char* m_p = nullptr;
    const char* m_end = nullptr;
    bool m_ok = true;
    int m_nesting = 0;
};

// Statements: "function f(a, b) { return expr; }", "var x = expr", "x = expr" and bare
// expressions, separated by ";" or line breaks.
class StatementRunner {
public:
    explicit StatementRunner(ScriptState& state) : m_state(state) {}

    bool run(std::string_view code) {
        std::size_t i = 0;
        while (true) {
            while (i < code.size() && (isBlank(code[i]) || code[i] == ';')) ++i;
            if (i >= code.size()) return true;
            if (startsWithWord(code, i, "function")) {
                if (!defineFunction(code, i)) return false;
                continue;
            }
            std::size_t end = i;
            int depth = 0;
            while (end < code.size() && !(depth == 0 && (code[end] == ';' || code[end] == '\n'))) {
                if (code[end] == '(') ++depth;
                if (code[end] == ')') --depth;
                ++end;
            }
            if (!statement(code.substr(i, end - i))) return false;
            i = end;
        }
    }

private:
    static bool startsWithWord(std::string_view code, std::size_t at, std::string_view word) {
        return code.substr(at, word.size()) == word &&
               (at + word.size() == code.size() || !isIdentifierPart(code[at + word.size()]));
    }

    static std::string_view trim(std::string_view text) {
        while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
        while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
        return text;
    }

    static std::string_view identifierAt(std::string_view text) {
        std::size_t n = 0;
        if (text.empty() || !isIdentifierStart(text[0])) return {};
        while (n < text.size() && isIdentifierPart(text[n])) ++n;
        return text.substr(0, n);
    }

    bool statement(std::string_view text) {
        text = trim(text);
        if (startsWithWord(text, 0, "var")) text = trim(text.substr(3));
        const std::string_view target = identifierAt(text);
        if (!target.empty()) {
            const std::string_view rest = trim(text.substr(target.size()));
            if (rest.size() >= 1 && rest[0] == '=' && (rest.size() == 1 || rest[1] != '=')) {
                double value = 0;
                ExpressionParser parser(m_state, {}, 0);
                if (!parser.evaluate(rest.substr(1), value)) return false;
                m_state.assign(target, value);
                return true;
            }
        }
        double ignored = 0;
        ExpressionParser parser(m_state, {}, 0);
        return parser.evaluate(text, ignored);
    }

    bool defineFunction(std::string_view code, std::size_t& i) {
        std::string_view rest = trim(code.substr(i + 8));
        Function function;
        const std::string_view name = identifierAt(rest);
        if (name.empty()) return false;
        function.name = name;
        rest = trim(rest.substr(name.size()));
        if (rest.empty() || rest[0] != '(') return false;
        const std::size_t close = rest.find(')');
        if (close == std::string_view::npos) return false;
        std::string_view parameters = trim(rest.substr(1, close - 1));
        while (!parameters.empty()) {
            const std::string_view parameter = identifierAt(parameters);
            if (parameter.empty()) return false;
            function.parameters.emplace_back(parameter);
            parameters = trim(parameters.substr(parameter.size()));
            if (parameters.empty()) break;
            if (parameters[0] != ',') return false;
            parameters = trim(parameters.substr(1));
        }
        rest = trim(rest.substr(close + 1));
        if (rest.empty() || rest[0] != '{') return false;
        const std::size_t bodyEnd = rest.find('}');
        if (bodyEnd == std::string_view::npos) return false;
        std::string_view body = trim(rest.substr(1, bodyEnd - 1));
        if (!startsWithWord(body, 0, "return")) return false;
        body = trim(body.substr(6));
        while (!body.empty() && body.back() == ';') body = trim(body.substr(0, body.size() - 1));
        function.body = body;
        i = static_cast<std::size_t>(rest.data() + bodyEnd + 1 - code.data());
        for (Function& existing : m_state.functions) {
            if (existing.name == function.name) {
                existing = std::move(function);
                return true;
            }
        }
        m_state.functions.push_back(std::move(function));
        return true;
    }

    ScriptState& m_state;
};

class ScriptComponent final : public Component {
public:
    DispatchId MemberId(std::string_view name) const override {
        for (const auto& [memberName, id] : kMembers) {
            if (EqualsIgnoringCase(memberName, name)) return id;
        }
        return kUnknownMember;
    }

    ComponentError Invoke(DispatchId id, InvokeKind kind, std::span<const AutomationArgument> args,
                          AutomationValue& result,
                          const std::shared_ptr<Component>& /*self*/) override {
        // Every candidate question is evaluated: the generator's form goes straight to the
        // plain evaluation, past the general dispatch and its large stack frame.
        if (id == kEval && kind == InvokeKind::Method && args.size() == 1 &&
            args[0].kind() == AutomationValue::Kind::Text && !m_language.empty()) {
            double value = 0;
            if (evaluatePlain(args[0].text(), value)) {
                result.set(value);
                return ComponentError::None;
            }
        }
        return invokeOther(id, kind, args, result);
    }

private:
    [[gnu::noinline]] ComponentError invokeOther(DispatchId id, InvokeKind kind,
                                                 std::span<const AutomationArgument> args,
                                                 AutomationValue& result) {
        if (id >= kLanguage && id <= kSitehWnd) return property(id, kind, args, result);
        if (kind == InvokeKind::PropertyPut) return ComponentError::MemberNotFound;
        switch (id) {
            case kEval:
                return evalMember(args, result);
            case kExecuteStatement:
            case kAddCode:
                return statements(args);
            case kRun:
                return runMember(args, result);
            case kReset:
                if (!args.empty()) return ComponentError::BadParamCount;
                m_script = ScriptState();
                m_state = 0;
                return ComponentError::None;
            default:
                return ComponentError::MemberNotFound;
        }
    }

    static bool isKnownLanguage(std::string_view language) {
        for (std::string_view known : {"JScript", "JavaScript", "VBScript", "vbs"}) {
            if (EqualsIgnoringCase(known, language)) return true;
        }
        return false;
    }

    ComponentError property(DispatchId id, InvokeKind kind,
                            std::span<const AutomationArgument> args, AutomationValue& result) {
        if (kind != InvokeKind::PropertyPut) {
            if (!args.empty()) return ComponentError::BadParamCount;
            switch (id) {
                case kLanguage:
                    result.set(m_language);
                    break;
                case kTimeout:
                    result.set(m_timeout);
                    break;
                case kState:
                    result.set(m_state);
                    break;
                case kAllowUI:
                    result.set(m_allowUI);
                    break;
                default:
                    result.set(m_siteWindow);
                    break;
            }
            return ComponentError::None;
        }
        if (args.size() != 1) return ComponentError::BadParamCount;
        const AutomationArgument& value = args[0];
        switch (id) {
            case kLanguage: {
                std::string language;
                if (!value.toText(language)) return ComponentError::TypeMismatch;
                if (!isKnownLanguage(language)) return ComponentError::Exception;
                // Switching the language starts from a clean engine.
                m_language = std::move(language);
                m_script = ScriptState();
                return ComponentError::None;
            }
            case kAllowUI: {
                bool flag = false;
                if (!value.toTruth(flag)) return ComponentError::TypeMismatch;
                m_allowUI = flag;
                return ComponentError::None;
            }
            default:
                break;
        }
        std::int32_t number = 0;
        if (!value.toInteger(number)) return ComponentError::TypeMismatch;
        switch (id) {
            case kTimeout:
                if (number < -1) return ComponentError::Exception;
                m_timeout = number;
                break;
            case kState:
                if (number != 0 && number != 1) return ComponentError::Exception;
                m_state = number;
                break;
            default:
                m_siteWindow = number;
                break;
        }
        return ComponentError::None;
    }

    ComponentError evalMember(std::span<const AutomationArgument> args, AutomationValue& result) {
        if (args.empty()) return ComponentError::ParamNotOptional;
        if (args.size() > 1) return ComponentError::BadParamCount;
        if (m_language.empty()) return ComponentError::Exception;
        std::string_view text;
        std::string converted;
        if (args[0].kind() == AutomationValue::Kind::Text) {
            text = args[0].text();
        } else {
            if (!args[0].toText(converted)) return ComponentError::TypeMismatch;
            text = converted;
        }
        double value = 0;
        if (!evaluatePlain(text, value) && !evaluateArithmetic(text, value)) {
            // An empty script evaluates to nothing at all.
            bool blank = true;
            for (char c : text) blank = blank && isBlank(c);
            if (blank) {
                result.set(std::monostate());
                return ComponentError::None;
            }
            ExpressionParser parser(m_script, {}, 0);
            if (!parser.evaluate(text, value)) return ComponentError::Exception;
        }
        result.set(value);
        return ComponentError::None;
    }

    ComponentError statements(std::span<const AutomationArgument> args) {
        if (args.empty()) return ComponentError::ParamNotOptional;
        if (args.size() > 1) return ComponentError::BadParamCount;
        if (m_language.empty()) return ComponentError::Exception;
        std::string code;
        if (!args[0].toText(code)) return ComponentError::TypeMismatch;
        StatementRunner runner(m_script);
        return runner.run(code) ? ComponentError::None : ComponentError::Exception;
    }

    ComponentError runMember(std::span<const AutomationArgument> args, AutomationValue& result) {
        if (args.empty()) return ComponentError::ParamNotOptional;
        if (m_language.empty()) return ComponentError::Exception;
        std::string name;
        if (!args[0].toText(name)) return ComponentError::TypeMismatch;
        std::vector<double> values;
        for (const AutomationArgument& arg : args.subspan(1)) {
            double value = 0;
            if (!arg.toNumber(value)) value = std::numeric_limits<double>::quiet_NaN();
            values.push_back(value);
        }
        double value = 0;
        if (!ExpressionParser::invoke(m_script, name, values, 0, value)) {
            return ComponentError::Exception;
        }
        result.set(value);
        return ComponentError::None;
    }

    ScriptState m_script;
    std::string m_language;
    std::int32_t m_timeout = 10000;
    std::int32_t m_state = 0;
    bool m_allowUI = true;
    std::int32_t m_siteWindow = 0;
};

}  // namespace

std::shared_ptr<Component> CreateScriptComponent() { return std::make_shared<ScriptComponent>(); }

}  // namespace suantiji
