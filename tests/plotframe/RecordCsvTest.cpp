#include "plotframe/demo/RecordCsv.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(RecordCsvTest, ReadsTheMonitorsRowsAndSkipsDamagedOnes) {
    const RecordReadResult read = ReadRecordRows("NO,DateTime,Inner,Outer,\r\n"
                                                 "1,2011-03-05 09:07:02,25.00 C,0.00 C\r\n"
                                                 "2,2011-03-05 09:07:03,-3.50 C,0.00 C\r\n"
                                                 "NO,DateTime,Inner,Outer,\r\n"
                                                 "3,2011-03-05 09:07:04,77.00 F,0.00 F\n"
                                                 "4,2011-03-05 09:07:05,warm C,0.00 C\r\n"
                                                 "5,2011-03-05,25.00 C,0.00 C\r\n"
                                                 "6,2011-03-05 09:07:07,25.00 K,0.00 K\r\n"
                                                 "x,2011-03-05 09:07:08,25.00 C,0.00 C\r\n"
                                                 "9,2011-03-05 09:07:09,25.00 C\r\n"
                                                 "10,2011-03-05 09:07:10,nan C,0.00 C");
    ASSERT_EQ(read.points.size(), 3u);
    EXPECT_EQ(read.skipped, 6u);
    EXPECT_EQ(read.points[0].number, 1);
    EXPECT_EQ(read.points[0].time, "09:07:02");
    EXPECT_EQ(read.points[0].inner, 25.0);
    EXPECT_EQ(read.points[1].inner, -3.5);
    EXPECT_EQ(read.points[2].unit, 'F');
    EXPECT_EQ(read.points[2].inner, 77.0);
    EXPECT_TRUE(ReadRecordRows("").points.empty());
}

} // namespace
} // namespace kelvo
