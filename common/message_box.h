#pragma once

#include <string>

namespace suantiji {

// Every message box the program shows carries this caption.
inline constexpr const char* kMessageCaption = "信息：";

enum class MessageIcon { Information, Warning, Error };

// The one way the program speaks to the user: a modal message box with an OK button.
// The window passes a real one; tests pass a recorder.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void Show(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
};

}  // namespace suantiji
