// The DirectX report: the display devices with their drivers, and a report that is missing.
#include <cstdint>
#include <optional>

#include "reader/section_findings.h"
#include "reader/utf8.h"

namespace {

// "Over two years older than the report".
constexpr std::int64_t kOldDriverDays = 2 * 365;

struct DisplayDevice {
    std::optional<std::size_t> cardName, driverVersion, driverDate;  // line indexes
};

std::string_view TrimStart(std::string_view text) {
    const std::size_t start = text.find_first_not_of(' ');
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// The value of a report line "   Label: value" when the label matches.
std::optional<std::string_view> LabelValue(std::string_view line, std::string_view label) {
    const std::string_view text = TrimStart(line);
    if (!StartsWith(text, label) || text.substr(label.size(), 2) != ": ") return std::nullopt;
    return text.substr(label.size() + 2);
}

// Days from 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The first date in the text, in days from 1970. DxDiag writes dates in the user's
// format: "y-m-d" when the year leads, "d.m.y" with dots, "m/d/y" with slashes.
std::optional<std::int64_t> ParseDate(std::string_view text) {
    const std::size_t start = text.find_first_of("0123456789");
    if (start == std::string_view::npos) return std::nullopt;
    std::int64_t parts[3] = {};
    std::size_t digits[3] = {};
    char separator = 0;
    std::size_t at = start;
    for (int p = 0; p < 3; ++p) {
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits[p] < 6) {
            parts[p] = parts[p] * 10 + (text[at] - '0');
            ++digits[p];
            ++at;
        }
        if (digits[p] == 0) return std::nullopt;
        if (p == 2) break;
        if (at >= text.size() || (text[at] != '/' && text[at] != '.' && text[at] != '-')) {
            return std::nullopt;
        }
        if (separator && text[at] != separator) return std::nullopt;
        separator = text[at++];
    }
    std::int64_t year = 0, month = 0, day = 0;
    if (digits[0] == 4) {
        year = parts[0], month = parts[1], day = parts[2];
    } else if (digits[2] == 4 && separator == '/') {
        month = parts[0], day = parts[1], year = parts[2];
    } else if (digits[2] == 4) {
        day = parts[0], month = parts[1], year = parts[2];
    } else {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
}

bool IsRuleOf(std::string_view line, char c) {
    return !line.empty() && line.find_first_not_of(c) == std::string_view::npos;
}

}  // namespace

void AddDxDiagFindings(const LogDocument& log, Findings& findings) {
    const LogSection* dxDiag = FindSection(log, kDxDiagSectionTitle);
    if (!dxDiag) return;
    const auto& lines = log.lines;
    std::optional<std::int64_t> reportDate;
    std::optional<std::size_t> reportDateLine;
    std::vector<DisplayDevice> devices;
    std::string_view part;  // the report's own heading between two dash rules
    bool anyReport = false;
    for (std::size_t i = dxDiag->bodyBegin; i < dxDiag->bodyEnd; ++i) {
        if (i + 2 < dxDiag->bodyEnd && IsRuleOf(lines[i], '-') && IsRuleOf(lines[i + 2], '-') &&
            !IsRuleOf(lines[i + 1], '-')) {
            part = TrimStart(lines[i + 1]);
            anyReport = true;
            i += 2;
            continue;
        }
        if (const auto time = LabelValue(lines[i], "Time of this report")) {
            reportDate = ParseDate(*time);
            reportDateLine = i;
        }
        if (part != "Display Devices") continue;
        if (LabelValue(lines[i], "Card name")) devices.push_back({i, {}, {}});
        if (devices.empty()) continue;
        if (LabelValue(lines[i], "Driver Version")) devices.back().driverVersion = i;
        if (LabelValue(lines[i], "Driver Date/Size") || LabelValue(lines[i], "Driver Date")) {
            if (!devices.back().driverDate) devices.back().driverDate = i;
        }
    }

    // A failure line, or a heading with nothing of the report below it.
    if (!anyReport) {
        findings.push_back({"dxdiag-missing",
                            Severity::Warning,
                            "The log holds no DirectX report",
                            "DxDiag failed or was cancelled, so the graphics card and its driver "
                            "are unknown. Ask the user to save the log again and to wait until "
                            "the DirectX check ends.",
                            {EvidenceAt(log, *dxDiag, dxDiag->headingLine - 1)}});
    }
    if (devices.empty()) return;

    Finding gpu{"gpu", Severity::Info, "", "", {}};
    Finding old{"gpu-driver-old",
                Severity::Warning,
                "A graphics driver is over two years old",
                "Old graphics drivers cause crashes, black wallpapers and high GPU use. Ask the "
                "user to install the latest driver from the graphics card maker's website.",
                {}};
    for (const DisplayDevice& device : devices) {
        const std::string card(TrimStart(*LabelValue(lines[*device.cardName], "Card name")));
        gpu.title += (gpu.title.empty() ? "" : "; ") + card;
        for (const auto& line : {device.cardName, device.driverVersion, device.driverDate}) {
            if (line) gpu.evidence.push_back(EvidenceAt(log, *dxDiag, *line));
        }
        if (!device.driverDate || !reportDate) continue;
        const std::string_view dateLine = lines[*device.driverDate];
        const auto driverDate = ParseDate(dateLine.substr(dateLine.find(':') + 1));
        if (driverDate && *reportDate - *driverDate > kOldDriverDays) {
            old.evidence.push_back(EvidenceAt(log, *dxDiag, *device.cardName));
            old.evidence.push_back(EvidenceAt(log, *dxDiag, *device.driverDate));
        }
    }
    gpu.title = "Graphics: " + gpu.title;
    gpu.advice = "The display devices of the DirectX report, with their drivers.";
    if (!old.evidence.empty()) {
        old.evidence.push_back(EvidenceAt(log, *dxDiag, *reportDateLine));
        findings.push_back(std::move(old));
    }
    findings.push_back(std::move(gpu));
}
