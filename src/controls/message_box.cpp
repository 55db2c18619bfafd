#include "controls/message_box.h"

namespace xh {

const MessageBoxLayout& GetMessageBoxLayout() {
    static const MessageBoxLayout layout = [] {
        constexpr int W = 258, H = 112;
        constexpr Argb kTextColour = 0xFFDAC29D;
        MessageBoxLayout l;
        l.size = {W, H};
        // The close button reaches 3 pixels past the right edge and is clipped there.
        l.close = {kMessageBoxCloseId, {W - 25, 10, 28, 26}, kMessageBoxCloseMark, kMessageBoxCloseMark,
                   kMessageBoxCloseMark};
        l.ok = {kIdOk, {45, H - 45, 82, 34}, kMessageBoxOkNormal, kMessageBoxOkHighlight, kMessageBoxOkHighlight};
        l.cancel = {kIdCancel, {137, H - 45, 82, 34}, kMessageBoxCancelNormal, kMessageBoxCancelHighlight,
                    kMessageBoxCancelHighlight};
        l.titleRect = {85, 7, 100, 25};
        l.messageRect = {28, 33, 220, 30};
        l.titleStyle = {{"微软雅黑", 15, true}, kTextColour, TextTrimming::EllipsisCharacter};
        l.messageStyle = {{"arial", 11, false}, kTextColour, TextTrimming::EllipsisCharacter};
        return l;
    }();
    return layout;
}

std::optional<int> MessageBoxLogic::OnCommand(int id) {
    if (id == kIdOk) return kIdOk;
    if (id == kIdCancel || id == kMessageBoxCloseId) return kIdCancel;
    return std::nullopt;
}

std::optional<int> MessageBoxLogic::OnKey(DialogKey key) {
    if (key == DialogKey::Enter) return kIdOk;
    if (key == DialogKey::Escape) return kIdCancel;
    return std::nullopt;
}

bool MessageBoxLogic::IsCaption(int x, int y) {
    const MessageBoxLayout& l = GetMessageBoxLayout();
    if (x < 0 || y < 0 || x >= l.size.width || y >= l.size.height) return false;
    for (const MessageBoxButton* b : {&l.close, &l.ok, &l.cancel}) {
        if (b->place.Contains(x, y)) return false;
    }
    return true;
}

}  // namespace xh
