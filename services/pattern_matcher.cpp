#include "services/pattern_matcher.h"

#include <algorithm>
#include <cmath>

#include "common/text.h"
#include "services/regexp_component.h"

namespace suantiji {

namespace {

bool hasAsciiLetter(std::string_view text) {
    for (const char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
    }
    return false;
}

}  // namespace

PatternMatcher::PatternMatcher(const ComponentRegistry& registry)
    : m_registry(&registry), m_class(registry.Find("VBScript.RegExp")) {
    CoInitialize();
}

PatternMatcher::~PatternMatcher() {
    m_regex.Clear();
    m_matches.Clear();
    m_subject.reset();
    CoUninitialize();
}

PatternMatcher::PatternMatcher(const PatternMatcher& other)
    : m_registry(other.m_registry),
      m_class(other.m_class),
      m_regex(other.m_regex),
      m_matches(other.m_matches),
      m_subject(other.m_subject),
      m_ids(other.m_ids) {
    // Every matcher pairs its own initialisation with the uninitialisation in its destructor.
    CoInitialize();
}

PatternMatcher& PatternMatcher::operator=(const PatternMatcher& other) = default;

DispatchId PatternMatcher::id(DispatchId& slot, const AutomationObject& object,
                              std::string_view name) {
    if (slot == kUnresolved && !object.IsEmpty()) {
        slot = object.MemberId(name);
    }
    return slot == kUnresolved ? kUnknownMember : slot;
}

bool PatternMatcher::Match(std::string_view pattern, std::string_view subject, bool caseSensitive,
                           bool multiline, bool global, bool quoteEscape) {
    m_regex.Clear();
    m_matches.Clear();
    m_regex = m_registry->Create(m_class);
    if (m_regex.IsEmpty()) {
        // Calls on the empty object leave the failure code behind.
        m_regex.Put("Pattern", pattern);
        m_subject = std::string(subject);
        return false;
    }
    m_regex.Put(id(m_ids.ignoreCase, m_regex, "IgnoreCase"), !caseSensitive);
    m_regex.Put(id(m_ids.multiline, m_regex, "Multiline"), multiline);
    m_regex.Put(id(m_ids.singleline, m_regex, "Singleline"), true);
    m_regex.Put(id(m_ids.global, m_regex, "Global"), global);
    if (quoteEscape) {
        m_regex.Put(id(m_ids.pattern, m_regex, "Pattern"), ReplaceAll(pattern, "#引号", "\""));
    } else {
        m_regex.Put(id(m_ids.pattern, m_regex, "Pattern"), pattern);
    }
    if (m_subject) {
        m_subject->assign(subject);
    } else {
        m_subject.emplace(subject);
    }
    m_matches = m_regex.CallObject(id(m_ids.execute, m_regex, "Execute"), {*m_subject});
    return !m_matches.IsEmpty();
}

int PatternMatcher::MatchCount() const {
    if (m_matches.IsEmpty()) {
        SetLastComponentError(ComponentError::EmptyObject);
        return 0;
    }
    return TruncateToInteger(m_matches.GetNumber(id(m_ids.count, m_matches, "Count")));
}

AutomationObject PatternMatcher::matchObject(int index) const {
    return m_matches.GetObject(id(m_ids.item, m_matches, "Item"), {index - 1});
}

int PatternMatcher::findPosition(std::string_view text, const AutomationObject& match) const {
    const double firstIndex = match.GetNumber(id(m_ids.firstIndex, match, "FirstIndex"));
    const std::string_view subject = m_subject ? std::string_view(*m_subject) : std::string_view();
    // The component counts UTF-16 units; the search starts at the matching byte offset, which
    // in an ASCII subject is the index itself. Truncated toward zero, an index below 1 (or
    // NaN) is 0, and one past the subject's size, in units or bytes, is its end.
    std::size_t from = 0;
    if (firstIndex >= 1) {
        const std::size_t index = firstIndex < static_cast<double>(subject.size())
                                      ? static_cast<std::size_t>(firstIndex)
                                      : subject.size();
        from = Utf16IndexToByteOffset(subject, index);
    }
    if (text.empty()) return from < subject.size() ? 0 : -2;
    // Without letters in the sought text, ignoring case changes nothing, so the instance is
    // asked only when it could (the generator's groups are digits and operators).
    const bool caseSensitive =
        !hasAsciiLetter(text) || !m_regex.GetTruth(id(m_ids.ignoreCase, m_regex, "IgnoreCase"));
    const int found = FindText(subject, text, static_cast<int>(from) + 1, caseSensitive);
    return found < 0 ? -2 : found - 1;
}

std::string PatternMatcher::MatchText(int index, int* position) const {
    const AutomationObject match = matchObject(index);
    std::string text = match.GetText(id(m_ids.value, match, "Value"));
    if (position != nullptr) *position = findPosition(text, match);
    return text;
}

std::string PatternMatcher::SubMatchText(int matchIndex, int groupIndex, int* position) const {
    const AutomationObject match = matchObject(matchIndex);
    const AutomationObject groups = match.GetObject(id(m_ids.subMatches, match, "SubMatches"));
    std::string text = groups.GetText(id(m_ids.subItem, groups, "Item"), {groupIndex - 1});
    if (position != nullptr) *position = findPosition(text, match);
    return text;
}

int PatternMatcher::SubMatchCount() const {
    const AutomationObject match = matchObject(1);
    const AutomationObject groups = match.GetObject(id(m_ids.subMatches, match, "SubMatches"));
    return TruncateToInteger(groups.GetNumber(id(m_ids.subCount, groups, "Count")));
}

std::string PatternMatcher::PatternText() const {
    if (m_regex.IsEmpty()) return {};
    return m_regex.GetText(id(m_ids.pattern, m_regex, "Pattern"));
}

std::string PatternMatcher::ReplaceMatches(std::string_view replacement) const {
    const std::string_view subject = m_subject ? std::string_view(*m_subject) : std::string_view();
    return m_regex.CallText(id(m_ids.replace, m_regex, "Replace"), {subject, replacement});
}

}  // namespace suantiji
