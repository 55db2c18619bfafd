#pragma once
// CCustomMessageBox's layout, texts and results, apart from any window.
#include <optional>
#include <string>

#include "controls/control_types.h"

namespace xh {

inline constexpr unsigned kMessageBoxTemplate = 164;
inline constexpr int kMessageBoxCloseId = 1001;  // the close mark; OK and Cancel are 1 and 2

inline constexpr unsigned kMessageBoxBackground = 304;
inline constexpr unsigned kMessageBoxOkNormal = 314, kMessageBoxOkHighlight = 313;
inline constexpr unsigned kMessageBoxCancelNormal = 312, kMessageBoxCancelHighlight = 311;
inline constexpr unsigned kMessageBoxCloseMark = 316;

inline constexpr const char* kMessageBoxDefaultTitle = "温馨提示";

struct MessageBoxButton {
    int id = 0;
    PixelRect place;
    unsigned normal = 0, hover = 0, pressed = 0;  // PNG ids
};

struct MessageBoxLayout {
    PixelSize size;
    MessageBoxButton close, ok, cancel;
    LayoutRect titleRect, messageRect;
    TextStyle titleStyle, messageStyle;
};

// The pixel layout that replaces the template's dialog units.
const MessageBoxLayout& GetMessageBoxLayout();

enum class DialogKey { Enter, Escape, Other };

class MessageBoxLogic {
public:
    void SetText(const std::string& title, const std::string& message) {
        m_title = title;
        m_message = message;
    }
    const std::string& Title() const { return m_title; }
    const std::string& Message() const { return m_message; }

    // The modal result a command ends the box with; nothing for other commands.
    static std::optional<int> OnCommand(int id);
    // The dialog manager's keys: Enter is the default button (OK), Escape cancels.
    static std::optional<int> OnKey(DialogKey key);
    // True where a press drags the box: everywhere but on its buttons.
    static bool IsCaption(int x, int y);

private:
    std::string m_title = kMessageBoxDefaultTitle;
    std::string m_message;
};

}  // namespace xh
