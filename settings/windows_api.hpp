#pragma once

// The Windows API without the min/max macros and the rarely used parts that
// <windows.h> otherwise brings along.
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
