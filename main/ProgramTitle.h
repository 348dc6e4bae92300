// The program's name, as the taskbar and its own message boxes show it.
#pragma once

inline constexpr char kProgramTitle[] = "Quorvel for Word97";
