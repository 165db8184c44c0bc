#include "services/regexp_component.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <string>
#include <utility>
#include <vector>

#include "common/text.h"

namespace suantiji {

namespace {

enum RegExpMembers : DispatchId {
    kPattern = 1,
    kIgnoreCase,
    kGlobal,
    kMultiline,
    kSingleline,
    kExecute,
    kReplace
};
enum CollectionMembers : DispatchId { kCount = 1, kItem };
enum MatchMembers : DispatchId { kValue = 1, kFirstIndex, kSubMatches };

using MemberTable = std::initializer_list<std::pair<std::string_view, DispatchId>>;

DispatchId lookup(MemberTable table, std::string_view name) {
    for (const auto& [memberName, id] : table) {
        if (EqualsIgnoringCase(memberName, name)) return id;
    }
    return kUnknownMember;
}

std::size_t utf16Units(std::string_view text) {
    std::size_t units = 0;
    for (const char c : text) {
        if (!IsUtf8Continuation(c)) ++units;
        if (static_cast<unsigned char>(c) >= 0xF0) ++units;  // beyond the basic plane: a pair
    }
    return units;
}

// A hostile pattern (nested quantifiers over a long subject) ends with an error instead of
// running for minutes; the generator's pattern takes a few dozen steps a subject.
constexpr std::uint32_t kMatchLimit = 1'000'000;
constexpr std::uint32_t kDepthLimit = 10'000;

// ECMAScript's readings where PCRE2's own differ: the \u and \x forms, "$" only at the very
// end, and a reference to a group that took no part matching the empty text. Invalid UTF-8 in
// a subject never matches instead of failing the whole search.
constexpr std::uint32_t kBaseOptions = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX |
                                       PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;

// A pattern compiled for one set of options, with the match data its searches use. Every
// thread has its own (see compiled()), so nothing is locked.
class CompiledPattern {
public:
    CompiledPattern(std::string_view source, std::uint32_t options)
        : m_source(source), m_options(options) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(), options,
                               &error, &offset, nullptr);
        if (m_code == nullptr) return;
        // Where JIT is unavailable the interpreter runs the same code.
        m_jit = pcre2_jit_compile(m_code, PCRE2_JIT_COMPLETE) == 0;
        std::uint32_t groups = 0;
        pcre2_pattern_info(m_code, PCRE2_INFO_CAPTURECOUNT, &groups);
        m_groups = static_cast<int>(groups);
        m_data = pcre2_match_data_create_from_pattern(m_code, nullptr);
        m_context = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(m_context, kMatchLimit);
        pcre2_set_depth_limit(m_context, kDepthLimit);
    }
    ~CompiledPattern() {
        pcre2_match_context_free(m_context);
        pcre2_match_data_free(m_data);
        pcre2_code_free(m_code);
    }
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

    bool is(std::string_view source, std::uint32_t options) const {
        return options == m_options && source == m_source;
    }
    int groups() const { return m_groups; }

    // Calls onMatch with the bounds (begin, end per group; PCRE2_UNSET for a group that took
    // no part) of each match from left to right, or of the first only. A global search goes on
    // from the end of a match, one character further after an empty one, as ECMAScript does.
    template <typename OnMatch>
    ComponentError forEachMatch(std::string_view subject, bool global, OnMatch onMatch) {
        if (m_code == nullptr) return ComponentError::Exception;
        // PCRE2 wants a pointer even for an empty subject.
        const auto* text =
            reinterpret_cast<PCRE2_SPTR>(subject.data() != nullptr ? subject.data() : "");
        std::size_t from = 0;
        while (from <= subject.size()) {
            // The JIT's own entry skips checks that compiling already made.
            const int found =
                m_jit ? pcre2_jit_match(m_code, text, subject.size(), from, 0, m_data, m_context)
                      : pcre2_match(m_code, text, subject.size(), from, 0, m_data, m_context);
            if (found == PCRE2_ERROR_NOMATCH) break;
            if (found <= 0) return ComponentError::Exception;  // a limit reached, or worse
            const PCRE2_SIZE* bounds = pcre2_get_ovector_pointer(m_data);
            // \K can move a match's start past its end.
            if (bounds[1] < bounds[0]) return ComponentError::Exception;
            onMatch(bounds);
            if (!global) break;
            from = bounds[1];
            if (bounds[0] == bounds[1]) {
                ++from;
                while (from < subject.size() && IsUtf8Continuation(subject[from])) ++from;
            }
        }
        return ComponentError::None;
    }

private:
    std::string m_source;
    std::uint32_t m_options;
    pcre2_code* m_code = nullptr;  // null when the pattern does not compile
    bool m_jit = false;
    int m_groups = 0;
    pcre2_match_data* m_data = nullptr;
    pcre2_match_context* m_context = nullptr;
};

