// Where the main window keeps its four values: text values of the section
// subkey under this per-user key.
#pragma once

inline constexpr char kSettingsKey[] = "Software\\Brenwick\\Quorvel";
inline constexpr char kSettingsSection[] = "Base";
