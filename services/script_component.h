#pragma once

#include <memory>

#include "services/automation.h"

namespace suantiji {

// The in-process script control: members Language, Timeout, State, AllowUI, SitehWnd, Eval,
// ExecuteStatement, AddCode, Run and Reset. Its language is arithmetic on IEEE doubles in
// script order (parentheses, then * / % left to right, then + - left to right), with global
// variables and one-line functions ("function f(a, b) { return a * b; }").
std::shared_ptr<Component> CreateScriptComponent();

}  // namespace suantiji
