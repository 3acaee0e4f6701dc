#pragma once
#include <string>

// The address "Open FAQ" opens. The locale files are data beside an elevated process, and
// the shell would run a program named there, so only web addresses are taken from them;
// anything else gives the product's own FAQ page.
std::wstring FaqAddressToOpen(const std::wstring& localeValue);

// The address to open now: the locale's "var_url_faq" as FaqAddressToOpen takes it, or the
// built-in page when the locale cannot be read.
std::wstring FaqAddressFromLocale();
