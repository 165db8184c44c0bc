#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "services/automation.h"

namespace suantiji {

// Thin class over the "ScriptControl" component, switched to "JScript". Copies share the
// engine. Every failure gives an empty or default result and leaves LastComponentError.
//
// The generator calls construction, EvaluateValue and destruction. The other members complete
// the component's interface as it is specified; only tests call them for now.
class ExpressionEvaluator {
public:
    explicit ExpressionEvaluator(const ComponentRegistry& registry = ComponentRegistry::Standard());
    ~ExpressionEvaluator();
    ExpressionEvaluator(const ExpressionEvaluator& other);
    ExpressionEvaluator& operator=(const ExpressionEvaluator& other) = default;

    // The value as text: whole values as plain digits, others with "."; empty on failure.
    std::string Evaluate(std::string_view expression) const;
    // The member's result as it comes back, before any conversion to text: a caller that
    // discards most results writes text only for those it keeps.
    AutomationValue EvaluateValue(std::string_view expression) const;
    bool RunStatement(std::string_view statement) const;
    void ResetEngine() const;
    std::string LastErrorText() const;
    AutomationObject EngineObject() const;
    // Passes the leading arguments given, at most six.
    std::string CallProcedure(std::string_view name,
                              std::initializer_list<std::string_view> args = {}) const;
    // Kind 0 selects "JScript", 1 "vbs", anything else leaves the language alone.
    std::string ScriptLanguage(int kind = 0) const;
    int ScriptTimeout(std::optional<int> milliseconds = std::nullopt) const;
    int EngineState(std::optional<int> value = std::nullopt) const;
    bool AllowUserInterface(std::optional<bool> flag = std::nullopt) const;
    int SiteWindow(std::optional<int> handle = std::nullopt) const;
    void AddScriptCode(std::string_view code) const;

private:
    AutomationObject m_engine;
    DispatchId m_evalId = kUnknownMember;
};

}  // namespace suantiji
