#include "services/regexp_component.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "services/regex_engine.h"

namespace suantiji {

namespace {

// Member ids per class.
enum RegExpMembers : DispatchId {
    kPattern = 1,
    kIgnoreCase,
    kGlobal,
    kMultiline,
    kSingleline,
    kExecute,
    kTest,
    kReplace
};
enum CollectionMembers : DispatchId { kCount = 1, kItem };
enum MatchMembers : DispatchId { kValue = 1, kFirstIndex, kLength, kSubMatches };

using MemberTable = std::initializer_list<std::pair<std::string_view, DispatchId>>;

DispatchId lookup(MemberTable table, std::string_view name) {
    for (const auto& [memberName, id] : table) {
        if (EqualsIgnoringCase(memberName, name)) return id;
    }
    return kUnknownMember;
}

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t utf16Units(std::string_view text) {
    // Every match's FirstIndex counts its whole prefix, which is nearly always ASCII.
    if (IsAscii(text)) return text.size();
    std::size_t units = 0;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (!isContinuationByte(c)) ++units;
        if (b >= 0xF0) ++units;  // beyond the basic plane: a surrogate pair
    }
    return units;
}

// A pattern text with its programs, one per flag combination, compiled when first needed.
// Shared by the instances of this thread that use the same text, most recently used first.
class PatternEntry {
public:
    explicit PatternEntry(std::string_view source) : m_source(source) {}

    const std::string& source() const { return m_source; }

    // Null when the pattern does not compile.
    const regex::Program* program(regex::Flags flags) {
        const std::size_t key =
            (flags.ignoreCase ? 1 : 0) | (flags.multiline ? 2 : 0) | (flags.dotAll ? 4 : 0);
        // Instances may be handed to another thread: compile under a lock, read without one.
        if (!m_ready[key].load(std::memory_order_acquire)) {
            const std::lock_guard lock(m_compiling);
            if (!m_ready[key].load(std::memory_order_relaxed)) {
                m_programs[key] = regex::Compile(m_source, flags);
                m_ready[key].store(true, std::memory_order_release);
            }
        }
        return m_programs[key].get();
    }

private:
    std::string m_source;
    std::mutex m_compiling;
    std::array<std::atomic<bool>, 8> m_ready{};
    std::array<std::shared_ptr<const regex::Program>, 8> m_programs;
};

constexpr std::size_t kCacheSize = 16;
thread_local std::vector<std::shared_ptr<PatternEntry>> t_patterns;
// Scratch space for one search's captures, reused across instances.
thread_local std::vector<int> t_captures;

std::shared_ptr<PatternEntry> internPattern(std::string_view text) {
    for (std::size_t i = 0; i < t_patterns.size(); ++i) {
        if (t_patterns[i]->source() == text) {
            if (i > 0)
                std::rotate(t_patterns.begin(), t_patterns.begin() + i, t_patterns.begin() + i + 1);
            return t_patterns.front();
        }
    }
    auto entry = std::make_shared<PatternEntry>(text);
    t_patterns.insert(t_patterns.begin(), entry);
    if (t_patterns.size() > kCacheSize) t_patterns.pop_back();
    return entry;
}

// Instances and match collections are made and dropped once per match: their memory is
// recycled on the thread instead of going back to the heap each time.
struct FreeList {
    static constexpr std::size_t kCapacity = 32;
    void* blocks[kCapacity];
    std::size_t count;
    bool closed;
};

struct FreeListCloser {
    FreeList& list;
    ~FreeListCloser() {
        while (list.count > 0) ::operator delete(list.blocks[--list.count]);
        list.closed = true;
    }
};

template <typename T>
class Recycler {
public:
    using value_type = T;
    Recycler() = default;
    template <typename U>
    Recycler(const Recycler<U>&) noexcept {}

