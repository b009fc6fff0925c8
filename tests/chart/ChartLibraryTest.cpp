#include "chart/ChartIds.h"
#include "platform/com/Creation.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerLibrary.h"
#include "platform/com/Variant.h"
#include "tests/chart/CurveProperties.h"
#include "tests/chart/QtApplication.h"
#include "tests/platform/com/TemporaryRegistry.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace kelvo {
namespace {

TEST(ChartLibraryTest, RegistersHostsAndUnregistersThroughTheRegistryFile) {
    TestApplication();
    TemporaryRegistry registry;
    std::unique_ptr<ServerLibrary> library;
    ASSERT_EQ(ServerLibrary::Open(KELVO_CHART_LIBRARY, &library), results::Ok);
    EXPECT_EQ(std::filesystem::path(KELVO_CHART_LIBRARY).filename(), ChartLibraryFileName);
    ASSERT_EQ(library->Register(), results::Ok);
    Guid found;
    ASSERT_EQ(FindClassId(ChartProgId, &found), results::Ok);
    EXPECT_EQ(found, ChartClassId);
    ASSERT_EQ(FindClassId(CommandBarProgId, &found), results::Ok);
    EXPECT_EQ(found, CommandBarClassId);

    {
        QWidget chartSite;
        chartSite.resize(568, 410);
        QWidget barSite;
        ComPointer<Dispatch> chart;
        ComPointer<Dispatch> bar;
        ASSERT_EQ(HostControl(ChartClassId, &chartSite, CurveProperties, &chart), results::Ok);
        ASSERT_EQ(HostControl(CommandBarClassId, &barSite, "Width=568\nHeight=34", &bar),
                  results::Ok);
        // The control's widget fills its site.
        const auto children = chartSite.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        ASSERT_EQ(children.size(), 1);
        EXPECT_EQ(children.front()->geometry(), chartSite.rect());

        Variant link;
        ASSERT_EQ(GetProperty(chart.Get(), chart_members::ChartLink, &link), results::Ok);
        ASSERT_EQ(PutProperty(bar.Get(), chart_members::CommandBarChartLink, link), results::Ok);
        Variant series;
        ASSERT_EQ(CallMethod(chart.Get(), chart_members::Series, {std::int32_t{0}}, &series),
                  results::Ok);
        ComPointer<Dispatch> first;
        ASSERT_EQ(series.ToObject(&first), results::Ok);
        Variant index;
        ASSERT_EQ(CallMethod(first.Get(), chart_members::AddPoint,
                             {0.0, 25.0, "12:00:00", std::int32_t{5}}, &index),
                  results::Ok);
        std::int32_t value = -1;
        ASSERT_EQ(index.ToInteger(&value), results::Ok);
        EXPECT_EQ(value, 0);
        EXPECT_EQ(CallMethod(first.Get(), chart_members::Clear, {}), results::Ok);
        EXPECT_EQ(library->CanUnloadNow(), results::False);

        // A stored property that does not fit is refused, and nothing is hosted.
        QWidget otherSite;
        ComPointer<Dispatch> refused;
        EXPECT_EQ(HostControl(ChartClassId, &otherSite, "LeftAxis.Minimum=low", &refused),
                  results::InvalidArgument);
        EXPECT_FALSE(refused);
        EXPECT_TRUE(otherSite.findChildren<QWidget*>().isEmpty());
    }
    EXPECT_EQ(library->CanUnloadNow(), results::Ok);

    ASSERT_EQ(library->Unregister(), results::Ok);
    EXPECT_EQ(FindClassId(ChartProgId, &found), results::ClassNotRegistered);
    ComPointer<Dispatch> chart;
    EXPECT_EQ(CreateObject(ChartProgId, &chart), results::ClassNotRegistered);
}

} // namespace
} // namespace kelvo
