#pragma once

// Resource numbers shared by kelvanter.rc and the windows.
#define IDI_MAGNET 101
#define IDI_FOLDER 102
#define IDI_INFO 103
#define IDI_DOOR 104