    T* allocate(std::size_t n) {
        FreeList& list = freeList();
        if (n == 1 && list.count > 0) return static_cast<T*>(list.blocks[--list.count]);
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept {
        FreeList& list = freeList();
        if (n == 1 && !list.closed && list.count < FreeList::kCapacity) {
            list.blocks[list.count++] = p;
            return;
        }
        ::operator delete(p);
    }
    template <typename U>
    bool operator==(const Recycler<U>&) const noexcept {
        return true;
    }

private:
    static FreeList& freeList() {
        thread_local FreeList list{};  // trivially destructible: usable even after closing
        thread_local FreeListCloser closer{list};
        return list;
    }
};

class MatchCollection;

class SubMatchesObject final : public Component {
public:
    SubMatchesObject(const MatchCollection* owner, std::size_t match)
        : m_owner(owner), m_match(match) {}
    DispatchId MemberId(std::string_view name) const override {
        return lookup({{"Count", kCount}, {"Item", kItem}}, name);
    }
    ComponentError Invoke(DispatchId id, InvokeKind kind, std::span<const AutomationArgument> args,
                          AutomationValue& result, const std::shared_ptr<Component>& self) override;

private:
    const MatchCollection* m_owner;
    std::size_t m_match;
};

class MatchObject final : public Component {
public:
    MatchObject(const MatchCollection* owner, std::size_t match)
        : m_owner(owner), m_match(match), m_subMatches(owner, match) {}
    DispatchId MemberId(std::string_view name) const override {
        return lookup({{"Value", kValue},
                       {"FirstIndex", kFirstIndex},
                       {"Length", kLength},
                       {"SubMatches", kSubMatches}},
                      name);
    }
    ComponentError Invoke(DispatchId id, InvokeKind kind, std::span<const AutomationArgument> args,
                          AutomationValue& result, const std::shared_ptr<Component>& self) override;

private:
    const MatchCollection* m_owner;
    std::size_t m_match;
    SubMatchesObject m_subMatches;
};

// Matches and their sub-match lists are parts of the collection: references to them share the
// collection's count (aliasing the caller's reference), so handing one out allocates nothing.
// A collection is made for every Execute, so its parts are built only as matches arrive.
class MatchCollection final : public Component {
public:
    MatchCollection(std::string_view subject, int groups)
        : m_groups(groups),
          m_stride(static_cast<std::size_t>(groups + 1) * 2),
          m_inlineMatches{MatchObject(this, 0), MatchObject(this, 1)} {
        if (subject.size() <= sizeof m_shortSubject) {
            std::copy(subject.begin(), subject.end(), m_shortSubject);
            m_subject = std::string_view(m_shortSubject, subject.size());
        } else {
            m_longSubject.assign(subject);
            m_subject = m_longSubject;
        }
    }
    MatchCollection(const MatchCollection&) = delete;
    MatchCollection& operator=(const MatchCollection&) = delete;

    void add(const std::vector<int>& captures) {
        const std::size_t offset = m_count * m_stride;
        if (offset + m_stride <= m_inlineCaptures.size() && m_moreCaptures.empty()) {
            std::copy_n(captures.begin(), m_stride, m_inlineCaptures.begin() + offset);
        } else {
            if (m_moreCaptures.empty()) {
                m_moreCaptures.assign(m_inlineCaptures.begin(), m_inlineCaptures.begin() + offset);
            }
            m_moreCaptures.insert(m_moreCaptures.end(), captures.begin(),
                                  captures.begin() + static_cast<std::ptrdiff_t>(m_stride));
        }
        if (m_count >= kInlineMatches) {
            m_moreMatches.push_back(std::make_unique<MatchObject>(this, m_count));
        }
        ++m_count;
    }

    std::size_t matchCount() const { return m_count; }
    int groups() const { return m_groups; }
    // Byte bounds of group g (0 = the whole match) of match m; begin is -1 when it took no part.
    std::pair<int, int> bounds(std::size_t m, int g) const {
        const int* b = (m_moreCaptures.empty() ? m_inlineCaptures.data() : m_moreCaptures.data()) +
                       m * m_stride + static_cast<std::size_t>(g) * 2;
        return {b[0], b[1]};
    }
    std::string_view text(std::pair<int, int> b) const {
        if (b.first < 0 || b.second < b.first) return {};
        return m_subject.substr(static_cast<std::size_t>(b.first),
                                static_cast<std::size_t>(b.second - b.first));
    }
    std::string_view subject() const { return m_subject; }

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
        if (index < 0 || static_cast<std::size_t>(index) >= m_count) {
            return ComponentError::Exception;
        }
        // The match shares the collection's lifetime: no allocation per item.
        result.set(AutomationObject(
            std::shared_ptr<Component>(self, &match(static_cast<std::size_t>(index)))));
        return ComponentError::None;
    }

private:
    static constexpr std::size_t kInlineMatches = 2;

