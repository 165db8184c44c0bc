#include "services/script_component.h"

#include <duktape.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <utility>

#include "common/text.h"

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

std::atomic<int> g_liveHeaps{0};

// The generator's own form, which every candidate has: unsigned whole numbers of up to 15
// digits without leading zeros (ECMAScript reads 012 as octal), + - * / and brackets, nothing
// else; false for any other text. The operations are those a script engine does, in its
// order: a term starts as 1 and is multiplied by its first factor, a sum starts as -0 and has
// its first term added, and both steps are exact, so the first factor and term need no case of
// their own.
constexpr int kMaxLevels = 32;

bool plainNumber(const unsigned char*& p, const unsigned char* end, double& value) {
    const auto* const start = p;
    unsigned digit = *p - 48u;
    if (digit > 9) return false;
    std::uint64_t whole = digit;
    while (++p != end && (digit = *p - 48u) <= 9) whole = whole * 10 + digit;
    if (p - start > 15 || (*start == '0' && p - start > 1)) return false;
    // Below 10^15 the value converts to a double exactly.
    value = static_cast<double>(static_cast<std::int64_t>(whole));
    return true;
}

// One level: the sum of its terms, read up to the ")" that closes it (consumed) or, at the
// outermost level, the end.
bool plainLevel(const unsigned char*& p, const unsigned char* end, int depth, double& result) {
    double sum = -0.0;
    double term = 1;
    bool subtract = false;
    bool divide = false;
    while (true) {
        if (p == end) return false;
        double value = 0;
        if (*p == '(') {
            if (depth == kMaxLevels) return false;
            ++p;
            if (!plainLevel(p, end, depth + 1, value)) return false;
        } else if (!plainNumber(p, end, value)) {
            return false;
        }
        term = divide ? term / value : term * value;
        const unsigned c = p != end ? *p : 0u;
        if (c == '*' || c == '/') {
            divide = c == '/';
            ++p;
            continue;
        }
        sum = subtract ? sum - term : sum + term;
        term = 1;
        divide = false;
        if (c == '+' || c == '-') {
            subtract = c == '-';
            ++p;
            continue;
        }
        if (depth == 0 ? p != end : c != ')') return false;
        if (depth > 0) ++p;
        result = sum;
        return true;
    }
}

bool evaluatePlain(std::string_view text, double& result) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    return plainLevel(p, p + text.size(), 0, result);
}

// The value on top of the Duktape stack as a member's result: numbers, texts and truth values
// as themselves, undefined and null as nothing, anything else as its text.
void takeResult(duk_context* ctx, AutomationValue& result) {
    switch (duk_get_type(ctx, -1)) {
        case DUK_TYPE_NUMBER:
            result.set(static_cast<double>(duk_get_number(ctx, -1)));
            break;
        case DUK_TYPE_BOOLEAN:
            result.set(duk_get_boolean(ctx, -1) != 0);
            break;
        case DUK_TYPE_NONE:
        case DUK_TYPE_UNDEFINED:
        case DUK_TYPE_NULL:
            result.set(std::monostate());
            break;
        default: {
            duk_size_t length = 0;
            const char* text = duk_safe_to_lstring(ctx, -1, &length);
            result.set(std::string(text, length));
            break;
        }
    }
}

void pushArgument(duk_context* ctx, const AutomationArgument& arg) {
    using Kind = AutomationValue::Kind;
    switch (arg.kind()) {
        case Kind::Text:
            duk_push_lstring(ctx, arg.text().data(), arg.text().size());
            break;
        case Kind::Integer:
            duk_push_int(ctx, arg.integer());
            break;
        case Kind::Number:
            duk_push_number(ctx, arg.number());
            break;
        case Kind::Truth:
            duk_push_boolean(ctx, arg.truth() ? 1 : 0);
            break;
        default:
            duk_push_undefined(ctx);
            break;
    }
}

// [name, arguments...] -> [name, result]. Protected: looking the name up may run a getter,
// and calling what is not a function throws.
duk_ret_t callGlobal(duk_context* ctx, void* /*unused*/) {
    const duk_idx_t count = duk_get_top(ctx) - 1;
    duk_push_global_object(ctx);
    duk_dup(ctx, 0);
    duk_get_prop(ctx, -2);
    duk_remove(ctx, -2);
    duk_insert(ctx, 1);
    duk_call(ctx, count);
    return 1;
}

class ScriptComponent final : public Component {
public:
    explicit ScriptComponent(bool plainArithmetic) : m_plainArithmetic(plainArithmetic) {}
    ~ScriptComponent() override { dropHeap(); }
    ScriptComponent(const ScriptComponent&) = delete;
    ScriptComponent& operator=(const ScriptComponent&) = delete;

    DispatchId MemberId(std::string_view name) const override {
        for (const auto& [memberName, id] : kMembers) {
            if (EqualsIgnoringCase(memberName, name)) return id;
        }
        return kUnknownMember;
    }

