#include "chart/CommandBar.h"

#include "chart/ChartControl.h"
#include "chart/ChartIds.h"
#include "platform/com/Variant.h"
#include "tests/chart/CurveProperties.h"
#include "tests/chart/QtApplication.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <QToolButton>

namespace kelvo {
namespace {

class CommandBarTest : public testing::Test {
protected:
    // The sites below are widgets: the application must come first.
    static void SetUpTestSuite() { TestApplication(); }

    void SetUp() override {
        ASSERT_EQ(ChartControl::Create(Dispatch::InterfaceId, chart_.OutPointer()), results::Ok);
        ASSERT_EQ(Chart()->Load(CurveProperties), results::Ok);
        chartSite_.resize(568, 410);
        ASSERT_EQ(Chart()->Attach(&chartSite_), results::Ok);
        ASSERT_EQ(CommandBarControl::Create(Dispatch::InterfaceId, bar_.OutPointer()), results::Ok);
        ASSERT_EQ(Bar()->Load("Width=568\nHeight=34"), results::Ok);
        ASSERT_EQ(Bar()->Attach(&barSite_), results::Ok);
    }

    ChartControl* Chart() { return static_cast<ChartControl*>(chart_.Get()); }
    CommandBarControl* Bar() { return static_cast<CommandBarControl*>(bar_.Get()); }

    // The chart's link read and written into the bar, as the chart page does.
    void Link() {
        Variant link;
        ASSERT_EQ(GetProperty(chart_.Get(), chart_members::ChartLink, &link), results::Ok);
        ASSERT_EQ(PutProperty(bar_.Get(), chart_members::CommandBarChartLink, link), results::Ok);
    }

    void Click(const QString& text) {
        for (QToolButton* button : barSite_.findChildren<QToolButton*>())
            if (button->text() == text) {
                button->click();
                return;
            }
        FAIL() << "no button " << text.toStdString();
    }

    QWidget chartSite_;
    QWidget barSite_;
    ComPointer<Dispatch> chart_;
    ComPointer<Dispatch> bar_;
};

TEST_F(CommandBarTest, ButtonsActOnTheLinkedChartOnly) {
    // Unlinked, the buttons do nothing.
    Click("Zoom in");
    EXPECT_FALSE(Chart()->Model().ViewChanged());

    Link();
    EXPECT_EQ(Bar()->Widget()->Chart(), Chart());
    EXPECT_EQ(Bar()->Widget()->sizeHint(), QSize(568, 34));
    Click("Zoom in");
    EXPECT_EQ(Chart()->Model().LeftRange().minimum, 0);
    EXPECT_EQ(Chart()->Model().LeftRange().maximum, 80);
    Click("Up");
    EXPECT_EQ(Chart()->Model().LeftRange().minimum, 8);
    Click("Reset");
    EXPECT_FALSE(Chart()->Model().ViewChanged());
    EXPECT_EQ(Chart()->Model().LeftRange().maximum, 120);

    // A link that names no chart leaves the bar idle.
    ASSERT_EQ(PutProperty(bar_.Get(), chart_members::CommandBarChartLink, std::int32_t{-5}),
              results::Ok);
    EXPECT_EQ(Bar()->Widget()->Chart(), nullptr);
    EXPECT_EQ(PutProperty(bar_.Get(), chart_members::CommandBarChartLink, "chart"),
              results::TypeMismatch);
    EXPECT_EQ(PutProperty(bar_.Get(), 2, std::int32_t{1}), results::MemberNotFound);
}

TEST_F(CommandBarTest, SaveWritesThePictureOfTheChart) {
    Link();
    QTemporaryDir folder;
    const QString path = folder.filePath("chart.png");
    ASSERT_TRUE(Bar()->Widget()->Save(path));
    const QImage image(path);
    EXPECT_EQ(image.size(), QSize(568, 410));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(128, 255, 128));
}

TEST_F(CommandBarTest, ABarOutlivesItsChartSafely) {
    Link();
    chart_.Reset();
    EXPECT_EQ(Bar()->Widget()->Chart(), nullptr);
    Click("Zoom in");
}

} // namespace
} // namespace kelvo
