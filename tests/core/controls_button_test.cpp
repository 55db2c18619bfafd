#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/color_matrix.h"
#include "controls/touch_button.h"

namespace xh {
namespace {

TEST(HoverMatrixTest, BrightensColoursClampsAndKeepsAlpha) {
    struct Case {
        Rgba in, out;
    };
    // 1.05 c + 0.05 on 0..1, rounded to 8 bits: 0 -> 13, 100 -> 118, 128 -> 147, 230 -> 254,
    // and from 231 on the result passes 1 and is clamped.
    const Case cases[] = {
        {{0, 0, 0, 0}, {13, 13, 13, 0}},
        {{100, 128, 230, 255}, {118, 147, 254, 255}},
        {{231, 240, 255, 77}, {255, 255, 255, 77}},
        {{1, 2, 3, 200}, {14, 15, 16, 200}},
    };
    for (const Case& c : cases) {
        const Rgba got = ApplyColorMatrix(kHoverMatrix, c.in);
        EXPECT_EQ(got, c.out) << int(c.in.r) << "," << int(c.in.g) << "," << int(c.in.b) << "," << int(c.in.a)
                              << " gave " << int(got.r) << "," << int(got.g) << "," << int(got.b) << ","
                              << int(got.a);
    }
}

TEST(HoverMatrixTest, BufferFormKeepsRowPadding) {
    // Two pixels per row, rows 12 bytes apart: the 4 padding bytes stay untouched.
    std::vector<std::uint8_t> buffer(24, 0xEE);
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 8; ++i) buffer[static_cast<std::size_t>(row * 12 + i)] = (i % 4 == 3) ? 255 : 100;
    ApplyColorMatrix(kHoverMatrix, buffer.data(), 2, 2, 12);
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 8; ++i) EXPECT_EQ(buffer[static_cast<std::size_t>(row * 12 + i)], (i % 4 == 3) ? 255 : 118);
        for (int i = 8; i < 12; ++i) EXPECT_EQ(buffer[static_cast<std::size_t>(row * 12 + i)], 0xEE);
    }
}

class FakeButtonView final : public ITouchButtonView {
public:
    std::vector<std::string> calls;
    bool loadResult = true;
    bool trackResult = true;
    bool toolTip = false;
    int redraws = 0;
    int toolTipsCreated = 0;

    bool LoadPicture(ButtonLook look, unsigned id) override {
        calls.push_back("load " + Name(look) + " " + std::to_string(id));
        return loadResult;
    }
    void CaptureBackground() override { calls.push_back("capture"); }
    void ComposeLook(ButtonLook look, bool brighten) override {
        calls.push_back("compose " + Name(look) + (brighten ? " brightened" : ""));
    }
    bool TrackMouse(unsigned hoverMs) override {
        calls.push_back("track " + std::to_string(hoverMs));
        return trackResult;
    }
    void Redraw() override { ++redraws; }
    bool HasToolTip() override { return toolTip; }
    void CreateToolTip() override {
        toolTip = true;
        ++toolTipsCreated;
        calls.push_back("tooltip create");
    }
    void DestroyToolTip() override {
        toolTip = false;
        calls.push_back("tooltip destroy");
    }
    void SetToolTip(const std::string& text, const ToolTipDelays& d, bool activate) override {
        calls.push_back("tooltip set " + text + " " + std::to_string(d.initialMs) + "/" + std::to_string(d.reshowMs) +
                        "/" + std::to_string(d.autoPopMs) + (activate ? " active" : ""));
    }
    void UpdateToolTip() override { calls.push_back("tooltip update"); }

    static std::string Name(ButtonLook look) {
        switch (look) {
            case ButtonLook::Normal: return "normal";
            case ButtonLook::Hover: return "hover";
            case ButtonLook::Pressed: return "pressed";
        }
        return "?";
    }
};

using Calls = std::vector<std::string>;