    MatchObject& match(std::size_t i) {
        return i < kInlineMatches ? m_inlineMatches[i] : *m_moreMatches[i - kInlineMatches];
    }

    // Subjects, match lists and their bounds are short: all usually live inside the collection.
    char m_shortSubject[64];
    std::string m_longSubject;
    std::string_view m_subject;
    int m_groups;
    std::size_t m_stride;  // ints of bounds per match
    std::size_t m_count = 0;
    std::array<int, 16> m_inlineCaptures;
    std::vector<int> m_moreCaptures;  // all bounds, once they outgrow the inline ones
    // The first matches cost a few pointer stores each, so they are always there.
    std::array<MatchObject, kInlineMatches> m_inlineMatches;
    std::vector<std::unique_ptr<MatchObject>> m_moreMatches;
};

ComponentError MatchObject::Invoke(DispatchId id, InvokeKind kind,
                                   std::span<const AutomationArgument> args,
                                   AutomationValue& result,
                                   const std::shared_ptr<Component>& self) {
    if (kind == InvokeKind::PropertyPut) return ComponentError::MemberNotFound;
    if (!args.empty()) return ComponentError::BadParamCount;
    switch (id) {
        case kValue:
            result.set(std::string(m_owner->text(m_owner->bounds(m_match, 0))));
            break;
        case kFirstIndex: {
            const auto first = static_cast<std::size_t>(m_owner->bounds(m_match, 0).first);
            result.set(static_cast<std::int32_t>(utf16Units(m_owner->subject().substr(0, first))));
            break;
        }
        case kLength:
            result.set(
                static_cast<std::int32_t>(utf16Units(m_owner->text(m_owner->bounds(m_match, 0)))));
            break;
        case kSubMatches:
            result.set(AutomationObject(std::shared_ptr<Component>(self, &m_subMatches)));
            break;
        default:
            return ComponentError::MemberNotFound;
    }
    return ComponentError::None;
}

ComponentError SubMatchesObject::Invoke(DispatchId id, InvokeKind kind,
                                        std::span<const AutomationArgument> args,
                                        AutomationValue& result,
                                        const std::shared_ptr<Component>& /*self*/) {
    if (kind == InvokeKind::PropertyPut) return ComponentError::MemberNotFound;
    if (id == kCount) {
        if (!args.empty()) return ComponentError::BadParamCount;
        result.set(static_cast<std::int32_t>(m_owner->groups()));
        return ComponentError::None;
    }
    if (id != kItem) return ComponentError::MemberNotFound;
    if (args.size() != 1) return ComponentError::BadParamCount;
    std::int32_t index = 0;
    if (!args[0].toInteger(index)) return ComponentError::TypeMismatch;
    if (index < 0 || index >= m_owner->groups()) return ComponentError::Exception;
    const auto b = m_owner->bounds(m_match, index + 1);
    // A group that took no part is empty, not an empty text.
    if (b.first >= 0) {
        result.set(std::string(m_owner->text(b)));
    } else {
        result.set(std::monostate());
    }
    return ComponentError::None;
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
                       {"Test", kTest},
                       {"Replace", kReplace}},
                      name);
    }

    ComponentError Invoke(DispatchId id, InvokeKind kind, std::span<const AutomationArgument> args,
                          AutomationValue& result,
                          const std::shared_ptr<Component>& /*self*/) override {
        // Every match writes four flags and reads one back: they take a path that calls
        // nothing.
        if (id >= kIgnoreCase && id <= kSingleline) {
            if (kind == InvokeKind::PropertyPut && args.size() == 1 &&
                args[0].kind() == AutomationValue::Kind::Truth) {
                *flag(id) = args[0].truth();
                return ComponentError::None;
            }
            if (kind != InvokeKind::PropertyPut && args.empty()) {
                result.set(*flag(id));
                return ComponentError::None;
            }
        }
        return invokeOther(id, kind, args, result);
    }

