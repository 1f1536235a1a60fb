// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: the credit's bob, and the main window handed back when it closes.
#include "about/credit.h"
#include "about/form2.h"

#include "support/fixture.h"
#include "window/title.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kestrix::test {
namespace {

struct BobCase {
    int ticks;
    const char* phase;
    double top;
};

class CreditStepTest : public ::testing::TestWithParam<BobCase> {};

TEST_P(CreditStepTest, PhaseTextAndTopAfterTicks) {
    CreditState state{QStringLiteral("0"), CreditTop};
    for (int i = 0; i < GetParam().ticks; ++i)
        state = CreditStep(state);
    EXPECT_EQ(state.phase, QString::fromUtf8(GetParam().phase));
    EXPECT_NEAR(state.top, GetParam().top, 0.05);
}

// 31 ticks: near the highest point; 63: back down, one cycle of about 2 pi / 0.1 ticks.
INSTANTIATE_TEST_SUITE_P(Ticks, CreditStepTest,
                         ::testing::Values(BobCase{1, "0.1", 4078.0}, BobCase{2, "0.2", 4074.03},
                                           BobCase{3, "0.3", 4068.12}, BobCase{31, "3.1", 3680.09},
                                           BobCase{63, "6.3", 4079.80}));

class AboutTest : public KestrixTest {
protected:
    void SetUp() override {
        KestrixTest::SetUp();
        form = makeForm();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    Form2* open() {
        QTest::mouseClick(form->Command8, Qt::LeftButton);
        Form2* about = form->AboutWindow();
        EXPECT_TRUE(about && about->isVisible()) << "About must open its window";
        return about;
    }
    std::unique_ptr<Form1> form;
};

TEST_F(AboutTest, MainWindowTakesNoInputWhileOpenAndIsBackAfterClosing) {
    Form2* about = open();
    ASSERT_TRUE(about);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Kestrix"));
    EXPECT_EQ(about->size(), QSize(485, 292));
    EXPECT_TRUE(about->windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(about->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(form->isEnabled());
    EXPECT_TRUE(about->isEnabled());
    EXPECT_TRUE(form->Timer1->isActive()) << "the title keeps swinging";

    QTest::mouseClick(form->Command9, Qt::LeftButton); // Quit
    QTest::mouseClick(form->Command8, Qt::LeftButton);
    EXPECT_TRUE(form->isVisible()) << "a click on the disabled main window must do nothing";
    EXPECT_EQ(form->AboutWindow(), about);

    about->close();
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get())) << "the main window must be in front";
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->AboutWindow() == nullptr; }));
}

TEST_F(AboutTest, EveryOpeningStartsTheCreditAfresh) {
    Form2* about = open();
    ASSERT_TRUE(about);
    about->Timer1->stop();
    for (int i = 0; i < 31; ++i)
        about->Timer1_Timer();
    EXPECT_EQ(about->Label2->text(), QStringLiteral("3.1"));
    EXPECT_EQ(about->Label1->y(), TwipsToPixels(about->creditTop()));
    EXPECT_EQ(about->Label1->y(), 245);
    about->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->AboutWindow() == nullptr; }));

    about = open();
    ASSERT_TRUE(about);
    EXPECT_EQ(about->Label2->text(), QStringLiteral("0"));
    EXPECT_EQ(about->creditTop(), CreditTop);
    EXPECT_EQ(about->Label1->y(), 272);
    EXPECT_TRUE(about->Timer1->isActive());
    about->close();
}

} // namespace
} // namespace kestrix::test
