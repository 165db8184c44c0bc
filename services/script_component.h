#pragma once

#include <memory>

#include "services/automation.h"

namespace suantiji {

// The in-process script control: members Language, Timeout, State, AllowUI, SitehWnd, Eval,
// ExecuteStatement, AddCode, Run and Reset. "JScript" runs on a Duktape heap (ECMAScript 5.1),
// made when a script first needs it. Eval of the generator's plain arithmetic (unsigned whole
// numbers, + - * / and brackets) is worked out by a dedicated evaluator that does the same
// double operations in the same order, so a sheet never makes a heap. "vbs" may be chosen and
// read back, but nothing evaluates in it.
// Timeout is kept but not enforced: Duktape as Debian builds it cannot interrupt a running
// script, and no caller hands the component text a user typed.
// With `plainArithmetic` false every text goes to Duktape, so the two can be compared.
std::shared_ptr<Component> CreateScriptComponent(bool plainArithmetic = true);

// Duktape heaps alive in the process.
int LiveScriptHeaps();

}  // namespace suantiji
