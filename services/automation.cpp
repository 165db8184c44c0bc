#include "services/automation.h"

#include <array>
#include <cmath>

#include "common/text.h"
#include "services/number_text.h"
#include "services/regexp_component.h"
#include "services/script_component.h"

namespace suantiji {

namespace {

thread_local int t_comInitCount = 0;

constexpr std::array<const char*, 19> kErrorTexts{
    "",
    "对象为空",
    "指定对象没有调用接口",
    "未找到指定属性或方法",
    "指定对象没有类型信息",
    "提供了过多的参数",
    "该对象不是字体对象",
    "参数数据类型错误",
    "执行成功，但返回值类型不匹配",
    "参数数目错误",
    "参数类型值无效",
    "发现异常",
    "未找到指定成员",
    "不支持命名参数",
    "溢出",
    "未找到指定参数",
    "类型不匹配",
    "必需的参数数据被省略",
    "其他原因调用失败",
};

bool textToTruth(std::string_view text, bool& out) {
    if (EqualsIgnoringCase(text, "true") || text == "真") {
        out = true;
        return true;
    }
    if (EqualsIgnoringCase(text, "false") || text == "假") {
        out = false;
        return true;
    }
    double number = 0;
    if (!ParseNumber(text, number)) return false;
    out = number != 0;
    return true;
}

// Truth values become text and numbers as the variant rules give them: true is -1.
constexpr const char* kTrueText = "-1";
constexpr const char* kFalseText = "0";

}  // namespace

thread_local constinit int detail::t_lastComponentError = 0;

std::string ComponentErrorText(int code) {
    if (code > 0 || -code >= static_cast<int>(kErrorTexts.size())) return {};
    return kErrorTexts[static_cast<std::size_t>(-code)];
}

void CoInitialize() { ++t_comInitCount; }

void CoUninitialize() {
    if (t_comInitCount > 0) --t_comInitCount;
}

int ComInitCount() { return t_comInitCount; }

// --- values ---

bool AutomationValue::toText(std::string& out) const {
    switch (kind()) {
        case Kind::Empty:
            out.clear();
            return true;
        case Kind::Text:
            out = *text();
            return true;
        case Kind::Integer:
            out = std::to_string(*integer());
            return true;
        case Kind::Number:
            out = NumberToText(*number());
            return true;
        case Kind::Truth:
            out = *truth() ? kTrueText : kFalseText;
            return true;
        case Kind::Object:
            return false;
    }
    return false;
}

bool AutomationValue::toNumber(double& out) const {
    switch (kind()) {
        case Kind::Empty:
            out = 0;
            return true;
        case Kind::Text:
            return ParseNumber(*text(), out);
        case Kind::Integer:
            out = *integer();
            return true;
        case Kind::Number:
            out = *number();
            return true;
        case Kind::Truth:
            out = *truth() ? -1 : 0;
            return true;
        case Kind::Object:
            return false;
    }
    return false;
}

bool AutomationValue::toTruth(bool& out) const {
    if (const bool* value = truth()) {
        out = *value;
        return true;
    }
    if (const std::string* value = text()) return textToTruth(*value, out);
    double number = 0;
    if (!toNumber(number)) return false;
    out = number != 0;
    return true;
}

// --- arguments ---

AutomationObject::Argument::Argument(const AutomationValue& value)
    : m_kind(value.kind()), m_object(nullptr) {
    switch (m_kind) {
        case Kind::Empty:
            break;
        case Kind::Text:
            m_text = *value.text();
            break;
        case Kind::Integer:
            m_integer = *value.integer();
            break;
        case Kind::Number:
            m_number = *value.number();
            break;
        case Kind::Truth:
            m_truth = *value.truth();
            break;
        case Kind::Object:
            m_object = value.object();
            break;
    }
}

const AutomationObject& AutomationObject::Argument::object() const {
    static const AutomationObject empty;
    return m_kind == Kind::Object && m_object != nullptr ? *m_object : empty;
}

AutomationValue AutomationObject::Argument::toValue() const {
    switch (m_kind) {
        case Kind::Text:
            return AutomationValue(std::string(m_text));
        case Kind::Integer:
            return AutomationValue(m_integer);
        case Kind::Number:
            return AutomationValue(m_number);
        case Kind::Truth:
            return AutomationValue(m_truth);
        case Kind::Object:
            return AutomationValue(object());
        case Kind::Empty:
            break;
    }
    return {};
}

bool AutomationObject::Argument::convertToInteger(std::int32_t& out) const {
    double number = 0;
    if (!toValue().toNumber(number)) return false;
    number = std::trunc(number);
    if (!(number >= -2147483648.0 && number <= 2147483647.0)) return false;
    out = static_cast<std::int32_t>(number);
    return true;
}

// --- objects ---

AutomationObject AutomationObject::Create(std::string_view progId) {
    return ComponentRegistry::Standard().Create(progId);
}

DispatchId AutomationObject::MemberId(std::string_view name) const {
    if (m_component == nullptr) {
        SetLastComponentError(ComponentError::EmptyObject);
        return kUnknownMember;
    }
    const DispatchId id = m_component->MemberId(name);
    SetLastComponentError(id == kUnknownMember ? ComponentError::UnknownName
                                               : ComponentError::None);
    return id;
}

DispatchId detail::ResolveMemberName(Component& component, std::string_view name) {
    return component.MemberId(name);
}

namespace {

template <typename T, typename Convert>
T convertResult(const AutomationValue& value, Convert convert) {
    T out{};
    if (!convert(value, out)) {
        SetLastComponentError(ComponentError::ResultMismatch);
        return T{};
    }
    return out;
}

}  // namespace

std::string detail::ConvertToText(const AutomationValue& value) {
    if (const double* number = value.number()) return NumberToText(*number);  // evaluation results
    return convertResult<std::string>(
        value, [](const AutomationValue& v, std::string& out) { return v.toText(out); });
}

void detail::AssignText(AutomationValue&& value, std::string& out) {
    // Numbers, what evaluation gives, are written into the kept storage; the rest as AsText.
    if (const double* number = value.number(); number != nullptr && LastComponentError() == 0) {
        char buffer[kNumberTextCapacity];
        out.assign(buffer, FormatNumber(*number, buffer));
        return;
    }
    out = AsText(std::move(value));
}

double detail::ConvertToNumber(const AutomationValue& value) {
    return convertResult<double>(
        value, [](const AutomationValue& v, double& out) { return v.toNumber(out); });
}

bool detail::ConvertToTruth(const AutomationValue& value) {
    return convertResult<bool>(value,
                               [](const AutomationValue& v, bool& out) { return v.toTruth(out); });
}

// --- registry ---

void ComponentRegistry::Register(std::string progId, Factory factory) {
    m_factories.emplace_back(std::move(progId), std::move(factory));
}

ComponentRegistry::ClassId ComponentRegistry::Find(std::string_view progId) const {
    for (std::size_t i = 0; i < m_factories.size(); ++i) {
        if (EqualsIgnoringCase(m_factories[i].first, progId)) return i;
    }
    return kNoClass;
}

AutomationObject ComponentRegistry::Create(ClassId id) const {
    if (id >= m_factories.size()) return AutomationObject();
    return AutomationObject(m_factories[id].second());
}

const ComponentRegistry& ComponentRegistry::Standard() {
    static const ComponentRegistry registry = [] {
        ComponentRegistry r;
        r.Register("ScriptControl", [] { return CreateScriptComponent(); });
        r.Register("VBScript.RegExp", &CreateRegExpComponent);
        return r;
    }();
    return registry;
}

}  // namespace suantiji