TEST(TouchButtonTest, LoadsHoverFirstAndComposesTheLooksOnce) {
    FakeButtonView view;
    TouchButtonLogic button(view);
    EXPECT_EQ(button.Draw(false), std::nullopt) << "nothing to copy before the first preparation";
    button.Prepare();
    EXPECT_TRUE(view.calls.empty()) << "without pictures nothing is prepared";

    view.loadResult = false;  // the result is the hover load's
    EXPECT_FALSE(button.SetImages(316, 316, 316));
    button.Prepare();
    button.Prepare();
    EXPECT_EQ(view.calls, (Calls{"load hover 316", "load normal 316", "load pressed 316", "capture",
                                 "compose normal", "compose pressed", "compose hover brightened"}));
    EXPECT_EQ(button.Draw(false), ButtonLook::Normal);
}

TEST(TouchButtonTest, LooksFollowEnterPressReleaseLeave) {
    FakeButtonView view;
    TouchButtonLogic button(view);
    button.SetImages(314, 313, 313);
    button.Prepare();
    view.calls.clear();

    std::vector<ButtonLook> looks;
    int clicks = 0;
    auto look = [&] { looks.push_back(*button.Draw(button.Held())); };
    look();
    button.OnPointerInside(true);
    button.OnMouseMove();
    button.OnMouseMove();  // one tracking request per entry
    look();                // the hover notification has not come yet
    button.OnMouseHover();
    look();
    button.OnButtonDown();
    look();
    button.OnPointerInside(false);  // dragged off while held
    look();
    button.OnPointerInside(true);
    look();
    clicks += button.OnButtonUp();
    look();
    button.OnPointerInside(false);
    button.OnMouseLeave();
    look();

    using L = ButtonLook;
    EXPECT_EQ(looks, (std::vector<L>{L::Normal, L::Normal, L::Hover, L::Pressed, L::Hover, L::Pressed, L::Hover,
                                    L::Normal}));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(view.calls, (Calls{"track 1"}));
    EXPECT_GE(view.redraws, 5);
}

TEST(TouchButtonTest, EveryPressOfADoubleClickIsAClickAndReleasesOffTheButtonAreNot) {
    FakeButtonView view;
    TouchButtonLogic button(view);
    button.OnPointerInside(true);
    int clicks = 0;
    for (int i = 0; i < 2; ++i) {
        button.OnButtonDown();
        clicks += button.OnButtonUp();
    }
    EXPECT_EQ(clicks, 2);
    button.OnButtonDown();
    button.OnPointerInside(false);
    EXPECT_FALSE(button.OnButtonUp());
    EXPECT_FALSE(button.OnButtonUp()) << "a release without a press";
}

TEST(TouchButtonTest, TrackingIsRequestedAgainAfterALeaveAndAFailedRequest) {
    FakeButtonView view;
    TouchButtonLogic button(view);
    view.trackResult = false;
    button.OnMouseMove();
    view.trackResult = true;
    button.OnMouseMove();
    button.OnMouseMove();
    button.OnMouseLeave();
    button.OnMouseMove();
    EXPECT_EQ(view.calls, (Calls{"track 1", "track 1", "track 1"}));
}

TEST(TouchButtonTest, ToolTipIsRebuiltOnEveryEntry) {
    FakeButtonView view;
    TouchButtonLogic button(view);
    button.SetToolTipText("", true);
    EXPECT_TRUE(view.calls.empty()) << "an empty text does nothing";

    button.SetToolTipText("刷新", true);
    EXPECT_EQ(view.calls, (Calls{"tooltip create", "tooltip set 刷新 2000/400/20000 active"}));
    for (int entry = 0; entry < 2; ++entry) {
        view.calls.clear();
        button.OnMouseMove();
        button.OnMouseHover();
        button.OnMouseLeave();
        EXPECT_EQ(view.calls, (Calls{"track 1", "tooltip destroy", "tooltip create",
                                     "tooltip set 刷新 2000/400/20000 active", "tooltip update"}));
    }
    EXPECT_EQ(view.toolTipsCreated, 3);
}

TEST(TouchButtonTest, ButtonWithoutToolTipNeverMakesOne) {
    FakeButtonView view;
    TouchButtonLogic button(view);
    button.OnMouseMove();
    button.OnMouseHover();
    EXPECT_EQ(view.toolTipsCreated, 0);
    EXPECT_TRUE(button.Hover());
}

}  // namespace
}  // namespace xh
