#pragma once
// The value rules of the text input dialog: its frame count and duration edits, which
// follow each other. Texts are read and written independently of the locale.
#include <cstdint>
#include <string>

// The frame count edit's text: "%d".
std::string FrameCountText(int32_t frameCount);

// The duration edit's text: "%6.2f" of frameCount / rateHz seconds (right-aligned in six
// characters); rateHz 0 counts as 1.
std::string DurationText(int32_t frameCount, uint32_t rateHz);

// The first 99 characters of the frame count edit read as "%d" reads them: white space, an
// optional sign and digits; 0 when no number starts there. Numbers beyond the int32 range
// are held at its ends.
int32_t ParseFrameCountText(const std::string& text);

// The first 99 characters of the duration edit read as "%f" reads them; 0 when no number
// starts there (or it is not finite).
double ParseDurationText(const std::string& text);

// The frame count of a duration: floor(rateHz * seconds + 0.5), held within the int32 range.
int32_t FramesForDuration(double seconds, uint32_t rateHz);
