// The window on the screens its users have: every control it shows lies
// inside the screen's work area, at its least size and maximised. Run on
// a 1920 x 1080 screen with the other tests, and on a 1366 x 768 laptop
// at 150 % (Qt's offscreen screen of that size and ratio).

#include "WindowFixture.h"

namespace {

// The controls of the form as the screen has them: each one shown, its
// bounds on the screen.
std::vector<std::pair<platform::TControl*, platform::TRect>> OnScreen(TMainForm* form)
{
    std::vector<std::pair<platform::TControl*, platform::TRect>> out;
    platform::TRect client = form->Bounds();
    std::function<void(platform::TWinControl*, int, int)> walk = [&](platform::TWinControl* parent,
                                                                     int x, int y) {
        for (platform::TControl* c : parent->Controls()) {
            if (!c->Visible())
                continue;
            platform::TRect r = c->Bounds();
            r.Left += x;
            r.Top += y;
            out.emplace_back(c, r);
            if (auto* inner = dynamic_cast<platform::TWinControl*>(c))
                walk(inner, r.Left, r.Top);
        }
    };
    walk(form, client.Left, client.Top);
    return out;
}

}  // namespace

TEST_F(Window, EveryControlIsInTheWorkAreaAtTheLeastSizeAndMaximised)
{
    SqlLogin();
    // The procedure tree too.
    form->CheckBox3->Click();
    platform::TRect area = form->WorkArea();
    ASSERT_GT(area.Width, 0);
    for (bool maximised : {false, true}) {
        form->SetResizableClientSize(TMainForm::kWidth, TMainForm::kHeight, TMainForm::kWidth,
                                     TMainForm::kHeight);
        form->FitOnScreen();
        form->SetMaximized(maximised);
        platform::ProcessMessagesFor(50);
        auto controls = OnScreen(form.get());
        ASSERT_GT(controls.size(), 30u);
        for (const auto& [control, r] : controls) {
            // The banner runs under the frame's edge at most.
            if (control == form->Image1 || control == form->Bevel1)
                continue;
            EXPECT_TRUE(area.Contains(r))
                << (maximised ? "maximised: " : "least size: ") << r.Left << "," << r.Top << " "
                << r.Width << "x" << r.Height << " in " << area.Width << "x" << area.Height;
        }
        // The trees take what the rest leaves, and it is room enough.
        EXPECT_GE(form->TreeView1->Bounds().Height, 150);
    }
}