// Per thread, most recently used first. A search holds no entry past its own end, so
// dropping the oldest entry never pulls one from under a search.
CompiledPattern& compiled(std::string_view source, std::uint32_t options) {
    constexpr std::size_t kCacheSize = 16;
    thread_local std::vector<std::unique_ptr<CompiledPattern>> cache;
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if ((*it)->is(source, options)) {
            std::rotate(cache.begin(), it, it + 1);
            return *cache.front();
        }
    }
    cache.insert(cache.begin(), std::make_unique<CompiledPattern>(source, options));
    if (cache.size() > kCacheSize) cache.pop_back();
    return *cache.front();
}

class MatchCollection;

class SubMatchesObject final : public Component {
public:
    SubMatchesObject(const MatchCollection& owner, std::size_t match)
        : m_owner(owner), m_match(match) {}
    DispatchId MemberId(std::string_view name) const override {
        return lookup({{"Count", kCount}, {"Item", kItem}}, name);
    }
    ComponentError Invoke(DispatchId id, InvokeKind kind, std::span<const AutomationArgument> args,
                          AutomationValue& result, const std::shared_ptr<Component>& self) override;

private:
    const MatchCollection& m_owner;
    std::size_t m_match;
};

class MatchObject final : public Component {
public:
    MatchObject(const MatchCollection& owner, std::size_t match)
        : m_owner(owner), m_match(match), m_subMatches(owner, match) {}
    DispatchId MemberId(std::string_view name) const override {
        return lookup({{"Value", kValue}, {"FirstIndex", kFirstIndex}, {"SubMatches", kSubMatches}},
                      name);
    }
    ComponentError Invoke(DispatchId id, InvokeKind kind, std::span<const AutomationArgument> args,
                          AutomationValue& result, const std::shared_ptr<Component>& self) override;

private:
    const MatchCollection& m_owner;
    std::size_t m_match;
    SubMatchesObject m_subMatches;
};

// Matches and their sub-match lists are parts of the collection: a reference to one shares
// the collection's count (aliasing the caller's reference), so it outlives nothing it needs.
class MatchCollection final : public Component {
public:
    MatchCollection(std::string_view subject, int groups)
        : m_subject(subject, &m_memory),
          m_groups(groups),
          m_bounds(&m_memory),
          m_matches(&m_memory) {
        // The generator's subjects have one or two matches.
        m_bounds.reserve(stride() * 2);
        m_matches.reserve(2);
    }
    MatchCollection(const MatchCollection&) = delete;
    MatchCollection& operator=(const MatchCollection&) = delete;

    void add(const PCRE2_SIZE* bounds) {
        m_bounds.insert(m_bounds.end(), bounds, bounds + stride());
        m_matches.emplace_back(*this, m_matches.size());
    }

    std::string_view subject() const { return m_subject; }
    std::size_t matchCount() const { return m_matches.size(); }
    int groups() const { return m_groups; }
    // Byte bounds of group g (0: the whole match) of match m; begin is PCRE2_UNSET when the
    // group took no part.
    std::pair<std::size_t, std::size_t> bounds(std::size_t m, int g) const {
        const std::size_t at = m * stride() + static_cast<std::size_t>(g) * 2;
        return {m_bounds[at], m_bounds[at + 1]};
    }
    std::string text(std::size_t m, int g) const {
        const auto [begin, end] = bounds(m, g);
        return std::string(subject().substr(begin, end - begin));
    }

    DispatchId MemberId(std::string_view name) const override {
        return lookup({{"Count", kCount}, {"Item", kItem}}, name);
    }

    ComponentError Invoke(DispatchId id, InvokeKind kind, std::span<const AutomationArgument> args,
                          AutomationValue& result,
                          const std::shared_ptr<Component>& self) override {
        if (kind == InvokeKind::PropertyPut) return ComponentError::MemberNotFound;
        if (id == kCount) {
            if (!args.empty()) return ComponentError::BadParamCount;
            result.set(static_cast<std::int32_t>(matchCount()));
            return ComponentError::None;
        }
        if (id != kItem) return ComponentError::MemberNotFound;
        if (args.size() != 1) return ComponentError::BadParamCount;
        std::int32_t index = 0;
        if (!args[0].toInteger(index)) return ComponentError::TypeMismatch;
        if (index < 0 || static_cast<std::size_t>(index) >= matchCount()) {
            return ComponentError::Exception;
        }
        result.set(AutomationObject(
            std::shared_ptr<Component>(self, &m_matches[static_cast<std::size_t>(index)])));
        return ComponentError::None;
    }

private:
    std::size_t stride() const { return static_cast<std::size_t>(m_groups + 1) * 2; }

