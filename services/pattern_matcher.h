#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "services/automation.h"

namespace suantiji {

// Thin class over the "VBScript.RegExp" component. Every Match makes a fresh instance; the
// other operations read the latest result. Positions are 0-based byte offsets into the subject.
//
// The generator calls Match, MatchCount and SubMatchText. MatchText, SubMatchCount,
// PatternText and ReplaceMatches complete the component's interface as it is specified; only
// tests call them for now.
class PatternMatcher {
public:
    explicit PatternMatcher(const ComponentRegistry& registry = ComponentRegistry::Standard());
    ~PatternMatcher();
    PatternMatcher(const PatternMatcher& other);
    PatternMatcher& operator=(const PatternMatcher& other);

    // True when a match collection was obtained, even an empty one.
    bool Match(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
               bool multiline = true, bool global = true, bool quoteEscape = false);
    int MatchCount() const;
    // 1-based index. `position` receives the match's byte offset in the subject.
    std::string MatchText(int index, int* position = nullptr) const;
    // 1-based match and group. `position` receives the group's byte offset, found by searching
    // for its text from the start of its match.
    std::string SubMatchText(int matchIndex, int groupIndex, int* position = nullptr) const;
    int SubMatchCount() const;
    std::string PatternText() const;
    std::string ReplaceMatches(std::string_view replacement) const;

private:
    // Member ids are resolved once per matcher: every instance of a class shares them.
    struct Ids {
        DispatchId ignoreCase = kUnresolved, multiline = kUnresolved, singleline = kUnresolved,
                   global = kUnresolved, pattern = kUnresolved, execute = kUnresolved,
                   replace = kUnresolved, count = kUnresolved, item = kUnresolved,
                   value = kUnresolved, firstIndex = kUnresolved, subMatches = kUnresolved,
                   subCount = kUnresolved, subItem = kUnresolved;
    };
    static constexpr DispatchId kUnresolved = -2;
    static DispatchId id(DispatchId& slot, const AutomationObject& object, std::string_view name);

    AutomationObject matchObject(int index) const;
    int findPosition(std::string_view text, const AutomationObject& match) const;

    const ComponentRegistry* m_registry;
    ComponentRegistry::ClassId m_class;
    AutomationObject m_regex;
    AutomationObject m_matches;
    std::optional<std::string> m_subject;
    mutable Ids m_ids;
};

}  // namespace suantiji
