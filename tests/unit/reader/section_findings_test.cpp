// Sections that Wine cannot produce, from hand-made files and lines put into the saved log.
#include <gtest/gtest.h>

#include "reader/diagnosis.h"
#include "reader_logs.h"

namespace {

const std::string kEquals(60, '=');

// The saved log with the DirectX part replaced by the given text after the last log file.
std::string WithDxDiag(const std::string& part) {
    const std::string log = SavedLog();
    return log.substr(0, log.find("DxDiag results:\r\n")) + part + "\r\n\r\n";
}

std::vector<std::string> EvidenceTexts(const Finding& finding) {
    std::vector<std::string> texts;
    for (const Evidence& evidence : finding.evidence) texts.push_back(evidence.text);
    return texts;
}

}  // namespace

TEST(DxDiagSection, NamesEachDisplayDeviceAndTheOldDrivers) {
    const std::string report = ReadLogFile("dxdiag_display_devices.txt");
    const Diagnosis diagnosis =
        Diagnose(WithDxDiag("DxDiag results:\r\n" + kEquals + "\r\n" + report));
    EXPECT_TRUE(diagnosis.complete);
    const Finding gpu = FindingOf(diagnosis, "gpu");
    EXPECT_EQ(gpu.severity, Severity::Info);
    EXPECT_EQ(gpu.title,
              "Graphics: Intel(R) UHD Graphics 630; NVIDIA GeForce RTX 3060; "
              "Microsoft Basic Display Adapter");
    EXPECT_EQ(gpu.evidence.size(), 9u);
    EXPECT_EQ(gpu.evidence[2].text,
              "         Driver Date/Size: 2/1/2021 1:00:00 AM, 1021384 bytes");
    EXPECT_EQ(gpu.evidence[2].section, "DxDiag");
    // Over two years before the report: the Intel and the basic adapter's, not the
    // NVIDIA's, and never the sound device's.
    const Finding old = FindingOf(diagnosis, "gpu-driver-old");
    EXPECT_EQ(
        EvidenceTexts(old),
        (std::vector<std::string>{"           Card name: Intel(R) UHD Graphics 630",
                                  "         Driver Date/Size: 2/1/2021 1:00:00 AM, 1021384 bytes",
                                  "           Card name: Microsoft Basic Display Adapter",
                                  "         Driver Date/Size: 6/21/2006 1:00:00 AM, 82432 bytes",
                                  "      Time of this report: 3/14/2025, 09:12:45"}));
    EXPECT_EQ(Ids(diagnosis).count("dxdiag-missing"), 0u);
}

TEST(DxDiagSection, ReadsTheDateFormatsOfOtherRegions) {
    struct Case {
        const char* report;
        const char* driver;
        bool old;
    };
    const Case cases[] = {
        {"14.03.2025, 09:12:45", "01.02.2023 01:00:00", true},
        {"14.03.2025, 09:12:45", "01.04.2023 01:00:00", false},
        {"2025-03-14 09:12:45", "2023-03-13 01:00:00", true},
        {"2025-03-14 09:12:45", "2023-03-15 01:00:00", false},
        {"3/14/2025, 09:12:45", "13/45/2009", false},  // no date: not judged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.driver);
        const std::string report =
            "-------------------\r\nSystem Information\r\n-------------------\r\n"
            "Time of this report: " +
            std::string(c.report) +
            "\r\n\r\n---------------\r\nDisplay Devices\r\n---------------\r\n"
            "   Card name: Radeon RX 580\r\n   Driver Date/Size: " +
            c.driver + ", 1 bytes\r\n";
        const Diagnosis diagnosis =
            Diagnose(WithDxDiag("DxDiag results:\r\n" + kEquals + "\r\n" + report));
        EXPECT_EQ(Ids(diagnosis).count("gpu-driver-old"), c.old ? 1u : 0u);
        EXPECT_EQ(Ids(diagnosis).count("gpu"), 1u);
    }
}

TEST(DxDiagSection, AFailureLineOrAnEmptyReportIsMissing) {
    const std::string lines[] = {
        "DxDiag no file path.",
        "DxDiag.exe not found at C:\\windows\\system32\\dxdiag.exe",
        "DxDiag error, temporary file cannot be access.",
        "DxDiag was canceled!\r\n" + kEquals + "\r\nDxDiag error, temporary file cannot be access.",
        "DxDiag results:\r\n" + kEquals + "\r\n",
    };
    for (const std::string& line : lines) {
        const Diagnosis diagnosis = Diagnose(WithDxDiag(line));
        EXPECT_TRUE(diagnosis.complete) << line;
        const Finding missing = FindingOf(diagnosis, "dxdiag-missing");
        ASSERT_EQ(missing.evidence.size(), 1u) << line;
        EXPECT_EQ(missing.evidence[0].text, line.substr(0, line.find('\r'))) << line;
    }
}

