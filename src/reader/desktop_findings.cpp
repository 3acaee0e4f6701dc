// The windows the wallpaper is drawn into: Progman, the shell's desktop window, and the
// WorkerW windows Windows puts behind the desktop icons.
#include "reader/section_findings.h"
#include "reader/utf8.h"

namespace {

// The class of a window row "... name: <title>, class: <class>, style: 0x...". The title
// may hold anything, so the class is the last one before the style.
std::string_view WindowClass(std::string_view row) {
    const std::size_t style = row.rfind(", style: 0x");
    if (style == std::string_view::npos) return {};
    const std::size_t cls = row.rfind(", class: ", style);
    if (cls == std::string_view::npos) return {};
    return row.substr(cls + 9, style - cls - 9);
}

// Classes count by their first seven letters, as the tool collects them.
bool IsClass(std::string_view className, std::string_view lowerPrefix) {
    return LowerAscii(className.substr(0, 7)) == lowerPrefix;
}

}  // namespace

void AddDesktopFindings(const LogDocument& log, Findings& findings) {
    const LogSection* desktop = FindSection(log, "Desktop window state");
    if (!desktop) return;
    std::vector<std::size_t> progman;
    bool workerW = false;
    for (std::size_t i = desktop->bodyBegin; i < desktop->bodyEnd; ++i) {
        const std::string_view cls = WindowClass(log.lines[i]);
        if (IsClass(cls, "progman")) progman.push_back(i);
        if (IsClass(cls, "workerw")) workerW = true;
    }
    const Evidence heading{desktop->title, desktop->headingLine,
                           std::string(log.lines[desktop->headingLine - 1])};
    if (progman.empty()) {
        findings.push_back({"desktop-no-progman",
                            Severity::Problem,
                            "The desktop has no Progman window",
                            "Explorer's desktop window is missing, so Vistora has nothing to "
                            "attach the wallpaper to. Ask the user whether another shell or a "
                            "desktop replacement runs, and to restart Explorer.",
                            {heading}});
    } else if (!workerW) {
        Finding finding{"desktop-no-workerw",
                        Severity::Problem,
                        "The desktop has no WorkerW window",
                        "Windows did not create the window behind the desktop icons that the "
                        "wallpaper is drawn into. Restarting Explorer usually brings it back; "
                        "desktop tools that replace the icons can prevent it.",
                        {}};
        for (std::size_t i : progman) finding.evidence.push_back(EvidenceAt(log, *desktop, i));
        findings.push_back(std::move(finding));
    }
}
