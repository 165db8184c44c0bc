#include "services/expression_evaluator.h"

#include <array>

#include "common/text.h"

namespace suantiji {

ExpressionEvaluator::ExpressionEvaluator(const ComponentRegistry& registry) {
    CoInitialize();
    m_engine = registry.Create("ScriptControl");
    m_engine.Put("Language", "JScript");
    // Evaluate is called for every candidate question: resolve its id once.
    m_evalId = m_engine.MemberId("Eval");
}

ExpressionEvaluator::~ExpressionEvaluator() {
    m_engine.Clear();
    CoUninitialize();
}

ExpressionEvaluator::ExpressionEvaluator(const ExpressionEvaluator& other)
    : m_engine(other.m_engine), m_evalId(other.m_evalId) {
    CoInitialize();
}

std::string ExpressionEvaluator::Evaluate(std::string_view expression) const {
    return m_engine.CallText(m_evalId, {expression});
}

AutomationValue ExpressionEvaluator::EvaluateValue(std::string_view expression) const {
    return m_engine.CallValue(m_evalId, {expression});
}

bool ExpressionEvaluator::RunStatement(std::string_view statement) const {
    m_engine.CallValue("ExecuteStatement", {statement});
    return LastComponentError() == 0;
}

void ExpressionEvaluator::ResetEngine() const { m_engine.CallValue("Reset"); }

std::string ExpressionEvaluator::LastErrorText() const {
    return ComponentErrorText(LastComponentError());
}

AutomationObject ExpressionEvaluator::EngineObject() const { return m_engine; }

std::string ExpressionEvaluator::CallProcedure(std::string_view name,
                                               std::initializer_list<std::string_view> args) const {
    std::array<AutomationArgument, 7> arguments;
    arguments[0] = AutomationArgument(name);
    std::size_t count = 1;
    for (std::string_view arg : args) {
        if (count == arguments.size()) break;
        arguments[count++] = AutomationArgument(arg);
    }
    return m_engine.CallTextSpan("Run",
                                 std::span<const AutomationArgument>(arguments.data(), count));
}

std::string ExpressionEvaluator::ScriptLanguage(int kind) const {
    if (kind == 0) {
        m_engine.Put("Language", "JScript");
    } else if (kind == 1) {
        m_engine.Put("Language", "vbs");
    }
    return m_engine.GetText("Language");
}

int ExpressionEvaluator::ScriptTimeout(std::optional<int> milliseconds) const {
    m_engine.Put("Timeout", static_cast<std::int32_t>(milliseconds.value_or(-1)));
    return TruncateToInteger(m_engine.GetNumber("Timeout"));
}

int ExpressionEvaluator::EngineState(std::optional<int> value) const {
    if (value) m_engine.Put("State", static_cast<std::int32_t>(*value));
    return TruncateToInteger(m_engine.GetNumber("State"));
}

bool ExpressionEvaluator::AllowUserInterface(std::optional<bool> flag) const {
    if (flag) m_engine.Put("AllowUI", *flag);
    return m_engine.GetTruth("AllowUI");
}

int ExpressionEvaluator::SiteWindow(std::optional<int> handle) const {
    if (handle) m_engine.Put("SitehWnd", static_cast<std::int32_t>(*handle));
    return TruncateToInteger(m_engine.GetNumber("SitehWnd"));
}

void ExpressionEvaluator::AddScriptCode(std::string_view code) const {
    m_engine.CallValue("AddCode", {code});
}

}  // namespace suantiji
