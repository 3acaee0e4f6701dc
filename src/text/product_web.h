#pragma once
// The product's web site: the one place that names its host.

// Opened as it stands (it carries its scheme).
constexpr wchar_t kProductWebHost[] = L"https://www.vistora.app";

// The host as texts shown to the user write it: without the scheme.
constexpr const wchar_t* kProductWebHostName = kProductWebHost + sizeof("https://") - 1;
