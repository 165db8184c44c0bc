#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

// A small in-process stand-in for component automation: components answer member calls by
// dispatch id with variant arguments, and every call leaves a per-thread error code behind.
namespace suantiji {

// Codes left in LastComponentError. 0 is success; every failure is negative.
enum class ComponentError : int {
    None = 0,
    EmptyObject = -1,
    NoDispatch = -2,
    UnknownName = -3,
    NoTypeInfo = -4,
    TooManyArguments = -5,
    NotFont = -6,
    ArgumentType = -7,
    ResultMismatch = -8,
    BadParamCount = -9,
    BadVarType = -10,
    Exception = -11,
    MemberNotFound = -12,
    NoNamedArgs = -13,
    Overflow = -14,
    ParamNotFound = -15,
    TypeMismatch = -16,
    ParamNotOptional = -17,
    Other = -18,
};

namespace detail {
// Read and written on every member call, so callers reach it directly.
extern thread_local constinit int t_lastComponentError;
}  // namespace detail

// The code of the calling thread's latest member call.
inline int LastComponentError() { return detail::t_lastComponentError; }
inline void SetLastComponentError(ComponentError error) {
    detail::t_lastComponentError = static_cast<int>(error);
}
// The user-facing text of a code; empty for 0 and for codes outside the table.
std::string ComponentErrorText(int code);

// Per-thread initialisation count of the component library. Uninitialising more often than
// initialising leaves the count at 0. Only tests read the count (ComInitCount), to see every
// service object give back the initialisation it took, and how many share an instance
// (UseCount).
void CoInitialize();
void CoUninitialize();
int ComInitCount();

using DispatchId = std::int32_t;
inline constexpr DispatchId kUnknownMember = -1;

enum class InvokeKind { PropertyGet, PropertyPut, Method };

class Component;
class AutomationValue;

// Counted reference to a component instance, or empty. Copies share the instance.
class AutomationObject {
public:
    AutomationObject() = default;
    explicit AutomationObject(std::shared_ptr<Component> component)
        : m_component(std::move(component)) {}

    // Created through the standard registry; an unknown ProgID gives an empty object.
    static AutomationObject Create(std::string_view progId);

    bool IsEmpty() const { return m_component == nullptr; }
    void Clear() { m_component.reset(); }
    long UseCount() const { return m_component.use_count(); }
    bool operator==(const AutomationObject& other) const = default;

    // Resolves a member name (case-insensitive) once, so later calls go by id.
    DispatchId MemberId(std::string_view name) const;

    // A member by id or by name. Two words, so it travels in registers on every call.
    class Member {
    public:
        Member(DispatchId id) : m_size(static_cast<std::size_t>(id)) {}
        Member(std::string_view name)
            : m_name(name.data() != nullptr ? name.data() : ""), m_size(name.size()) {}
        Member(const char* name) : Member(std::string_view(name)) {}

    private:
        friend class AutomationObject;
        bool byName() const { return m_name != nullptr; }
        DispatchId id() const { return static_cast<DispatchId>(m_size); }
        std::string_view name() const { return {m_name, m_size}; }

        const char* m_name = nullptr;  // null: called by id
        std::size_t m_size = 0;        // the name's length, or the id
    };

    class Argument;
    using Arguments = std::initializer_list<Argument>;

    // The raw call: the member's result as it comes back, or empty after a failure. Inline,
    // since every property of every match goes through it.
    inline AutomationValue InvokeSpan(Member member, InvokeKind kind,
                                      std::span<const Argument> args) const;

    // Property reads and method calls converted to the requested kind. Any failure gives the
    // kind's empty value (empty text, 0, false, empty object).
    inline std::string GetText(Member member, Arguments args = {}) const;
    inline double GetNumber(Member member, Arguments args = {}) const;
    inline bool GetTruth(Member member, Arguments args = {}) const;
    inline AutomationObject GetObject(Member member, Arguments args = {}) const;
    inline std::string CallText(Member member, Arguments args = {}) const;
    inline std::string CallTextSpan(Member member, std::span<const Argument> args) const;
    inline AutomationObject CallObject(Member member, Arguments args = {}) const;
    inline AutomationValue CallValue(Member member, Arguments args = {}) const;
    // Writes a property; true when LastComponentError is 0 afterwards.
    inline bool Put(Member member, const Argument& value) const;

private:
    static inline std::span<const Argument> spanOf(Arguments args);

    std::shared_ptr<Component> m_component;
};

// An owned variant value: what members return.
class AutomationValue {
public:
    enum class Kind { Empty, Text, Integer, Number, Truth, Object };

