#include "gui/graph/settings_3d_dlg.h"

#include <gtest/gtest.h>

#include <QSpinBox>

#include "support/screenshot.h"

TEST(Settings3DDlg, RangesBoundTheValuesAndOkHandsThemBack) {
  C3DSettingsDlg::Values v;
  v.slantXPercent = 99;  // out of range values arriving from stored settings
  v.depthPitch = 0;
  C3DSettingsDlg dlg(v);
  MaybeShoot(dlg, QStringLiteral("settings_3d_dlg"));
  auto* x = dlg.findChild<QSpinBox*>(QStringLiteral("slantX"));
  auto* y = dlg.findChild<QSpinBox*>(QStringLiteral("slantY"));
  auto* pitch = dlg.findChild<QSpinBox*>(QStringLiteral("depthPitch"));
  ASSERT_TRUE(x && y && pitch);
  EXPECT_EQ(x->maximum(), 60);
  EXPECT_EQ(y->minimum(), 30);
  EXPECT_EQ(y->maximum(), 90);
  EXPECT_EQ(pitch->minimum(), 5);
  EXPECT_EQ(x->value(), 60);
  EXPECT_EQ(pitch->value(), 5);  // never 0
  y->setValue(45);
  dlg.accept();
  EXPECT_EQ(dlg.Result().slantXPercent, 60);
  EXPECT_EQ(dlg.Result().slantYPercent, 45);
  EXPECT_EQ(dlg.Result().depthPitch, 5);
}
