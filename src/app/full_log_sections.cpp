#include "app/full_log_sections.h"

#include <sstream>

#include "collectors/desktop_windows.h"
#include "collectors/product_config.h"
#include "collectors/steam_section.h"
#include "collectors/windows_settings.h"
#include "collectors/windows_version_info.h"
#include "text/paths.h"
#include "text/text_tail.h"

namespace {

// A large product log must not swell the report.
constexpr std::size_t kLogTailBytes = 20000;

template <typename Writer>
std::wstring SectionText(Writer write) {
    std::wostringstream section;
    write(section);
    return section.str();
}

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
    sections.productConfig = DumpProductConfig();
    sections.windowsSettings = SectionText(WriteWindowsSettingsSection);
    sections.windowsVersion = SectionText(WriteWindowsVersionSection);
    sections.steam = SectionText([&](std::wostream& out) { WriteSteamSection(out, state.steam); });
    sections.dependencies = std::move(dependencies);
    sections.desktopWindows = DescribeDesktopWindows();
    sections.logFiles = ReadProductLogFiles(KnownProductDirectory());
    sections.dxDiag = std::move(dxDiag);
    return sections;
}
