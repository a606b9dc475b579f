// Resource identifiers shared by the .rc script and the code.
#pragma once

#define IDI_PROGRAM 1
#define IDI_TRAY 2
