// The colour dialog driven as a user drives it, with a stand-in for the colour chooser.
#include "gui/graph/color_scheme_dlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "render/qt_convert.h"
#include "support/screenshot.h"

namespace {

ColorSets DistinctSets() {
  ColorSets sets = ApplicationDefaultColorSets();
  for (int k = 0; k < kColorSetCount; ++k) sets[k][kColorGraph] = 0x000010u * static_cast<uint32_t>(k);
  return sets;
}

// A chooser that answers with a fixed colour (or cancels) and changes a custom colour, as a
// user may do in the platform's chooser.
struct FakeChooser {
  std::optional<uint32_t> answer;
  int calls = 0;
  uint32_t lastInitial = 0;
  ColorChooser Make() {
    return [this](QWidget*, uint32_t initial, CustomColors& custom) -> std::optional<uint32_t> {
      ++calls;
      lastInitial = initial;
      if (!answer) return std::nullopt;
      custom[3] = 0x00ABCDEF;
      return answer;
    };
  }
};

// Lets the event loop run until the sample has been drawn (the timer fires after 10 ms; a
// busy machine may take longer).
void WaitForSample(const CColorSchemeDlg& dlg) {
  QTest::qWait(CColorSchemeDlg::kSampleDelayMs);
  for (int i = 0; i < 200 && dlg.IsSampleRedrawPending(); ++i) QTest::qWait(10);
}

int ButtonOf(ColorIndex color) {
  for (int i = 0; i < kEditableColorCount; ++i) {
    if (kEditableColors[i].color == color) return i;
  }
  return -1;
}

}  // namespace

TEST(ColorSchemeDlg, StartsOnTheKindsTargetAndHandsBackTheEditedSets) {
  CustomColors custom{};
  CColorSchemeDlg dlg(custom);
  const ColorSets original = DistinctSets();
  dlg.SetSchemes(original, 7);
  auto* target = dlg.findChild<QComboBox*>(QStringLiteral("target"));
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->count(), 14);
  EXPECT_EQ(target->currentIndex(), 9);
  EXPECT_EQ(target->currentText(), QStringLiteral("FFT-3Dボックス(L/R/M)"));
  EXPECT_EQ(dlg.Editor().Working(), original[6]);

  FakeChooser chooser{0x0000FF};
  dlg.SetChooser(chooser.Make());
  target->setCurrentIndex(0);
  emit target->activated(0);  // "すべてのボックス"
  auto* graphLine = dlg.findChild<QPushButton*>(QStringLiteral("color1082"));
  ASSERT_NE(graphLine, nullptr);
  QTest::mouseClick(graphLine, Qt::LeftButton);
  EXPECT_EQ(chooser.calls, 1);
  EXPECT_EQ(chooser.lastInitial, original[0][kColorGraph]);
  EXPECT_EQ(custom[3], 0x00ABCDEFu);  // the custom colours are stored back at once
  dlg.accept();
  ColorSet expected = original[0];
  expected[kColorGraph] = 0x0000FF;
  for (const ColorSet& set : dlg.Schemes()) EXPECT_EQ(set, expected);
}

TEST(ColorSchemeDlg, ACancelledChooserChangesNothing) {
  CustomColors custom{};
  custom.fill(0xFFFFFF);
  CColorSchemeDlg dlg(custom);
  const ColorSets original = DistinctSets();
  dlg.SetSchemes(original, 1);
  FakeChooser chooser;  // cancels
  dlg.SetChooser(chooser.Make());
  for (int i = 0; i < kEditableColorCount; ++i) dlg.ChangeColor(i);
  EXPECT_EQ(chooser.calls, kEditableColorCount);
  EXPECT_EQ(dlg.Schemes(), original);
  EXPECT_EQ(custom[3], 0xFFFFFFu);
}

TEST(ColorSchemeDlg, EveryChangeRedrawsTheSampleAndItsLeaderLinesOnceShortlyAfter) {
  CustomColors custom{};
  CColorSchemeDlg dlg(custom);
  ColorSets sets = ApplicationDefaultColorSets();
  sets[3][kColorGraphBack] = 0x00FFFF;  // yellow plot
  dlg.SetSchemes(sets, 3);
  FakeChooser chooser{0x0000FF};  // red
  dlg.SetChooser(chooser.Make());
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  EXPECT_TRUE(dlg.IsSampleRedrawPending());
  WaitForSample(dlg);
  EXPECT_FALSE(dlg.IsSampleRedrawPending());

  const QImage& sample = dlg.SampleImage();
  ASSERT_EQ(sample.size(), dlg.SampleControl()->size());
  auto pixelAt = [&](Point samplePoint) {
    const Point d = ColorSampleMapping(sample.width(), sample.height()).LogicalToDevice(samplePoint);
    return ColorRefFrom(sample.pixelColor(d.x, d.y));
  };
  EXPECT_EQ(pixelAt({600, 160}), 0x00FFFFu);
  EXPECT_EQ(pixelAt({100, 80}), kApplicationDefaultColors[kColorFrameBack]);

  dlg.ChangeColor(ButtonOf(kColorGraphBack));
  EXPECT_TRUE(dlg.IsSampleRedrawPending());
  WaitForSample(dlg);
  EXPECT_EQ(pixelAt({600, 160}), 0x0000FFu);

  // Each line starts at its anchor in the sample and ends one pixel outside the middle of
  // its button's lower or upper edge.
  const QPoint sampleOrigin = dlg.SampleControl()->geometry().topLeft();
  const std::array<Point, kEditableColorCount> anchors = ColorSampleAnchors();
  for (int i = 0; i < kEditableColorCount; ++i) {
    auto* b = dlg.findChild<QPushButton*>(QStringLiteral("color%1").arg(kEditableColors[i].controlId));
    ASSERT_NE(b, nullptr);
    const QRect r(b->mapTo(&dlg, QPoint(0, 0)), b->size());
    const LeaderLine& line = dlg.LeaderLines()[i];
    const Point a = ColorSampleMapping(sample.width(), sample.height()).LogicalToDevice(anchors[i]);
    EXPECT_EQ(line.from, (Point{a.x + sampleOrigin.x(), a.y + sampleOrigin.y()})) << i;
    EXPECT_EQ(line.to.x, r.left() + r.width() / 2) << i;
    EXPECT_EQ(line.to.y, kEditableColors[i].edge == ButtonEdge::kLower ? r.top() + r.height() + 1 : r.top() - 1) << i;
  }
  MaybeShoot(dlg, QStringLiteral("color_scheme_dlg"));
}
