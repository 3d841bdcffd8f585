#include "core/doc/app_settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/doc/settings_store.h"

namespace {

// The colours of a set in the order in which they are stored, and their value names by
// their index in memory.
constexpr int kStoredColorOrder[kColorSetSize] = {kColorFrameBack, kColorGraphBack, kColorFrame,
                                                  kColorGraph,     kColorScale,     kColorMark,
                                                  kColorArea};
constexpr const char* kColorNames[kColorSetSize] = {"grColor_gBack", "grColor_fBack",   "grColor_frame",
                                        "grColor_front", "grColor_section", "grColor_scope",
                                        "grColor_area"};

std::string TwoDigits(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

bool ParseInt(const std::string& text, int64_t& out) {
  const char* s = text.c_str();
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(s, &end, 10);
  if (end == s || errno != 0) return false;
  while (*end == ' ') ++end;
  if (*end != '\0') return false;
  out = v;
  return true;
}

void ReadInt32(const SettingsStore& store, const char* name, int32_t& value) {
  int64_t v;
  if (auto t = store.Read(name); t && ParseInt(*t, v)) value = static_cast<int32_t>(v);
}

void ReadUInt32(const SettingsStore& store, const std::string& name, uint32_t& value) {
  int64_t v;
  if (auto t = store.Read(name); t && ParseInt(*t, v)) value = static_cast<uint32_t>(v);
}

void ReadByte(const SettingsStore& store, const char* name, uint8_t& value) {
  int64_t v;
  if (auto t = store.Read(name); t && ParseInt(*t, v)) value = static_cast<uint8_t>(v);
}

}  // namespace

AppSettings::AppSettings() { userColors.fill(0xFFFFFF); }

std::string ColorValueName(int colorIndex, int setIndex) {
  return std::string(kColorNames[colorIndex]) + TwoDigits(setIndex);
}

std::string UserColorValueName(int index) { return "usrColor" + TwoDigits(index); }

bool ParseMainFrameSize(const std::string& text, int screenWidth, int screenHeight,
                        int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) {
  int c = screenWidth / 2, d = screenHeight / 2;
  left = c - c / 2;
  right = c + c / 2;
  top = d - d / 2;
  bottom = d + d / 2;
  if (text == "none") return false;
  int l, t, r, b;
  if (std::sscanf(text.c_str(), "%d ,%d ,%d ,%d", &l, &t, &r, &b) != 4) return false;
  l = std::max(l, 0);
  t = std::max(t, 0);
  r = std::max(r, 0);
  b = std::max(b, 0);
  l = std::min(l, screenWidth);
  r = std::min(r, screenWidth);
  t = std::min(t, screenHeight);
  b = std::min(b, screenHeight);
  if (r - l < 50) {
    l = 10;
    r = 210;
  }
  if (b - t < 50) {
    t = 10;
    b = 170;
  }
  left = l;
  top = t;
  right = r;
  bottom = b;
  return true;
}

void LoadSettings(const SettingsStore& store, AppSettings& s, int screenWidth, int screenHeight) {
  ReadInt32(store, "prn_x_size", s.pageWidth);
  ReadInt32(store, "prn_y_size", s.pageHeight);
  ReadInt32(store, "prn_l_mrgn", s.leftMargin);
  ReadInt32(store, "prn_r_mrgn", s.rightMargin);
  ReadInt32(store, "prn_u_mrgn", s.topMargin);
  ReadInt32(store, "prn_d_mrgn", s.bottomMargin);

  // Only the stored fields carry values (the record's others stay 0), each with its default.
  LogFont f = DefaultLogFont();
  ReadInt32(store, "font_Height", f.height);
  ReadInt32(store, "font_Weight", f.weight);
  ReadByte(store, "font_CharSet", f.charSet);
  ReadByte(store, "font_OutPrecision", f.outPrecision);
  ReadByte(store, "font_ClipPrecision", f.clipPrecision);
  ReadByte(store, "font_quality", f.quality);
  ReadByte(store, "font_PitchFamily", f.pitchAndFamily);
  uint32_t color = 0;
  ReadUInt32(store, "font_color", color);
  f.SetFaceNameUtf8(store.Read("font_facename").value_or("ＭＳ Ｐゴシック"));
  s.font.logFont = f;
  s.font.textColor = color;

  ReadInt32(store, "string_width", s.stringWidth);
  ReadInt32(store, "string_height", s.stringHeight);
  ReadInt32(store, "MouseOp", s.mouseOp);
  ReadInt32(store, "grFFT3_slantX", s.slantXPercent);
  ReadInt32(store, "grFFT3_slantY", s.slantYPercent);
  ReadInt32(store, "grFFT3_zpitch", s.depthPitch);
  ReadUInt32(store, "grFFT3_color", s.fill3dColor);
  LoadColorSets(store, s.colorSets);
  for (int i = 0; i < kUserColorCount; ++i) ReadUInt32(store, UserColorValueName(i), s.userColors[i]);
  ReadInt32(store, "textOut_Joken", s.textOutConditions);
  ReadInt32(store, "textOut_Komoku", s.textOutNames);
  ReadInt32(store, "textOut_Step", s.textOutStep);
  if (auto d = store.Read("textOut_Delimit")) s.textOutDelimiter = *d;

  std::string frame = store.Read("MainFrameSize").value_or("none");
  if (ParseMainFrameSize(frame, screenWidth, screenHeight, s.frameLeft, s.frameTop, s.frameRight,
                         s.frameBottom)) {
    ReadInt32(store, "MaxFrame", s.maxFrame);
  }
}

int LoadColorSets(const SettingsStore& store, std::array<ColorSet, kColorSetCount>& sets,
                  std::vector<std::string>* malformed) {
  int taken = 0;
  for (int set = 0; set < kColorSetCount; ++set) {
    for (int k : kStoredColorOrder) {
      const std::string name = ColorValueName(k, set);
      const std::optional<std::string> text = store.Read(name);
      if (!text) continue;
      int64_t v;
      if (ParseInt(*text, v)) {
        sets[set][k] = static_cast<uint32_t>(v);
        ++taken;
      } else if (malformed) {
        malformed->push_back(name);
      }
    }
  }
  return taken;
}

void SaveSettings(SettingsStore& store, const AppSettings& s) {
  store.WriteInt("version", 211);
  store.WriteInt("prn_x_size", s.pageWidth);
  store.WriteInt("prn_y_size", s.pageHeight);
  store.WriteInt("prn_l_mrgn", s.leftMargin);
  store.WriteInt("prn_r_mrgn", s.rightMargin);
  store.WriteInt("prn_u_mrgn", s.topMargin);
  store.WriteInt("prn_d_mrgn", s.bottomMargin);
  const LogFont& f = s.font.logFont;
  store.WriteInt("font_Height", f.height);
  store.WriteInt("font_Weight", f.weight);
  store.WriteInt("font_CharSet", f.charSet);
  store.WriteInt("font_OutPrecision", f.outPrecision);
  store.WriteInt("font_ClipPrecision", f.clipPrecision);
  store.WriteInt("font_quality", f.quality);
  store.WriteInt("font_PitchFamily", f.pitchAndFamily);
  store.WriteInt("font_color", s.font.textColor);
  store.WriteText("font_facename", f.FaceNameUtf8());
  store.WriteInt("string_width", s.stringWidth);
  store.WriteInt("string_height", s.stringHeight);
  store.WriteInt("MouseOp", s.mouseOp);
  store.WriteInt("grFFT3_slantX", s.slantXPercent);
  store.WriteInt("grFFT3_slantY", s.slantYPercent);
  store.WriteInt("grFFT3_zpitch", s.depthPitch);
  store.WriteInt("grFFT3_color", s.fill3dColor);
  for (int set = 0; set < kColorSetCount; ++set) {
    for (int k : kStoredColorOrder) store.WriteInt(ColorValueName(k, set), s.colorSets[set][k]);
  }
  for (int i = 0; i < kUserColorCount; ++i) store.WriteInt(UserColorValueName(i), s.userColors[i]);
  char rect[64];
  std::snprintf(rect, sizeof rect, "%d, %d, %d, %d", s.frameLeft, s.frameTop, s.frameRight,
                s.frameBottom);
  store.WriteText("MainFrameSize", rect);
  store.WriteInt("MaxFrame", s.maxFrame);
  store.WriteInt("textOut_Joken", s.textOutConditions);
  store.WriteInt("textOut_Komoku", s.textOutNames);
  store.WriteInt("textOut_Step", s.textOutStep);
  store.WriteText("textOut_Delimit", s.textOutDelimiter);
}
