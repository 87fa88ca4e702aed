// The configuration dialog: one check box, "Use Mirrors", stored on OK.
#pragma once
#include "resources/resource_ids.h"

#include <windows.h>

constexpr int kConfigDialogTemplate = ZELLIK_CONFIG_DIALOG;
constexpr int kUseMirrorsCheckBox = ZELLIK_USE_MIRRORS_CHECKBOX;

// The dialog procedure for template 104, run modally by start-up.
INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM firstParameter, LPARAM secondParameter);
