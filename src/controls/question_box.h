#pragma once
// The system's one way of asking the player something.
#include <string>

namespace xh {

// Runs a modal CCustomMessageBox with this title and message over the active window;
// kIdOk (1) or kIdCancel (2). Implemented by each backend.
int ShowQuestionBox(const std::string& title, const std::string& message);

}  // namespace xh
