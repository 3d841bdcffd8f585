#pragma once
// The platform's colour chooser as the display dialogs use it: the current colour
// preselected and the application's sixteen custom colours offered; on OK the custom
// colours (which the user may have changed) are written back.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QIcon;
class QWidget;

using CustomColors = std::array<uint32_t, 16>;

// The chosen colour (0x00BBGGRR), or none when the chooser was cancelled (the custom colours
// then stay as they were).
std::optional<uint32_t> ChooseColor(QWidget* parent, uint32_t initial, CustomColors& customColors);

// What a dialog calls to choose a colour; tests put their own in place of the chooser.
using ColorChooser = std::function<std::optional<uint32_t>(QWidget* parent, uint32_t initial,
                                                           CustomColors& customColors)>;

// A small square of the colour with a black outline, for the buttons that choose it.
QIcon ColorSwatch(uint32_t color);
