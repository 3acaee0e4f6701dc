// The DLL load probe's failures, grouped by what they mean for Vistora, and probes that
// did not run.
#include <map>

#include "reader/section_findings.h"
#include "reader/utf8.h"

namespace {

constexpr std::string_view kErrorModule = "Error module: ";

// Lines that say a probe program did not start or did not finish: the line starts with
// `start` and holds `holds` (either may be empty).
struct ProbeFailureLine {
    const char* start;
    const char* holds;
};
const ProbeFailureLine kProbeFailureLines[] = {
    {"Could not start ", ", error "},
    {"", " did not finish within "},
    {"", " did not finish before the save was cancelled"},
    {"", " wrote no sysprobeloader"},
    {"", " wrote an unusable sysprobeloader"},
    {"", " left a crash dump, moved to "},
    {"No temporary folder for ", ""},
};

struct DependencyGroup {
    const char* id;
    Severity severity;
    const char* title;
    const char* advice;
};

const DependencyGroup kOwn = {
    "deps-own", Severity::Problem, "Libraries that come with Vistora do not load",
    "Vistora cannot start without them. Ask the user to check the antivirus quarantine, "
    "allow the Vistora folder, and reinstall Vistora."};
const DependencyGroup kVcRuntime = {
    "deps-vc-runtime", Severity::Problem, "The Visual C++ runtime does not load",
    "Ask the user to install the latest Microsoft Visual C++ Redistributable (x86 and x64) "
    "and restart Windows."};
const DependencyGroup kMediaFoundation = {
    "deps-media-foundation", Severity::Problem,
    "Media Foundation or the video decoders do not load",
    "Video wallpapers cannot play. The usual cause is a Windows \"N\" edition without the "
    "Media Feature Pack: ask the user to install it from Windows' optional features."};
const DependencyGroup kD3dCompiler = {
    "deps-d3dcompiler", Severity::Problem, "The DirectX shader compilers do not load",
    "Ask the user to install the DirectX End-User Runtime and to update the graphics driver."};
const DependencyGroup kWebEngine = {
    "deps-web-engine", Severity::Problem, "The embedded web engine does not load",
    "Web wallpapers and Vistora's UI need it. Ask the user to check the antivirus quarantine "
    "and reinstall Vistora."};
const DependencyGroup kSystem = {
    "deps-system", Severity::Warning, "Windows libraries do not load",
    "Parts of Windows are missing or damaged. Ask the user to install pending Windows "
    "updates and to run \"sfc /scannow\" in an administrator command prompt."};

// Lower-case DLL name -> group; every other name is a Windows library. The libraries of
// other makers that Vistora ships sit in its folder and fail for the same reasons as its
// own.
const std::map<std::string, const DependencyGroup*> kDependencyGroups = {
    {"clipworks32.dll", &kOwn},
    {"stagelogic32.dll", &kOwn},
    {"assetkit32.dll", &kOwn},
    {"assimp-vc140-mt32.dll", &kOwn},
    {"freeimage32.dll", &kOwn},
    {"cuesdk_2017.dll", &kOwn},
    {"steam_api.dll", &kOwn},
    {"msvcp140.dll", &kVcRuntime},
    {"vcruntime140.dll", &kVcRuntime},
    {"mf.dll", &kMediaFoundation},
    {"mfplat.dll", &kMediaFoundation},
    {"mfreadwrite.dll", &kMediaFoundation},
    {"mfh264enc.dll", &kMediaFoundation},
    {"mfmp4srcsnk.dll", &kMediaFoundation},
    {"mfperfhelper.dll", &kMediaFoundation},
    {"msmpeg2vdec.dll", &kMediaFoundation},
    {"msvproc.dll", &kMediaFoundation},
    {"colorcnv.dll", &kMediaFoundation},
    {"evr.dll", &kMediaFoundation},
    {"msdmo.dll", &kMediaFoundation},
    {"windows.media.dll", &kMediaFoundation},
    {"d3dcompiler_43.dll", &kD3dCompiler},
    {"d3dcompiler_47.dll", &kD3dCompiler},
    {"libcef.dll", &kWebEngine},
    {"chrome_elf.dll", &kWebEngine},
    {"libegl.dll", &kWebEngine},
    {"libglesv2.dll", &kWebEngine},
};

// The groups in the order findings are made.
const DependencyGroup* const kGroupOrder[] = {&kOwn,         &kVcRuntime, &kMediaFoundation,
                                              &kD3dCompiler, &kWebEngine, &kSystem};

bool IsProbeFailureLine(std::string_view line) {
    for (const ProbeFailureLine& failure : kProbeFailureLines) {
        if (StartsWith(line, failure.start) &&
            line.find(failure.holds, std::string_view(failure.start).size()) !=
                std::string_view::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

void AddDependencyFindings(const LogDocument& log, Findings& findings) {
    const LogSection* section = FindSection(log, "Dependency error analysis");
    if (!section) return;
    std::map<const DependencyGroup*, std::vector<Evidence>> failing;
    std::vector<Evidence> notRun;
    for (std::size_t i = section->bodyBegin; i < section->bodyEnd; ++i) {
        const std::string_view line = log.lines[i];
        if (StartsWith(line, kErrorModule)) {
            const std::string_view rest = line.substr(kErrorModule.size());
            const auto group =
                kDependencyGroups.find(LowerAscii(rest.substr(0, rest.find(", loaded: "))));
            failing[group == kDependencyGroups.end() ? &kSystem : group->second].push_back(
                EvidenceAt(log, *section, i));
        } else if (IsProbeFailureLine(line)) {
            notRun.push_back(EvidenceAt(log, *section, i));
        }
    }
    for (const DependencyGroup* group : kGroupOrder) {
        const auto found = failing.find(group);
        if (found == failing.end()) continue;
        findings.push_back(
            {group->id, group->severity, group->title, group->advice, found->second});
    }
    if (!notRun.empty()) {
        findings.push_back({"deps-not-run", Severity::Warning, "A DLL load probe did not run",
                            "The report lacks that probe's view. Make sure sysprobe32.exe lies "
                            "beside sysprobe64.exe in the Vistora 'tools' folder and that no "
                            "antivirus blocks it, then save the log again.",
                            std::move(notRun)});
    }
}
