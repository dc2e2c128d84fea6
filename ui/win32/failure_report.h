#pragma once

#include <windows.h>

#include <exception>

// Names `failure` in a modal message box owned by `owner` (which may be null), titled
// form1::Title, with a stop icon and OK only; returns when the user dismisses it.
void ShowFailure(HWND owner, const std::exception &failure) noexcept;
