#pragma once
// The settings file as the desktop program's store writes it: an INI file whose group
// "[Defaults]" holds one "name=value" line per value ("grColor_front03=8421504"). Reading
// it gives a store that the settings model reads with its usual rules, so that a file
// copied from a user's configuration (or written by hand) means what it means there.
#include <cstdint>
#include <string>

#include "core/doc/settings_store.h"

// Lines are "name=value" with blanks around either part ignored and a value in double
// quotes taken without them; empty lines and lines starting with ';' or '#' are comments.
// Values before any "[group]" line and in "[Defaults]" are taken, other groups are skipped.
// False, with the line named in `error`, for a line that is none of these.
bool ReadSettingsText(const std::string& text, MemorySettingsStore& store, std::string& error);

// A settings file of at most kMaxSettingsFileBytes read as above; false with the reason in
// `error` when it cannot be read, is larger or holds a line of another kind.
inline constexpr uint64_t kMaxSettingsFileBytes = 1 << 20;
bool ReadSettingsFile(const std::string& path, MemorySettingsStore& store, std::string& error);
