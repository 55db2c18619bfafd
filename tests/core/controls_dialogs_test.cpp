#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/message_box.h"
#include "controls/notice_overlay.h"

namespace xh {
namespace {

TEST(MessageBoxTest, DefaultTextsAndSetText) {
    MessageBoxLogic box;
    EXPECT_EQ(box.Title(), "温馨提示");
    EXPECT_EQ(box.Message(), "");
    box.SetText("退出", "确定要退出吗？");
    EXPECT_EQ(box.Title(), "退出");
    EXPECT_EQ(box.Message(), "确定要退出吗？");
}

TEST(MessageBoxTest, LayoutOfPanelButtonsAndTexts) {
    const MessageBoxLayout& l = GetMessageBoxLayout();
    EXPECT_EQ(l.size, (PixelSize{258, 112}));
    struct Expected {
        const MessageBoxButton& button;
        int id;
        PixelRect place;
        unsigned normal, hover, pressed;
    };
    const Expected buttons[] = {
        {l.close, 1001, {233, 10, 28, 26}, 316, 316, 316},
        {l.ok, 1, {45, 67, 82, 34}, 314, 313, 313},
        {l.cancel, 2, {137, 67, 82, 34}, 312, 311, 311},
    };
    for (const Expected& e : buttons) {
        EXPECT_EQ(e.button.id, e.id);
        EXPECT_EQ(e.button.place, e.place) << e.id;
        EXPECT_EQ(e.button.normal, e.normal) << e.id;
        EXPECT_EQ(e.button.hover, e.hover) << e.id;
        EXPECT_EQ(e.button.pressed, e.pressed) << e.id;
    }
    EXPECT_EQ(l.titleRect, (LayoutRect{85, 7, 100, 25}));
    EXPECT_EQ(l.messageRect, (LayoutRect{28, 33, 220, 30}));
    EXPECT_EQ(l.titleStyle, (TextStyle{{"微软雅黑", 15, true}, 0xFFDAC29D, TextTrimming::EllipsisCharacter}));
    EXPECT_EQ(l.messageStyle, (TextStyle{{"arial", 11, false}, 0xFFDAC29D, TextTrimming::EllipsisCharacter}));
}

TEST(MessageBoxTest, CommandsAndKeysEndTheBox) {
    EXPECT_EQ(MessageBoxLogic::OnCommand(1), 1);
    EXPECT_EQ(MessageBoxLogic::OnCommand(2), 2);
    EXPECT_EQ(MessageBoxLogic::OnCommand(1001), 2) << "the close mark cancels";
    EXPECT_EQ(MessageBoxLogic::OnCommand(1002), std::nullopt);
    EXPECT_EQ(MessageBoxLogic::OnKey(DialogKey::Escape), 2);
    EXPECT_EQ(MessageBoxLogic::OnKey(DialogKey::Enter), 1);
    EXPECT_EQ(MessageBoxLogic::OnKey(DialogKey::Other), std::nullopt);
}

TEST(MessageBoxTest, DraggingStartsEverywhereButOnTheButtons) {
    struct Case {
        int x, y;
        bool caption;
    };
    const Case cases[] = {
        {0, 0, true},     {10, 100, true},   {130, 40, true},   {257, 111, true},  // panel
        {232, 20, true},  {233, 10, false},  {257, 35, false},  {250, 36, true},   // close mark
        {45, 67, false},  {126, 100, false}, {127, 80, true},   {44, 80, true},    // OK
        {137, 67, false}, {218, 100, false}, {219, 80, true},                      // Cancel
        {-1, 5, false},   {258, 5, false},   {5, 112, false},                      // outside
    };
    for (const Case& c : cases) EXPECT_EQ(MessageBoxLogic::IsCaption(c.x, c.y), c.caption) << c.x << "," << c.y;
}

class FakeOverlayView final : public INoticeOverlayView {
public:
    PixelSize client{1000, 700};
    std::vector<std::string> calls;
    PixelSize ClientSize() override { return client; }
    PixelSize PictureSize(unsigned) override { return {23, 23}; }
    void RepaintNow(const PixelRect& r) override {
        calls.push_back("repaint " + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) +
                        "x" + std::to_string(r.height));
    }
    void PlaceOver(const PixelRect& r) override {
        calls.push_back("place " + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) +
                        "x" + std::to_string(r.height));
    }
    void StartTimer(unsigned id, unsigned ms) override {
        calls.push_back("start " + std::to_string(id) + " " + std::to_string(ms));
    }
    void StopTimer(unsigned id) override { calls.push_back("stop " + std::to_string(id)); }
    void SetVisible(bool visible) override { calls.push_back(visible ? "show" : "hide"); }
};

