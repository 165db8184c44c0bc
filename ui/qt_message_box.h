#pragma once

#include "common/message_box.h"

namespace suantiji {

// A real message box: no owner window, modal for the whole program, one OK button.
class QtMessageBox : public MessageBox {
public:
    void Show(const std::string& caption, const std::string& text, MessageIcon icon) override;
};

}  // namespace suantiji
