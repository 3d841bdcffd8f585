#include "core/graph/device_context.h"

#include <gtest/gtest.h>

#include "core/graph/recording_dc.h"

TEST(DeviceMapping, PageMappingPutsTheOriginTopLeftWithYUpward) {
  const DeviceMapping m = DeviceMapping::ForPage(1200, 1800, 96, 96);
  EXPECT_EQ(m.viewportExtX, 453);  // 1200 x 96 / 254, whole pixels
  EXPECT_EQ(m.viewportExtY, 680);
  EXPECT_EQ(m.LogicalToDevice({0, 0}), (Point{0, 0}));
  EXPECT_EQ(m.LogicalToDevice({1200, -1800}), (Point{453, 680}));
  EXPECT_EQ(m.LogicalToDevice({0, -100}).y, 38);  // lower on the page, further down
  // Device pixels are coarser than logical units at 96 dpi: device -> logical -> device
  // comes back exactly.
  for (int d = 0; d <= 453; ++d) EXPECT_EQ(m.LogicalToDevice(m.DeviceToLogical({d, -d})), (Point{d, -d}));
  // Halves round upward: 600 x 453 / 1200 = 226.5.
  EXPECT_EQ(m.LogicalToDevice({600, 0}).x, 227);
  const DeviceMapping scrolled = DeviceMapping::ForPage(1200, 1800, 96, 96, -10, -20);
  EXPECT_EQ(scrolled.LogicalToDevice({0, 0}), (Point{-10, -20}));
  const DeviceMapping printer = DeviceMapping::ForPage(1200, 1800, 600, 600);
  EXPECT_NEAR(printer.DeviceUnitsPerLogicalX(), 600.0 / 254.0, 0.001);
}

TEST(RecordingDC, KeepsEveryDrawingCallWithItsState) {
  RecordingDC dc;
  const Pen old = dc.SelectPen({PenStyle::kDot, 2, 0x00FF00});
  EXPECT_EQ(old.style, PenStyle::kSolid);
  dc.SetROP2(kRopXorPen);
  dc.MoveTo(1, 2);
  dc.LineTo(3, 4);
  dc.SelectPen({PenStyle::kNull, 1, 0});
  dc.LineTo(5, 6);  // a null pen moves without drawing
  EXPECT_EQ(dc.CurrentPosition(), (Point{5, 6}));
  dc.SetTextAlign(kAlignRight | kAlignBottom);
  dc.SetTextColor(0x0000FF);
  dc.TextOut(10, 20, "ab");
  dc.FillSolidRect({0, 0, 5, 5}, 0x123456);
  ASSERT_EQ(dc.Calls().size(), 3u);
  const DcCall& line = dc.Calls()[0];
  EXPECT_EQ(line.kind, DcCall::kLine);
  EXPECT_EQ(line.from, (Point{1, 2}));
  EXPECT_EQ(line.to, (Point{3, 4}));
  EXPECT_EQ(line.pen.width, 2);
  EXPECT_EQ(line.rop, kRopXorPen);
  EXPECT_EQ(dc.Calls()[1].textAlign, kAlignRight | kAlignBottom);
  EXPECT_EQ(dc.Calls()[1].textColor, 0x0000FFu);
  EXPECT_EQ(dc.Calls()[2].color, 0x123456u);
  EXPECT_EQ(RecordingDC::MeasureWithHeight("-200.0m", -34), (Size{119, 34}));
  EXPECT_EQ(RecordingDC::MeasureWithHeight("秒ｻ", 20), (Size{30, 20}));
}