    // One is made for every Execute: its parts usually fit in this buffer, so the whole
    // collection is one allocation. Matches are handed out only once all are found.
    std::array<std::byte, 256> m_buffer;
    std::pmr::monotonic_buffer_resource m_memory{m_buffer.data(), m_buffer.size()};
    std::pmr::string m_subject;
    int m_groups;
    std::pmr::vector<PCRE2_SIZE> m_bounds;
    std::pmr::vector<MatchObject> m_matches;
};

ComponentError MatchObject::Invoke(DispatchId id, InvokeKind kind,
                                   std::span<const AutomationArgument> args,
                                   AutomationValue& result,
                                   const std::shared_ptr<Component>& self) {
    if (kind == InvokeKind::PropertyPut) return ComponentError::MemberNotFound;
    if (!args.empty()) return ComponentError::BadParamCount;
    switch (id) {
        case kValue:
            result.set(m_owner.text(m_match, 0));
            return ComponentError::None;
        case kFirstIndex: {
            const std::string_view before(m_owner.subject().data(),
                                          m_owner.bounds(m_match, 0).first);
            result.set(static_cast<std::int32_t>(utf16Units(before)));
            return ComponentError::None;
        }
        case kSubMatches:
            result.set(AutomationObject(std::shared_ptr<Component>(self, &m_subMatches)));
            return ComponentError::None;
        default:
            return ComponentError::MemberNotFound;
    }
}

ComponentError SubMatchesObject::Invoke(DispatchId id, InvokeKind kind,
                                        std::span<const AutomationArgument> args,
                                        AutomationValue& result,
                                        const std::shared_ptr<Component>& /*self*/) {
    if (kind == InvokeKind::PropertyPut) return ComponentError::MemberNotFound;
    if (id == kCount) {
        if (!args.empty()) return ComponentError::BadParamCount;
        result.set(static_cast<std::int32_t>(m_owner.groups()));
        return ComponentError::None;
    }
    if (id != kItem) return ComponentError::MemberNotFound;
    if (args.size() != 1) return ComponentError::BadParamCount;
    std::int32_t index = 0;
    if (!args[0].toInteger(index)) return ComponentError::TypeMismatch;
    if (index < 0 || index >= m_owner.groups()) return ComponentError::Exception;
    // A group that took no part is empty, not an empty text.
    if (m_owner.bounds(m_match, index + 1).first == PCRE2_UNSET) {
        result.set(std::monostate());
    } else {
        result.set(m_owner.text(m_match, index + 1));
    }
    return ComponentError::None;
}

