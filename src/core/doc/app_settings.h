#pragma once
// The process-wide settings of the application: defaults for new documents (page, font,
// label cell), the thirteen colour sets of the box kinds, the 3D waterfall view, the mouse
// operation, the text export options and the main window placement. Read at start-up and
// written back on exit and after the font dialog, under the value names below.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/graph/color_set.h"
#include "core/graph/log_font.h"

class SettingsStore;

inline constexpr int kUserColorCount = 16;

struct AppSettings {
  // Page of new documents, 0.1 mm.
  int32_t pageWidth = 1200;
  int32_t pageHeight = 1800;
  int32_t leftMargin = 0;
  int32_t rightMargin = 0;
  int32_t topMargin = 0;
  int32_t bottomMargin = 0;
  DocumentFont font{DefaultLogFont(), 0};
  int32_t stringWidth = 0;   // 0 means 110
  int32_t stringHeight = 0;  // 0 means 35
  int32_t mouseOp = 1;       // 0 mark, 1 zoom band, 2 3D slice
  int32_t slantXPercent = 30;
  int32_t slantYPercent = 70;
  int32_t depthPitch = 10;   // 0.1 mm
  uint32_t fill3dColor = 0xFFFFFF;
  std::array<ColorSet, kColorSetCount> colorSets = ApplicationDefaultColorSets();
  std::array<uint32_t, kUserColorCount> userColors{};
  int32_t textOutConditions = 1;  // textOut_Joken
  int32_t textOutNames = 1;       // textOut_Komoku
  int32_t textOutStep = 1;        // textOut_Step: time / frequency column
  std::string textOutDelimiter = " , ";
  // Main window rectangle (left, top, right, bottom) and maximised flag.
  int32_t frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;
  int32_t maxFrame = 0;

  AppSettings();
};

// The value names, exactly as stored: "grColor_fBack03", "usrColor15".
std::string ColorValueName(int colorIndex, int setIndex);
std::string UserColorValueName(int index);

// Reads every value in the stored order; absent or malformed values keep their defaults.
// The main window rectangle is checked against the screen size (see the .cpp).
void LoadSettings(const SettingsStore& store, AppSettings& settings, int screenWidth,
                  int screenHeight);
void SaveSettings(SettingsStore& store, const AppSettings& settings);

// Reads the thirteen colour sets as LoadSettings does (set by set: fBack, gBack, frame,
// front, section, scope, area); absent or malformed values keep what the sets held. Returns
// how many values were taken; the names of malformed values go to `malformed` when given.
int LoadColorSets(const SettingsStore& store, std::array<ColorSet, kColorSetCount>& sets,
                  std::vector<std::string>* malformed = nullptr);

// The main window rectangle from "MainFrameSize": false (and the default rectangle, centred
// with half the screen's width and height) when the text is "none" or not four integers.
bool ParseMainFrameSize(const std::string& text, int screenWidth, int screenHeight,
                        int32_t& left, int32_t& top, int32_t& right, int32_t& bottom);
