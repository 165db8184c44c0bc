#pragma once

#include <string>
#include <vector>

#include "common/message_box.h"

namespace suantiji {

// Keeps every message the program would have shown, in order.
class RecordingMessageBox : public MessageBox {
public:
    struct Shown {
        std::string caption;
        std::string text;
        MessageIcon icon;
    };

    void Show(const std::string& caption, const std::string& text, MessageIcon icon) override {
        shown.push_back({caption, text, icon});
    }

    std::vector<Shown> shown;
};

}  // namespace suantiji
