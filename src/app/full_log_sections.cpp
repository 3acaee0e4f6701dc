#include "app/full_log_sections.h"

#include "collectors/desktop_windows.h"
#include "collectors/product_config.h"
#include "collectors/steam_section.h"
#include "collectors/windows_settings.h"
#include "collectors/windows_version_info.h"
#include "text/encoding.h"
#include "text/paths.h"
#include "text/text_tail.h"

namespace {

// A large product log must not swell the report.
constexpr std::size_t kLogTailBytes = 20000;

}  // namespace

std::vector<ProductLogFile> ReadProductLogFiles(
    const std::optional<std::filesystem::path>& productDirectory) {
    std::vector<ProductLogFile> files;
    for (const wchar_t* relativePath :
         {L"log.txt", L"bin\\vistorauilog.txt", L"bin\\weblog.txt", L"bin\\debug.log"}) {
        ProductLogFile file{relativePath, std::nullopt};
        if (productDirectory) {
            std::filesystem::path path = *productDirectory;
            AppendPath(path, std::wstring(relativePath));
            if (IsRegularFile(path)) file.tail = ReadTextFileTail(path, kLogTailBytes);
        }
        files.push_back(std::move(file));
    }
    return files;
}

FullLogSections GatherFullLogSections(const ApplicationState& state, std::wstring dependencies,
                                      std::wstring dxDiag) {
    FullLogSections sections;
    sections.productConfig = Utf8ToWide(DumpProductConfig());
    sections.system.push_back(WindowsSettingsSection());
    if (std::optional<LogSection> version = WindowsVersionSection()) {
        sections.system.push_back(std::move(*version));
    }
    sections.system.push_back(SteamSection(state.steam));
    sections.dependencies = std::move(dependencies);
    sections.desktopWindows = DescribeDesktopWindows();
    sections.logFiles = ReadProductLogFiles(KnownProductDirectory());
    sections.dxDiag = std::move(dxDiag);
    return sections;
}
