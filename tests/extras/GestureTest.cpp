#include <QPlainTextEdit>
#include <QTest>
#include <QWindow>

#include "extras/AboutWindow.h"
#include "extras/HiddenGesture.h"
#include "support/ExtrasFixture.h"
#include "support/ModalDriver.h"
#include "ui/Labels.h"

using namespace extras;

namespace {
constexpr ModifierKeys CtrlShift{.shift = true, .control = true};
constexpr ModifierKeys ShiftAlt{.shift = true, .alt = true};
constexpr int Height = 358;
constexpr int ReleaseY = Height - 5;
}  // namespace

TEST(HiddenGesture, CompletesOnlyInOrderWithTheRightAreasAndKeys) {
    HiddenGesture g(Height);
    EXPECT_EQ(g.state(), HiddenGesture::Idle);
    g.CompanyClick();
    EXPECT_EQ(g.state(), HiddenGesture::CompanyClicked);
    g.Press(3, 3, CtrlShift);
    EXPECT_EQ(g.state(), HiddenGesture::FirstStepDone);
    EXPECT_TRUE(g.Release(3, ReleaseY, ShiftAlt));
    EXPECT_EQ(g.state(), HiddenGesture::FirstStepDone) << "showing the memo leaves the state at 2";
}

TEST(HiddenGesture, AnyWrongStepStartsOver) {
    HiddenGesture g(Height);
    g.Press(3, 3, CtrlShift);  // no company click first
    EXPECT_EQ(g.state(), HiddenGesture::Idle);

    struct Press {
        int x, y;
        ModifierKeys keys;
    };
    for (Press p : {Press{30, 3, CtrlShift}, Press{3, 30, CtrlShift}, Press{-1, 3, CtrlShift},
                    Press{3, 3, {.control = true}},
                    Press{3, 3, {.shift = true, .control = true, .alt = true}}, Press{3, 3, ShiftAlt}}) {
        g.CompanyClick();
        g.Press(p.x, p.y, p.keys);
        EXPECT_EQ(g.state(), HiddenGesture::Idle) << p.x << "," << p.y;
    }

    struct Release {
        int x, y;
        ModifierKeys keys;
    };
    for (Release r : {Release{3, 3, ShiftAlt}, Release{30, ReleaseY, ShiftAlt}, Release{3, Height, ShiftAlt},
                      Release{3, ReleaseY, CtrlShift}, Release{3, ReleaseY, {}}}) {
        g.CompanyClick();
        g.Press(3, 3, CtrlShift);
        EXPECT_FALSE(g.Release(r.x, r.y, r.keys));
        EXPECT_EQ(g.state(), HiddenGesture::Idle) << r.x << "," << r.y;
    }

    // A release without the press, straight after the company click, also starts over.
    g.CompanyClick();
    EXPECT_FALSE(g.Release(3, ReleaseY, ShiftAlt));
    EXPECT_EQ(g.state(), HiddenGesture::Idle);
}

// Driven through the window, as a real mouse is: each release must reach the control that was pressed.
TEST_F(ExtrasTest, TheGestureOnTheAboutPictureUncoversTheDateMemo) {
    TAboutForm about;
    about.show();
    QWindow* window = about.windowHandle();
    ASSERT_NE(window, nullptr);
    const QPoint company = Child<ui::TLinkLabel>(about, "Company")->geometry().center();
    const QPoint corner = Child<ui::ImageLabel>(about, "Image1")->mapTo(&about, QPoint(3, 3));
    const QPoint lowCorner = Child<ui::ImageLabel>(about, "Image1")->mapTo(&about, QPoint(3, ReleaseY));
    const auto shiftAlt = Qt::ShiftModifier | Qt::AltModifier;

    // A wrong attempt first: the memo stays hidden.
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, company);
    EXPECT_EQ(about.Gesture().state(), HiddenGesture::CompanyClicked);
    QTest::mousePress(window, Qt::LeftButton, Qt::ControlModifier, corner);
    QTest::mouseRelease(window, Qt::LeftButton, shiftAlt, lowCorner);
    EXPECT_TRUE(Child<QPlainTextEdit>(about, "Memo1")->isHidden());
    EXPECT_EQ(about.Gesture().state(), HiddenGesture::Idle);

    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, company);
    QTest::mousePress(window, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, corner);
    QTest::mouseRelease(window, Qt::LeftButton, shiftAlt, lowCorner);
    EXPECT_FALSE(Child<QPlainTextEdit>(about, "Memo1")->isHidden());
    EXPECT_EQ(Child<QPlainTextEdit>(about, "Memo1")->toPlainText(), "Date:06-09-2003");
    about.hide();
}
