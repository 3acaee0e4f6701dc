#include "app/summary_report.h"

#include "collectors/steam_info.h"
#include "knowledge/hint_expansion.h"

bool IsVistoraRunning(const RunningProcesses& processes) {
    return processes.count(L"vistora32.exe") != 0 || processes.count(L"vistora64.exe") != 0;
}

const wchar_t kModules64UnscannedNotice[] =
    L"The 64-bit part of this tool could not be started, so the modules of 64-bit programs "
    L"(Vistora's 64-bit processes and Explorer among them) were not scanned. Reinstalling "
    L"Vistora repairs this.\n";

std::vector<RichTextPiece> OpeningPieces(const ApplicationState& state) {
    std::vector<RichTextPiece> pieces;
    if (state.modules64Unscanned) pieces.push_back({kRed, 1.0f, L"\n" + std::wstring(kModules64UnscannedNotice)});
    if (!IsVistoraRunning(state.runningProcesses)) {
        pieces.push_back(
            {kRed, 1.0f,
             L"\nPlease run Vistora before running this tool to get better results!\n"});
    }
    pieces.push_back(
        {0, 1.0f, L"\n*** Please share the log from the button 'Save Full Log' ***\n"});
    return pieces;
}

std::vector<RichTextPiece> NothingFoundPieces() {
    return {{0, 1.0f,
             L"\nPlease click on 'Open FAQ' below if you are experiencing any issues with "
             L"Vistora.\n\n"
             L"The log you can save below contains additional information about the PC.\n\n"
             L"***Please make sure to share it with us if you experience problems.***\n"}};
}

std::vector<RichTextPiece> DetailPieces(const ApplicationState& state, bool viewMore) {
    std::vector<RichTextPiece> pieces;
    if (state.steamOutdated) {
        pieces.push_back({0, 1.0f, L"\nSteam outdated\n"});
        pieces.push_back({0, kBodySize, SteamOutdatedText(state.steam.ageDays)});
    }
    if (!state.firewall.hasAccess) {
        pieces.push_back({0, 1.0f, L"\nMissing Firewall permissions\n"});
        pieces.push_back({0, kBodySize,
                          L"If you experience issues trying to pair a mobile device, try fixing "
                          L"the firewall permissions with the button 'Fix Firewall' below. Refer "
                          L"to the FAQ if you need more help."});
    }
    for (const auto& [key, foundPaths] : state.detectedApps) {
        const HintEntry* entry = FindHint(key);
        if (!entry) {
            pieces.push_back(
                {kRed, 1.0f,
                 L"Internal error. The hints for this application are missing: " + key + L"\n"});
            continue;
        }
        pieces.push_back({0, 1.0f, L"\n"});
        pieces.push_back({0, 1.0f, entry->name});
        pieces.push_back({0, 1.0f, L"\n"});
        pieces.push_back({0, kBodySize, ExpandHint(*entry)});
        if (viewMore) {
            std::wstring paths = L"\n\nLoaded modules found:\n";
            for (const std::wstring& path : foundPaths) paths += path + L"\n";
            pieces.push_back({0, kBodySize, paths});
        }
        pieces.push_back({0, 1.0f, L"\n"});
    }
    return pieces;
}
