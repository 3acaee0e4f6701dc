#include "app/faq_address.h"

#include <cwchar>

#include "text/case_folding.h"
#include "text/product_web.h"

std::wstring FaqAddressToOpen(const std::wstring& localeValue) {
    const std::wstring lower = ToLowerAscii(localeValue);
    for (const wchar_t* scheme : {L"https://", L"http://"}) {
        if (lower.compare(0, std::wcslen(scheme), scheme) == 0) return localeValue;
    }
    return std::wstring(kProductWebHost) + L"/faq";
}