TEST(NoticeOverlayTest, AnimationContinuesAcrossAHideAndANewShow) {
    FakeOverlayView view;
    NoticeOverlayLogic overlay(view);
    EXPECT_EQ(overlay.CurrentPicture(), 0u);
    overlay.Init();
    std::vector<unsigned> shown{overlay.CurrentPicture()};
    overlay.Show({0, 0, 1000, 700});
    for (int i = 0; i < 3; ++i) {
        overlay.OnTimer(kNoticeTimerId);
        shown.push_back(overlay.CurrentPicture());
    }
    overlay.OnTimer(1);  // other timers are ignored
    overlay.Hide();
    overlay.Show({10, 20, 800, 600});
    for (int i = 0; i < 3; ++i) {
        overlay.OnTimer(kNoticeTimerId);
        shown.push_back(overlay.CurrentPicture());
    }
    EXPECT_EQ(shown, (std::vector<unsigned>{276, 276, 277, 278, 279, 276, 277}));
    EXPECT_EQ(view.calls,
              (std::vector<std::string>{"place 0,0 1000x700", "start 5000 200", "show", "repaint 488,298 23x23",
                                        "repaint 488,298 23x23", "repaint 488,298 23x23", "stop 5000", "hide",
                                        "place 10,20 800x600", "start 5000 200", "show", "repaint 488,298 23x23",
                                        "repaint 488,298 23x23", "repaint 488,298 23x23"}))
        << "a tick repaints only the picture's square";
}

TEST(NoticeOverlayTest, LayoutCentresPictureAboveTheNotice) {
    struct Case {
        PixelSize client;
        PixelRect picture;
        LayoutRect text;
    };
    const Case cases[] = {
        {{1000, 700}, {488, 298, 23, 23}, {400, 334, 200, 31}},
        {{1280, 770}, {628, 333, 23, 23}, {540, 369, 200, 31}},
        {{257, 111}, {117, 4, 23, 23}, {28, 40, 200, 31}},  // odd sizes: fractions dropped
        {{150, 20}, {63, -41, 23, 23}, {-25, -5, 200, 31}},  // narrower than the text: toward zero
    };
    for (const Case& c : cases) {
        const NoticeLayout l = LayoutNotice(c.client, {23, 23});
        EXPECT_EQ(l.picture, c.picture) << c.client.width << "x" << c.client.height;
        EXPECT_EQ(l.text, c.text) << c.client.width << "x" << c.client.height;
    }
    EXPECT_EQ(LayoutNotice({1000, 700}, {23, 23}).textStyle,
              (TextStyle{{"arial", 14, false}, 0xFFFFF5D3, TextTrimming::EllipsisWord}));
}

TEST(NoticeOverlayTest, CounterOutOfRangeRestartsAtTheFirstPicture) {
    FakeOverlayView view;
    NoticeOverlayLogic overlay(view);
    // Before Init the counter is 0: a tick still shows the first picture.
    overlay.OnTimer(kNoticeTimerId);
    EXPECT_EQ(overlay.CurrentPicture(), 276u);
    EXPECT_EQ(overlay.FrameCounter(), 2);
}

}  // namespace
}  // namespace xh
