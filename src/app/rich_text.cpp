#include "app/rich_text.h"

#include <richedit.h>

void AppendRichText(HWND richEdit, COLORREF colour, float sizeFactor, const std::wstring& text) {
    CHARRANGE end = {-1, -1};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));

    const bool changeFormat = colour != 0 || sizeFactor != 1.0f;
    CHARFORMAT2W saved = {};
    if (changeFormat) {
        CHARFORMAT2W format = {};
        format.cbSize = sizeof(format);
        SendMessageW(richEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        format.dwMask = CFM_SIZE | CFM_COLOR;
        saved = format;
        // With automatic colour on, the control would ignore the colour member.
        if (colour != 0) format.dwEffects &= ~CFE_AUTOCOLOR;
        format.crTextColor = colour;
        format.yHeight = static_cast<LONG>(static_cast<float>(format.yHeight) * sizeFactor);
        SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    SendMessageW(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    if (changeFormat) {
        SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&saved));
    }
}
