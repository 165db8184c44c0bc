#include "services/automation.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <thread>

namespace suantiji {
namespace {

TEST(AutomationObject, EmptyObjectGivesEmptyValuesOfEveryKind) {
    const AutomationObject empty = AutomationObject::Create("No.Such.Component");
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.GetText("Pattern"), "");
    EXPECT_EQ(LastComponentError(), -1);
    EXPECT_EQ(empty.GetNumber("Count"), 0);
    EXPECT_FALSE(empty.GetTruth("Global"));
    EXPECT_TRUE(empty.GetObject("Item").IsEmpty());
    EXPECT_FALSE(empty.Put("Global", true));
    EXPECT_EQ(LastComponentError(), -1);
}

TEST(AutomationObject, UnknownMemberAndFailedConversions) {
    const AutomationObject regex = AutomationObject::Create("vbscript.regexp");  // any case
    ASSERT_FALSE(regex.IsEmpty());
    EXPECT_EQ(regex.GetText("NoSuchMember"), "");
    EXPECT_EQ(LastComponentError(), -3);
    EXPECT_EQ(regex.MemberId("nosuchmember"), kUnknownMember);

    ASSERT_TRUE(regex.Put("pattern", "abc"));  // names are case-insensitive
    EXPECT_EQ(regex.GetText("Pattern"), "abc");
    EXPECT_EQ(LastComponentError(), 0);
    EXPECT_EQ(regex.GetNumber("Pattern"), 0);
    EXPECT_EQ(LastComponentError(), -8);
    EXPECT_TRUE(regex.GetObject("Pattern").IsEmpty());
    EXPECT_EQ(LastComponentError(), -8);

    // Numeric text converts; truth values read as -1 and 0.
    ASSERT_TRUE(regex.Put("Pattern", std::int32_t{42}));
    EXPECT_EQ(regex.GetNumber("Pattern"), 42);
    ASSERT_TRUE(regex.Put("Global", true));
    EXPECT_EQ(regex.GetText("Global"), "-1");
    EXPECT_EQ(regex.GetNumber("Global"), -1);
    // Flags read back what was written, of whatever kind; a read with an argument fails.
    ASSERT_TRUE(regex.Put("IgnoreCase", false));
    EXPECT_FALSE(regex.GetTruth("IgnoreCase"));
    ASSERT_TRUE(regex.Put("IgnoreCase", std::int32_t{2}));
    EXPECT_TRUE(regex.GetTruth("IgnoreCase"));
    EXPECT_FALSE(regex.GetTruth("Multiline", {1}));
    EXPECT_EQ(LastComponentError(), -9);
    // A property takes no arguments; a method needs its own.
    EXPECT_EQ(regex.GetText("Pattern", {1}), "");
    EXPECT_EQ(LastComponentError(), -9);
    EXPECT_TRUE(regex.CallObject("Execute").IsEmpty());
    EXPECT_EQ(LastComponentError(), -9);
}

TEST(AutomationObject, CopiesShareTheInstance) {
    AutomationObject a = AutomationObject::Create("ScriptControl");
    const long before = a.UseCount();
    {
        const AutomationObject b = a;
        EXPECT_EQ(a.UseCount(), before + 1);
        EXPECT_TRUE(b == a);
    }
    EXPECT_EQ(a.UseCount(), before);
    a.Clear();
    EXPECT_TRUE(a.IsEmpty());
}

// Every failure code has a text of its own, and the code of one thread is not another's.
TEST(ComponentErrors, EveryFailureHasItsOwnTextAndEachThreadItsOwnCode) {
    std::set<std::string> texts;
    for (int code = -1; code >= -18; --code) {
        EXPECT_FALSE(ComponentErrorText(code).empty()) << code;
        texts.insert(ComponentErrorText(code));
    }
    EXPECT_EQ(texts.size(), 18u);
    for (int code : {0, 1, -19, INT_MIN}) EXPECT_EQ(ComponentErrorText(code), "") << code;

    SetLastComponentError(ComponentError::Overflow);
    int other = 1;
    std::thread([&other] { other = LastComponentError(); }).join();
    EXPECT_EQ(other, 0);
    EXPECT_EQ(LastComponentError(), -14);
}

}  // namespace
}  // namespace suantiji
