#pragma once
#include <string>

#include <windows.h>

// Appends text at the end of a RichEdit control in a colour (0 keeps the current one) and
// a size factor on the current height, leaving the format of later text unchanged.
void AppendRichText(HWND richEdit, COLORREF colour, float sizeFactor, const std::wstring& text);