// ECMAScript's replacement forms: $$, $&, $`, $', $1 to $99.
void expand(std::string& out, std::string_view replacement, const MatchCollection& matches,
            std::size_t m) {
    const std::string_view subject = matches.subject();
    const int groups = matches.groups();
    const auto [begin, end] = matches.bounds(m, 0);
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        const char c = replacement[i];
        const char n = i + 1 < replacement.size() ? replacement[i + 1] : '\0';
        if (c != '$' || n == '\0') {
            out += c;
        } else if (n == '$') {
            out += '$';
            ++i;
        } else if (n == '&') {
            out += subject.substr(begin, end - begin);
            ++i;
        } else if (n == '`') {
            out += subject.substr(0, begin);
            ++i;
        } else if (n == '\'') {
            out += subject.substr(end);
            ++i;
        } else if (n >= '0' && n <= '9') {
            int number = n - '0';
            std::size_t used = 1;
            const char d = i + 2 < replacement.size() ? replacement[i + 2] : '\0';
            if (d >= '0' && d <= '9' && number * 10 + (d - '0') <= groups) {
                number = number * 10 + (d - '0');
                used = 2;
            }
            if (number >= 1 && number <= groups) {
                if (matches.bounds(m, number).first != PCRE2_UNSET) out += matches.text(m, number);
                i += used;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
}

class RegExpObject final : public Component {
public:
    DispatchId MemberId(std::string_view name) const override {
        return lookup({{"Pattern", kPattern},
                       {"IgnoreCase", kIgnoreCase},
                       {"Global", kGlobal},
                       {"Multiline", kMultiline},
                       {"Singleline", kSingleline},
                       {"Execute", kExecute},
                       {"Replace", kReplace}},
                      name);
    }

    ComponentError Invoke(DispatchId id, InvokeKind kind, std::span<const AutomationArgument> args,
                          AutomationValue& result,
                          const std::shared_ptr<Component>& /*self*/) override {
        if (id >= kPattern && id <= kSingleline) return property(id, kind, args, result);
        if (kind == InvokeKind::PropertyPut) return ComponentError::MemberNotFound;
        if (id == kExecute) return execute(args, result);
        if (id == kReplace) return replace(args, result);
        return ComponentError::MemberNotFound;
    }

private:
    bool& flag(DispatchId id) { return m_flags[static_cast<std::size_t>(id - kIgnoreCase)]; }
    bool flag(DispatchId id) const { return m_flags[static_cast<std::size_t>(id - kIgnoreCase)]; }

    ComponentError property(DispatchId id, InvokeKind kind,
                            std::span<const AutomationArgument> args, AutomationValue& result) {
        if (kind != InvokeKind::PropertyPut) {
            if (!args.empty()) return ComponentError::BadParamCount;
            if (id == kPattern) {
                result.set(m_pattern);
            } else {
                result.set(flag(id));
            }
            return ComponentError::None;
        }
        if (args.size() != 1) return ComponentError::BadParamCount;
        const bool converted =
            id == kPattern ? args[0].toText(m_pattern) : args[0].toTruth(flag(id));
        return converted ? ComponentError::None : ComponentError::TypeMismatch;
    }

    CompiledPattern& compiledPattern() const {
        const std::uint32_t options = kBaseOptions | (flag(kIgnoreCase) ? PCRE2_CASELESS : 0) |
                                      (flag(kMultiline) ? PCRE2_MULTILINE : 0) |
                                      (flag(kSingleline) ? PCRE2_DOTALL : 0);
        return compiled(m_pattern, options);
    }

    // All matches of the pattern in the subject argument, or the failure.
    ComponentError run(const AutomationArgument& subjectArgument,
                       std::shared_ptr<MatchCollection>& matches) const {
        std::string converted;
        std::string_view subject = subjectArgument.text();
        if (subjectArgument.kind() != AutomationValue::Kind::Text) {
            if (!subjectArgument.toText(converted)) return ComponentError::TypeMismatch;
            subject = converted;
        }
        CompiledPattern& pattern = compiledPattern();
        matches = std::make_shared<MatchCollection>(subject, pattern.groups());
        MatchCollection& collection = *matches;
        return pattern.forEachMatch(
            collection.subject(), flag(kGlobal),
            [&collection](const PCRE2_SIZE* bounds) { collection.add(bounds); });
    }

    ComponentError execute(std::span<const AutomationArgument> args, AutomationValue& result) {
        if (args.size() != 1) return ComponentError::BadParamCount;
        std::shared_ptr<MatchCollection> matches;
        const ComponentError error = run(args[0], matches);
        if (error == ComponentError::None) result.set(AutomationObject(std::move(matches)));
        return error;
    }

    ComponentError replace(std::span<const AutomationArgument> args, AutomationValue& result) {
        if (args.size() != 2) return ComponentError::BadParamCount;
        std::string replacement;
        if (!args[1].toText(replacement)) return ComponentError::TypeMismatch;
        std::shared_ptr<MatchCollection> matches;
        const ComponentError error = run(args[0], matches);
        if (error != ComponentError::None) return error;
        const std::string_view subject = matches->subject();
        std::string out;
        std::size_t copied = 0;
        for (std::size_t m = 0; m < matches->matchCount(); ++m) {
            const auto [begin, end] = matches->bounds(m, 0);
            out += subject.substr(copied, begin - copied);
            expand(out, replacement, *matches, m);
            copied = end;
        }
        out += subject.substr(copied);
        result.set(std::move(out));
        return ComponentError::None;
    }

    std::string m_pattern;
    std::array<bool, 4> m_flags{};  // IgnoreCase, Global, Multiline, Singleline
};

}  // namespace

std::shared_ptr<Component> CreateRegExpComponent() { return std::make_shared<RegExpObject>(); }

std::size_t Utf16IndexToByteOffset(std::string_view text, std::size_t index) {
    // Over ASCII, nearly every subject, indexes and offsets agree.
    const std::string_view head = text.substr(0, index);
    if (std::all_of(head.begin(), head.end(), [](char c) { return (c & 0x80) == 0; })) {
        return head.size();
    }
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < text.size() && units < index) {
        units += static_cast<unsigned char>(text[i]) >= 0xF0 ? 2 : 1;
        ++i;
        while (i < text.size() && IsUtf8Continuation(text[i])) ++i;
    }
    return i;
}

}  // namespace suantiji