private:
    [[gnu::noinline]] ComponentError invokeOther(DispatchId id, InvokeKind kind,
                                                 std::span<const AutomationArgument> args,
                                                 AutomationValue& result) {
        if (id >= kPattern && id <= kSingleline) return property(id, kind, args, result);
        if (kind == InvokeKind::PropertyPut) return ComponentError::MemberNotFound;
        switch (id) {
            case kExecute:
                return execute(args, result);
            case kTest:
                return test(args, result);
            case kReplace:
                return replace(args, result);
            default:
                return ComponentError::MemberNotFound;
        }
    }

    bool* flag(DispatchId id) {
        switch (id) {
            case kIgnoreCase:
                return &m_flags.ignoreCase;
            case kGlobal:
                return &m_global;
            case kMultiline:
                return &m_flags.multiline;
            default:
                return &m_flags.dotAll;
        }
    }

    ComponentError property(DispatchId id, InvokeKind kind,
                            std::span<const AutomationArgument> args, AutomationValue& result) {
        if (kind != InvokeKind::PropertyPut) {
            if (!args.empty()) return ComponentError::BadParamCount;
            if (id == kPattern) {
                result.set(m_pattern ? m_pattern->source() : std::string());
            } else {
                result.set(*flag(id));
            }
            return ComponentError::None;
        }
        if (args.size() != 1) return ComponentError::BadParamCount;
        if (id == kPattern) {
            if (args[0].kind() == AutomationValue::Kind::Text) {
                m_pattern = internPattern(args[0].text());
            } else {
                std::string text;
                if (!args[0].toText(text)) return ComponentError::TypeMismatch;
                m_pattern = internPattern(text);
            }
            return ComponentError::None;
        }
        bool value = false;
        if (!args[0].toTruth(value)) return ComponentError::TypeMismatch;
        *flag(id) = value;
        return ComponentError::None;
    }

    // The subject argument as a view; `storage` keeps a converted one alive.
    static ComponentError subjectOf(const AutomationArgument& arg, std::string& storage,
                                    std::string_view& subject) {
        if (arg.kind() == AutomationValue::Kind::Text) {
            subject = arg.text();
            return ComponentError::None;
        }
        if (!arg.toText(storage)) return ComponentError::TypeMismatch;
        subject = storage;
        return ComponentError::None;
    }

    const regex::Program* program() {
        if (!m_pattern) m_pattern = internPattern("");
        return m_pattern->program(m_flags);
    }

    // Runs the pattern over the subject, calling onMatch with each match's captures.
    template <typename OnMatch>
    ComponentError each(const regex::Program& p, std::string_view subject, OnMatch onMatch) {
        regex::Searcher searcher(p, subject);
        std::size_t pos = 0;
        while (pos <= subject.size()) {
            bool aborted = false;
            if (!searcher.Next(pos, t_captures, &aborted)) {
                return aborted ? ComponentError::Exception : ComponentError::None;
            }
            onMatch(t_captures);
            if (!m_global) break;
            const auto begin = static_cast<std::size_t>(t_captures[0]);
            const auto end = static_cast<std::size_t>(t_captures[1]);
            pos = end;
            if (end == begin) {  // step past an empty match by one character
                ++pos;
                while (pos < subject.size() && isContinuationByte(subject[pos])) ++pos;
            }
        }
        return ComponentError::None;
    }

    ComponentError execute(std::span<const AutomationArgument> args, AutomationValue& result) {
        if (args.size() != 1) return ComponentError::BadParamCount;
        std::string storage;
        std::string_view subject;
        if (const auto error = subjectOf(args[0], storage, subject);
            error != ComponentError::None) {
            return error;
        }
        const regex::Program* p = program();
        if (p == nullptr) return ComponentError::Exception;
        auto collection = std::allocate_shared<MatchCollection>(Recycler<MatchCollection>(),
                                                                subject, regex::GroupCount(*p));
        const auto error =
            each(*p, subject, [&](const std::vector<int>& captures) { collection->add(captures); });
        if (error != ComponentError::None) return error;
        result.set(AutomationObject(std::move(collection)));
        return ComponentError::None;
    }

    ComponentError test(std::span<const AutomationArgument> args, AutomationValue& result) {
        if (args.size() != 1) return ComponentError::BadParamCount;
        std::string storage;
        std::string_view subject;
        if (const auto error = subjectOf(args[0], storage, subject);
            error != ComponentError::None) {
            return error;
        }
        const regex::Program* p = program();
        if (p == nullptr) return ComponentError::Exception;
        bool aborted = false;
        const bool found = regex::Search(*p, subject, 0, t_captures, &aborted);
        if (aborted) return ComponentError::Exception;
        result.set(found);
        return ComponentError::None;
    }

    static void expand(std::string& out, std::string_view replacement, std::string_view subject,
                       const std::vector<int>& captures, int groups) {
        auto group = [&](int g) -> std::string_view {
            const int b = captures[static_cast<std::size_t>(g) * 2];
            const int e = captures[static_cast<std::size_t>(g) * 2 + 1];
            if (b < 0) return {};
            return subject.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b));
        };
        for (std::size_t i = 0; i < replacement.size(); ++i) {
            const char c = replacement[i];
            if (c != '$' || i + 1 >= replacement.size()) {
                out += c;
                continue;
            }
            const char n = replacement[i + 1];
            if (n == '$') {
                out += '$';
                ++i;
            } else if (n == '&') {
                out += group(0);
                ++i;
            } else if (n == '`') {
                out += subject.substr(0, static_cast<std::size_t>(captures[0]));
                ++i;
            } else if (n == '\'') {
                out += subject.substr(static_cast<std::size_t>(captures[1]));
                ++i;
            } else if (n >= '0' && n <= '9') {
                int number = n - '0';
                std::size_t used = 1;
                if (i + 2 < replacement.size() && replacement[i + 2] >= '0' &&
                    replacement[i + 2] <= '9' &&
                    number * 10 + (replacement[i + 2] - '0') <= groups) {
                    number = number * 10 + (replacement[i + 2] - '0');
                    used = 2;
                }
                if (number >= 1 && number <= groups) {
                    out += group(number);
                    i += used;
                } else {
                    out += c;
                }
            } else {
                out += c;
            }
        }
    }

    ComponentError replace(std::span<const AutomationArgument> args, AutomationValue& result) {
        if (args.size() != 2) return ComponentError::BadParamCount;
        std::string storage;
        std::string_view subject;
        if (const auto error = subjectOf(args[0], storage, subject);
            error != ComponentError::None) {
            return error;
        }
        std::string replacement;
        if (!args[1].toText(replacement)) return ComponentError::TypeMismatch;
        const regex::Program* p = program();
        if (p == nullptr) return ComponentError::Exception;
        const int groups = regex::GroupCount(*p);
        std::string out;
        std::size_t copied = 0;
        const auto error = each(*p, subject, [&](const std::vector<int>& captures) {
            const auto begin = static_cast<std::size_t>(captures[0]);
            out.append(subject.substr(copied, begin - copied));
            expand(out, replacement, subject, captures, groups);
            copied = static_cast<std::size_t>(captures[1]);
        });
        if (error != ComponentError::None) return error;
        out.append(subject.substr(copied));
        result.set(std::move(out));
        return ComponentError::None;
    }

    std::shared_ptr<PatternEntry> m_pattern;  // keeps its programs alive for this instance
    regex::Flags m_flags;
    bool m_global = false;
};

}  // namespace

std::shared_ptr<Component> CreateRegExpComponent() {
    return std::allocate_shared<RegExpObject>(Recycler<RegExpObject>());
}

std::size_t Utf16IndexToByteOffset(std::string_view text, std::size_t index) {
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < text.size() && units < index) {
        const auto b = static_cast<unsigned char>(text[i]);
        units += b >= 0xF0 ? 2 : 1;
        ++i;
        while (i < text.size() && isContinuationByte(text[i])) ++i;
    }
    return i;
}

std::size_t Utf16Length(std::string_view text) { return utf16Units(text); }

bool IsAscii(std::string_view text) {
    // Eight bytes at a time.
    std::size_t i = 0;
    std::uint64_t high = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, 8);
        high |= word;
    }
    for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
    return (high & 0x8080808080808080ULL) == 0;
}

}  // namespace suantiji