    ComponentError Invoke(DispatchId id, InvokeKind kind, std::span<const AutomationArgument> args,
                          AutomationValue& result,
                          const std::shared_ptr<Component>& /*self*/) override {
        // Every candidate question is evaluated: the generator's form is worked out at once.
        if (id == kEval && kind == InvokeKind::Method && args.size() == 1 &&
            args[0].kind() == AutomationValue::Kind::Text && m_plainArithmetic && m_javaScript) {
            double value = 0;
            if (evaluatePlain(args[0].text(), value)) {
                result.set(value);
                return ComponentError::None;
            }
        }
        return invokeOther(id, kind, args, result);
    }

private:
    // Out of line, so the call above stays small.
    [[gnu::noinline]] ComponentError invokeOther(DispatchId id, InvokeKind kind,
                                                 std::span<const AutomationArgument> args,
                                                 AutomationValue& result) {
        if (id >= kLanguage && id <= kSitehWnd) return property(id, kind, args, result);
        if (kind == InvokeKind::PropertyPut) return ComponentError::MemberNotFound;
        switch (id) {
            case kEval:
            case kExecuteStatement:
            case kAddCode:
                return runCode(args, id == kEval ? &result : nullptr);
            case kRun:
                return runProcedure(args, result);
            case kReset:
                if (!args.empty()) return ComponentError::BadParamCount;
                dropHeap();
                m_state = 0;
                return ComponentError::None;
            default:
                return ComponentError::MemberNotFound;
        }
    }

    ComponentError property(DispatchId id, InvokeKind kind,
                            std::span<const AutomationArgument> args, AutomationValue& result) {
        if (kind != InvokeKind::PropertyPut) {
            if (!args.empty()) return ComponentError::BadParamCount;
            if (id == kLanguage) {
                result.set(m_language);
            } else if (id == kAllowUI) {
                result.set(m_allowUI);
            } else {
                result.set(id == kTimeout ? m_timeout : id == kState ? m_state : m_siteWindow);
            }
            return ComponentError::None;
        }
        if (args.size() != 1) return ComponentError::BadParamCount;
        const AutomationArgument& value = args[0];
        if (id == kLanguage) {
            std::string language;
            if (!value.toText(language)) return ComponentError::TypeMismatch;
            const bool javaScript = EqualsIgnoringCase(language, "JScript") ||
                                    EqualsIgnoringCase(language, "JavaScript");
            if (!javaScript && !EqualsIgnoringCase(language, "VBScript") &&
                !EqualsIgnoringCase(language, "vbs")) {
                return ComponentError::Exception;
            }
            // Another language starts from a clean engine.
            m_language = std::move(language);
            m_javaScript = javaScript;
            dropHeap();
            return ComponentError::None;
        }
        if (id == kAllowUI) {
            return value.toTruth(m_allowUI) ? ComponentError::None : ComponentError::TypeMismatch;
        }
        std::int32_t number = 0;
        if (!value.toInteger(number)) return ComponentError::TypeMismatch;
        switch (id) {
            case kTimeout:  // kept, not enforced: see the header
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

    // Null when there is no engine for the language, or no memory for a heap.
    duk_context* heap() {
        if (m_heap == nullptr && m_javaScript) {
            m_heap = duk_create_heap_default();
            if (m_heap != nullptr) ++g_liveHeaps;
        }
        return m_heap;
    }

    void dropHeap() {
        if (m_heap == nullptr) return;
        duk_destroy_heap(m_heap);
        m_heap = nullptr;
        --g_liveHeaps;
    }

    // Runs the code in the global scope; its value goes to `result` when one is wanted.
    ComponentError runCode(std::span<const AutomationArgument> args, AutomationValue* result) {
        if (args.empty()) return ComponentError::ParamNotOptional;
        if (args.size() > 1) return ComponentError::BadParamCount;
        std::string code;
        if (!args[0].toText(code)) return ComponentError::TypeMismatch;
        duk_context* ctx = heap();
        if (ctx == nullptr) return ComponentError::Exception;
        const bool ran = duk_peval_lstring(ctx, code.c_str(), code.size()) == 0;
        if (ran && result != nullptr) takeResult(ctx, *result);
        duk_pop(ctx);
        return ran ? ComponentError::None : ComponentError::Exception;
    }

    ComponentError runProcedure(std::span<const AutomationArgument> args, AutomationValue& result) {
        if (args.empty()) return ComponentError::ParamNotOptional;
        std::string name;
        if (!args[0].toText(name)) return ComponentError::TypeMismatch;
        duk_context* ctx = heap();
        if (ctx == nullptr) return ComponentError::Exception;
        duk_push_lstring(ctx, name.data(), name.size());
        for (const AutomationArgument& arg : args.subspan(1)) pushArgument(ctx, arg);
        const auto count = static_cast<duk_idx_t>(args.size());
        const bool ran = duk_safe_call(ctx, callGlobal, nullptr, count, 1) == DUK_EXEC_SUCCESS;
        if (ran) takeResult(ctx, result);
        duk_pop(ctx);
        return ran ? ComponentError::None : ComponentError::Exception;
    }

    const bool m_plainArithmetic;
    duk_context* m_heap = nullptr;
    std::string m_language;
    bool m_javaScript = false;
    std::int32_t m_timeout = 10000;
    std::int32_t m_state = 0;
    bool m_allowUI = true;
    std::int32_t m_siteWindow = 0;
};

}  // namespace

std::shared_ptr<Component> CreateScriptComponent(bool plainArithmetic) {
    return std::make_shared<ScriptComponent>(plainArithmetic);
}

int LiveScriptHeaps() { return g_liveHeaps.load(); }

}  // namespace suantiji
