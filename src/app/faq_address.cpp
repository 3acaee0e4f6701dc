#include "app/faq_address.h"

#include <cwchar>
#include <exception>

#include "locale/locale.h"
#include "text/case_folding.h"
#include "text/product_web.h"

std::wstring FaqAddressToOpen(const std::wstring& localeValue) {
    const std::wstring lower = ToLowerAscii(localeValue);
    for (const wchar_t* scheme : {L"https://", L"http://"}) {
        if (lower.compare(0, std::wcslen(scheme), scheme) == 0) return localeValue;
    }
    return std::wstring(kProductWebHost) + L"/faq";
}

std::wstring FaqAddressFromLocale() {
    std::wstring localeValue;
    try {
        localeValue = LocaleText("var_url_faq");
    } catch (const std::exception&) {
        // The current directory could not be read; the built-in address still works.
    }
    return FaqAddressToOpen(localeValue);
}