    AutomationValue() = default;
    AutomationValue(std::string text) : m_value(std::move(text)) {}
    AutomationValue(const char* text) : m_value(std::string(text)) {}
    AutomationValue(std::int32_t value) : m_value(value) {}
    AutomationValue(double value) : m_value(value) {}
    AutomationValue(bool value) : m_value(value) {}
    AutomationValue(AutomationObject object) : m_value(std::move(object)) {}

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    const std::string* text() const { return std::get_if<std::string>(&m_value); }
    std::string* text() { return std::get_if<std::string>(&m_value); }
    const std::int32_t* integer() const { return std::get_if<std::int32_t>(&m_value); }
    const double* number() const { return std::get_if<double>(&m_value); }
    const bool* truth() const { return std::get_if<bool>(&m_value); }
    const AutomationObject* object() const { return std::get_if<AutomationObject>(&m_value); }

    // Conversions as the component library makes them; false when the value cannot be
    // converted, so callers can report ResultMismatch.
    bool toText(std::string& out) const;
    bool toNumber(double& out) const;
    bool toTruth(bool& out) const;
    // Replaces the value in place; cheaper than assigning a whole new value.
    template <typename T>
    void set(T&& value) {
        m_value.template emplace<std::decay_t<T>>(std::forward<T>(value));
    }
    // Moves the object out; the value must hold one.
    AutomationObject takeObject() { return std::move(std::get<AutomationObject>(m_value)); }

private:
    std::variant<std::monostate, std::string, std::int32_t, double, bool, AutomationObject> m_value;
};

// A borrowed argument: texts are passed as views so a call never copies them.
class AutomationObject::Argument {
public:
    using Kind = AutomationValue::Kind;

    Argument() : m_object(nullptr) {}
    Argument(std::string_view text) : m_kind(Kind::Text), m_text(text) {}
    Argument(const char* text) : m_kind(Kind::Text), m_text(text) {}
    Argument(const std::string& text) : m_kind(Kind::Text), m_text(text) {}
    Argument(std::int32_t value) : m_kind(Kind::Integer), m_integer(value) {}
    Argument(double value) : m_kind(Kind::Number), m_number(value) {}
    Argument(bool value) : m_kind(Kind::Truth), m_truth(value) {}
    Argument(const AutomationObject& object) : m_kind(Kind::Object), m_object(&object) {}
    Argument(const AutomationValue& value);

    Kind kind() const { return m_kind; }
    std::string_view text() const { return m_kind == Kind::Text ? m_text : std::string_view(); }
    std::int32_t integer() const { return m_kind == Kind::Integer ? m_integer : 0; }
    double number() const { return m_kind == Kind::Number ? m_number : 0; }
    bool truth() const { return m_kind == Kind::Truth && m_truth; }
    const AutomationObject& object() const;

    // The kind's own value is taken inline; other kinds are converted as values are.
    bool toText(std::string& out) const {
        if (m_kind != Kind::Text) return toValue().toText(out);
        out.assign(m_text);
        return true;
    }
    bool toTruth(bool& out) const {
        if (m_kind != Kind::Truth) return toValue().toTruth(out);
        out = m_truth;
        return true;
    }
    // Integers from any numeric kind, truncated toward zero.
    bool toInteger(std::int32_t& out) const {
        if (m_kind != Kind::Integer) return convertToInteger(out);
        out = m_integer;
        return true;
    }

private:
    AutomationValue toValue() const;
    bool convertToInteger(std::int32_t& out) const;

    Kind m_kind = Kind::Empty;
    // Only the member of the kind is set: an argument is built for every call.
    union {
        std::string_view m_text;
        std::int32_t m_integer;
        double m_number;
        bool m_truth;
        const AutomationObject* m_object;
    };
};

using AutomationArgument = AutomationObject::Argument;

// What a component implements. Names are matched without regard to case. `self` is the
// caller's reference to this component, so parts of it can be handed out sharing its count.
class Component {
public:
    virtual ~Component() = default;
    virtual DispatchId MemberId(std::string_view name) const = 0;
    virtual ComponentError Invoke(DispatchId id, InvokeKind kind,
                                  std::span<const AutomationArgument> args, AutomationValue& result,
                                  const std::shared_ptr<Component>& self) = 0;
};

// Creates components from ProgIDs (compared without regard to case).
class ComponentRegistry {
public:
    using Factory = std::shared_ptr<Component> (*)();

    // Resolving a ProgID to its class once spares the name comparison on every creation.
    using ClassId = std::size_t;
    static constexpr ClassId kNoClass = static_cast<ClassId>(-1);