TEST(DesktopSection, FindsProgmanAndWorkerW) {
    struct Case {
        const char* file;
        const char* id;
    };
    const Case cases[] = {
        {"desktop_with_workerw.txt", nullptr},
        {"desktop_workerw_in_progman.txt", nullptr},  // as Windows 11 24H2 nests it
        {"desktop_without_workerw.txt", "desktop-no-workerw"},
        {"desktop_progman_only_in_a_title.txt", "desktop-no-progman"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string body = ReadLogFile(c.file);
        const Diagnosis diagnosis =
            Diagnose(WithSectionBody(SavedLog(), "Desktop window state", body));
        const std::set<std::string> ids = Ids(diagnosis);
        const std::string expected = c.id ? c.id : "";
        EXPECT_EQ(ids.count("desktop-no-workerw"), expected == "desktop-no-workerw" ? 1u : 0u);
        EXPECT_EQ(ids.count("desktop-no-progman"), expected == "desktop-no-progman" ? 1u : 0u);
        if (c.id) {
            const Finding finding = FindingOf(diagnosis, c.id);
            EXPECT_EQ(finding.severity, Severity::Problem);
            ASSERT_FALSE(finding.evidence.empty());
            EXPECT_EQ(finding.evidence[0].section, "Desktop window state");
        }
    }
    // The saved log's own section is empty: Wine's desktop has no Progman.
    EXPECT_EQ(FindingOf(Diagnose(SavedLog()), "desktop-no-progman").evidence[0].text,
              "Desktop window state");
}

TEST(DependencySection, GroupsFailingLibrariesByWhatTheyMean) {
    const std::string body =
        "deps errors x86:\r\n"
        "Error module: clipworks32.dll, loaded: 0\r\n"
        "Error module: MSVCP140.dll, loaded: 0\r\n"
        "Error module: VCRUNTIME140.dll, loaded: 1\r\n"
        "Error module: MF.dll, loaded: 0\r\n"
        "Error module: msmpeg2vdec.dll, loaded: 0\r\n"
        "Error module: d3dcompiler_47.dll, loaded: 0\r\n"
        "Error module: libcef.dll, loaded: 0\r\n"
        "Error module: dcomp.dll, loaded: 0\r\n";
    const Diagnosis diagnosis =
        Diagnose(WithSectionBody(SavedLog(), "Dependency error analysis", body));
    struct Case {
        const char* id;
        std::vector<std::string> libraries;
    };
    const Case cases[] = {
        {"deps-own", {"clipworks32.dll"}},
        {"deps-vc-runtime", {"MSVCP140.dll", "VCRUNTIME140.dll"}},
        {"deps-media-foundation", {"MF.dll", "msmpeg2vdec.dll"}},
        {"deps-d3dcompiler", {"d3dcompiler_47.dll"}},
        {"deps-web-engine", {"libcef.dll"}},
        {"deps-system", {"dcomp.dll"}},
    };
    for (const Case& c : cases) {
        const Finding finding = FindingOf(diagnosis, c.id);
        std::vector<std::string> libraries;
        for (const std::string& text : EvidenceTexts(finding)) {
            libraries.push_back(text.substr(14, text.find(',') - 14));
        }
        EXPECT_EQ(libraries, c.libraries) << c.id;
    }
    EXPECT_EQ(Ids(diagnosis).count("deps-not-run"), 0u);
}

TEST(DependencySection, AProbeThatDidNotRunIsNamed) {
    const std::string lines[] = {
        "Could not start C:\\Vistora\\tools\\sysprobe32.exe, error 2",
        "C:\\Vistora\\tools\\sysprobe32.exe did not finish within 30 seconds",
        "C:\\Vistora\\tools\\sysprobe32.exe wrote no sysprobeloader32.txt",
        "C:\\Vistora\\tools\\sysprobe32.exe wrote an unusable sysprobeloader32.txt",
        "C:\\Vistora\\tools\\sysprobe32.exe did not finish before the save was cancelled",
        "C:\\Vistora\\tools\\sysprobe64.exe wrote no sysprobeloader64.txt",
        "C:\\Vistora\\tools\\sysprobe32.exe left a crash dump, moved to "
        "C:\\Vistora\\tools\\sysprobe32_2_8_42V_2026-12-11T14_03_09Z.mdmp",
        "No temporary folder for C:\\Vistora\\tools\\sysprobe32.exe",
    };
    for (const std::string& line : lines) {
        const Diagnosis diagnosis = Diagnose(WithSectionBody(
            SavedLog(), "Dependency error analysis", line + "\r\ndeps errors x64:\r\n"));
        EXPECT_EQ(EvidenceTexts(FindingOf(diagnosis, "deps-not-run")),
                  std::vector<std::string>{line});
        EXPECT_EQ(Ids(diagnosis).count("deps-system"), 0u);
    }
}

TEST(StateSections, ReadTheirLines) {
    struct Case {
        const char* heading;
        std::string body;
        const char* id;  // expected, or null for none of `absent`
        const char* absent;
        Severity severity;
        const char* evidence;  // the first evidence line
    };
    const Case cases[] = {
        {"Status",
         "vistora32.exe Not running\r\nvistora64.exe Not running\r\nexplorer.exe Found\r\n",
         "vistora-not-running", nullptr, Severity::Warning, "vistora32.exe Not running"},
        {"Status", "vistora32.exe Found\r\nvistora64.exe Not running\r\n", nullptr,
         "vistora-not-running", Severity::Info, nullptr},
        {"Firewall status",
         "Has firewall access: 1\r\nFirewall read result: 0, \r\nInterfering rules:\r\n"
         "Block Vistora (rule): C:\\Vistora\\bin\\vistoraui.exe - In - TCP / * mask: 7\r\n",
         "firewall-interfering", "firewall-no-access", Severity::Warning,
         "Block Vistora (rule): C:\\Vistora\\bin\\vistoraui.exe - In - TCP / * mask: 7"},
        {"Windows settings",
         "client animation enabled: 1 (check status: 1)\r\n"
         "high contrast enabled: 1, theme: High Contrast #1 (check status: 1)\r\n",
         "high-contrast", nullptr, Severity::Warning,
         "high contrast enabled: 1, theme: High Contrast #1 (check status: 1)"},
        {"Windows settings", "high contrast enabled: 0, theme: unknown (check status: 1)\r\n",
         nullptr, "high-contrast", Severity::Info, nullptr},
        {"Windows version info",
         "ProductName: Windows 10 Pro\r\nCurrentBuild: 22631\r\nDisplayVersion: 23H2\r\n",
         "windows-version", nullptr, Severity::Info, "ProductName: Windows 10 Pro"},
        {"Windows version info",
         "CurrentVersion: 6.3\r\nCurrentBuild: 9600\r\nProductName: Windows 8.1\r\n",
         "windows-version", nullptr, Severity::Warning, "ProductName: Windows 8.1"},
        {"Steam info", "Version: 9.1.0.0\r\n.exe days old: 59\r\n", nullptr, "steam-outdated",
         Severity::Info, nullptr},
        {"Steam info", "Version: 9.1.0.0\r\n.exe days old: 60\r\n", "steam-outdated", nullptr,
         Severity::Warning, ".exe days old: 60"},
        {"Config info", "< Error parsing config: * Line 1, Column 1\r\n  Syntax error >\r\n",
         "config-unreadable", nullptr, Severity::Warning,
         "< Error parsing config: * Line 1, Column 1"},
        {"Config info", "User Jörg\r\n\tGeneral\r\n", nullptr, "config-unreadable", Severity::Info,
         nullptr},
        {"Detected Applications", "Missing info for key acmehook\r\n\r\n", "conflict:acmehook",
         nullptr, Severity::Problem, "Missing info for key acmehook"},
        {"Detected Applications",
         "Detected BitDefender\r\nModules:\r\nC:\\Program Files\\Bitdefender\\atcuf64.dll\r\n\r\n",
         "conflict:bitdefenderact", "conflict:bitdefender", Severity::Problem,
         "Detected BitDefender"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const Diagnosis diagnosis = Diagnose(WithSectionBody(SavedLog(), c.heading, c.body));
        if (c.absent) {
            EXPECT_EQ(Ids(diagnosis).count(c.absent), 0u);
        }
        if (!c.id) continue;
        const Finding finding = FindingOf(diagnosis, c.id);
        EXPECT_EQ(finding.severity, c.severity);
        ASSERT_FALSE(finding.evidence.empty());
        EXPECT_EQ(finding.evidence[0].text, c.evidence);
        EXPECT_EQ(finding.evidence[0].section, c.heading);
    }
    EXPECT_EQ(
        FindingOf(
            Diagnose(WithSectionBody(
                SavedLog(), "Windows version info",
                "ProductName: Windows 10 Pro\r\nCurrentBuild: 22631\r\nDisplayVersion: 23H2\r\n")),
            "windows-version")
            .title,
        "Windows 11 Pro 23H2, build 22631");
}