    void Register(std::string progId, Factory factory);
    ClassId Find(std::string_view progId) const;
    AutomationObject Create(ClassId id) const;
    AutomationObject Create(std::string_view progId) const { return Create(Find(progId)); }

    // "ScriptControl" and "VBScript.RegExp". Immutable once built.
    static const ComponentRegistry& Standard();

private:
    std::vector<std::pair<std::string, Factory>> m_factories;
};

// --- the call path ---

namespace detail {
// Out of line: a call by name, and results of another kind than the one asked for.
DispatchId ResolveMemberName(Component& component, std::string_view name);
std::string ConvertToText(const AutomationValue& value);
// As AsText, into a string whose storage is kept.
void AssignText(AutomationValue&& value, std::string& out);
double ConvertToNumber(const AutomationValue& value);
bool ConvertToTruth(const AutomationValue& value);

inline std::string AsText(AutomationValue&& value) {
    if (LastComponentError() != 0) return {};
    if (std::string* text = value.text()) return std::move(*text);
    return ConvertToText(value);
}
inline double AsNumber(const AutomationValue& value) {
    if (LastComponentError() != 0) return 0;
    if (const std::int32_t* integer = value.integer()) return *integer;
    if (const double* number = value.number()) return *number;
    return ConvertToNumber(value);
}
inline bool AsTruth(const AutomationValue& value) {
    if (LastComponentError() != 0) return false;
    if (const bool* truth = value.truth()) return *truth;
    return ConvertToTruth(value);
}
inline AutomationObject AsObject(AutomationValue&& value) {
    if (LastComponentError() != 0) return {};
    if (value.kind() != AutomationValue::Kind::Object) {
        SetLastComponentError(ComponentError::ResultMismatch);
        return {};
    }
    return value.takeObject();
}
}  // namespace detail

inline std::span<const AutomationArgument> AutomationObject::spanOf(Arguments args) {
    return {args.begin(), args.size()};
}

inline AutomationValue AutomationObject::InvokeSpan(Member member, InvokeKind kind,
                                                    std::span<const Argument> args) const {
    AutomationValue result;
    Component* const component = m_component.get();
    if (component == nullptr) [[unlikely]] {
        SetLastComponentError(ComponentError::EmptyObject);
        return result;
    }
    const DispatchId id =
        member.byName() ? detail::ResolveMemberName(*component, member.name()) : member.id();
    if (id == kUnknownMember) [[unlikely]] {
        SetLastComponentError(ComponentError::UnknownName);
        return result;
    }
    const ComponentError error = component->Invoke(id, kind, args, result, m_component);
    SetLastComponentError(error);
    // One returned object throughout, so the result is built in place and never moved.
    if (error != ComponentError::None && !result.isEmpty()) [[unlikely]] {
        result.set(std::monostate());
    }
    return result;
}

inline std::string AutomationObject::GetText(Member member, Arguments args) const {
    return detail::AsText(InvokeSpan(member, InvokeKind::PropertyGet, spanOf(args)));
}
inline double AutomationObject::GetNumber(Member member, Arguments args) const {
    return detail::AsNumber(InvokeSpan(member, InvokeKind::PropertyGet, spanOf(args)));
}
inline bool AutomationObject::GetTruth(Member member, Arguments args) const {
    return detail::AsTruth(InvokeSpan(member, InvokeKind::PropertyGet, spanOf(args)));
}
inline AutomationObject AutomationObject::GetObject(Member member, Arguments args) const {
    return detail::AsObject(InvokeSpan(member, InvokeKind::PropertyGet, spanOf(args)));
}
inline std::string AutomationObject::CallText(Member member, Arguments args) const {
    return detail::AsText(InvokeSpan(member, InvokeKind::Method, spanOf(args)));
}
inline std::string AutomationObject::CallTextSpan(Member member,
                                                  std::span<const Argument> args) const {
    return detail::AsText(InvokeSpan(member, InvokeKind::Method, args));
}
inline AutomationObject AutomationObject::CallObject(Member member, Arguments args) const {
    return detail::AsObject(InvokeSpan(member, InvokeKind::Method, spanOf(args)));
}
inline AutomationValue AutomationObject::CallValue(Member member, Arguments args) const {
    return InvokeSpan(member, InvokeKind::Method, spanOf(args));
}
inline bool AutomationObject::Put(Member member, const Argument& value) const {
    InvokeSpan(member, InvokeKind::PropertyPut, std::span<const Argument>(&value, std::size_t{1}));
    return LastComponentError() == 0;
}

}  // namespace suantiji
