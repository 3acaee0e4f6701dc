#include "collectors/dependency_analysis.h"

#include <vector>

#include <windows.h>
#include <psapi.h>

#include "text/encoding.h"
#include "text/win_handles.h"
#include "text/windows_version.h"

namespace {

// DLL names, probed exactly as written and in this order; a name listed twice, or in two
// letter cases, is probed twice.
using DependencyProbeList = std::vector<const char*>;

const DependencyProbeList kWindows8ProbeList = {
    "ADVAPI32.dll", "apphelp.dll", "AppXDeploymentClient.dll", "atlthunk.dll", "avrt.dll",
    "bcrypt.dll", "clipworks32.dll", "stagelogic32.dll", "bcryptPrimitives.dll",
    "cfgmgr32.dll", "clbcatq.dll", "ColorAdapterClient.dll", "colorcnv.dll", "combase.dll",
    "COMDLG32.dll", "CoreMessaging.dll", "CoreUIComponents.dll", "credui.dll",
    "CRYPT32.dll", "cryptnet.dll", "CRYPTSP.dll", "CRYPTUI.dll", "d3d11.dll", "d3d9.dll",
    "d3dcompiler_43.dll", "d3dcompiler_47.dll", "dataexchange.dll", "dbghelp.dll",
    "dcomp.dll", "DEVOBJ.dll", "directmanipulation.dll", "DNSAPI.dll", "DPAPI.dll",
    "dwmapi.dll", "DWrite.dll", "dxcore.dll", "dxgi.dll", "dxva2.dll", "ESENT.dll",
    "EVR.dll", "fwpuclnt.dll", "GDI32.dll", "gdi32full.dll", "gpapi.dll", "iertutil.dll",
    "imagehlp.dll", "IMM32.dll", "InputHost.dll", "kernel.appcore.dll", "KERNELBASE.dll",
    "ksuser.dll", "MF.dll", "mfh264enc.dll", "mfmp4srcsnk.dll", "mfperfhelper.dll",
    "mfplat.dll", "MMDevApi.dll", "MSASN1.dll", "mscms.dll", "MSCTF.dll", "msdmo.dll",
    "MSIMG32.dll", "msmpeg2vdec.dll", "MSVCP140.dll", "msvcp_win.dll", "msvcrt.dll",
    "msvproc.dll", "MSWSOCK.dll", "ncrypt.dll", "NETAPI32.dll", "NLAapi.dll", "NSI.dll",
    "NTASN1.dll", "ntmarta.dll", "ole32.dll", "OLEACC.dll", "OLEAUT32.dll", "pdh.dll",
    "powrprof.dll", "profapi.dll", "PROPSYS.dll", "rasadhlp.dll", "RPCRT4.dll",
    "rsaenh.dll", "sechost.dll", "Secur32.dll", "SETUPAPI.dll", "shcore.dll",
    "SHELL32.dll", "SHLWAPI.dll", "SspiCli.dll", "TextInputFramework.dll",
    "TextShaping.dll", "twinapi.appcore.dll", "ucrtbase.dll", "UMPDC.dll", "urlmon.dll",
    "USER32.dll", "USERENV.dll", "USP10.dll", "uxtheme.dll", "VCRUNTIME140.dll",
    "VERSION.dll", "win32u.dll", "WindowManagementAPI.dll", "Windows.ApplicationModel.dll",
    "Windows.Media.dll", "windows.storage.dll", "Windows.UI.dll", "WINHTTP.dll",
    "WININET.dll", "WINMM.dll", "WINSTA.dll", "WINTRUST.dll", "wintypes.dll", "Wldp.dll",
    "WS2_32.dll", "WTSAPI32.dll", "COMCTL32.dll", "gdiplus.dll", "assimp-vc140-mt32.dll",
    "chrome_elf.dll", "CUESDK_2017.dll", "FreeImage32.dll", "libcef.dll", "libegl.dll",
    "libglesv2.dll", "assetkit32.dll", "stagelogic32.dll", "steam_api.dll",
};

const DependencyProbeList kOlderWindowsProbeList = {
    "assimp-vc140-mt32.dll", "chrome_elf.dll", "d3dcompiler_43.dll", "d3dcompiler_47.dll",
    "FreeImage32.dll", "libcef.dll", "libegl.dll", "libglesv2.dll", "clipworks32.dll",
    "stagelogic32.dll", "steam_api.dll", "ADVAPI32.dll",
    "api-ms-win-downlevel-advapi32-l1-1-0.dll", "api-ms-win-downlevel-normaliz-l1-1-0.dll",
    "api-ms-win-downlevel-ole32-l1-1-0.dll", "api-ms-win-downlevel-shlwapi-l1-1-0.dll",
    "api-ms-win-downlevel-user32-l1-1-0.dll", "api-ms-win-downlevel-version-l1-1-0.dll",
    "apphelp.dll", "AVRT.dll", "bcrypt.dll", "CFGMGR32.dll", "colorcnv.dll",
    "COMDLG32.dll", "credssp.dll", "credui.dll", "CRYPT32.dll", "CRYPTBASE.dll",
    "CRYPTUI.dll", "d3d11.dll", "d3d8thk.dll", "d3d9.dll", "dbghelp.dll", "DEVOBJ.dll",
    "dwmapi.dll", "DWrite.dll", "dxgi.dll", "dxva2.dll", "ESENT.dll", "EVR.dll",
    "GDI32.dll", "GPAPI.dll", "iertutil.dll", "imagehlp.dll", "IMM32.dll", "kernel32.dll",
    "KERNELBASE.dll", "ksuser.dll", "LPK.dll", "mf.dll", "mfplat.dll", "mfreadwrite.dll",
    "MMDevApi.dll", "MPR.dll", "MSASN1.dll", "mscms.dll", "MSCTF.dll", "msdmo.dll",
    "MSIMG32.dll", "msmpeg2vdec.dll", "msvcrt.dll", "MSWSOCK.dll", "ncrypt.dll",
    "NETAPI32.dll", "netutils.dll", "NLAapi.dll", "NSI.dll", "ntmarta.dll", "ole32.dll",
    "OLEACC.dll", "OLEAUT32.dll", "pdh.dll", "POWRPROF.dll", "profapi.dll", "PROPSYS.dll",
    "RPCRT4.dll", "SAMLIB.dll", "sechost.dll", "Secur32.dll", "SETUPAPI.dll",
    "SHELL32.dll", "SHLWAPI.dll", "slc.dll", "srvcli.dll", "SspiCli.dll", "urlmon.dll",
    "USER32.dll", "USERENV.dll", "USP10.dll", "uxtheme.dll", "VERSION.dll", "webio.dll",
    "wevtapi.dll", "WINHTTP.dll", "WININET.dll", "WINMM.dll", "WINSTA.dll", "WINTRUST.dll",
    "wkscli.dll", "WLDAP32.dll", "Wpc.dll", "WS2_32.dll", "wshtcpip.dll", "WTSAPI32.dll",
    "COMCTL32.dll", "comctl32.dll", "gdiplus.dll",
};

// States the bitness of the process that probed, because that decides what can load.
#ifdef _WIN64
constexpr wchar_t kReportHeader[] = L"deps errors x64:\n";
#else
constexpr wchar_t kReportHeader[] = L"deps errors x86:\n";
#endif

}  // namespace

void AnalyzeDependencies(std::wostream& report) {
    report << kReportHeader;
    const DependencyProbeList& names =
        IsWindowsVersionAtLeast(6, 2, 0) ? kWindows8ProbeList : kOlderWindowsProbeList;
    for (const char* name : names) {
        // Restores the default search order, in case anything in the process changed it.
        SetDllDirectoryW(nullptr);
        // A library that fails to load must not stop the probe with a system error box.
        DWORD previousMode = 0;
        SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
        const UniqueLibrary library{LoadLibraryA(name)};
        SetThreadErrorMode(previousMode, nullptr);

        const bool loaded = library != nullptr;
        MODULEINFO info = {};
        const bool sound = loaded &&
                           GetModuleInformation(GetCurrentProcess(), library.get(), &info,
                                                sizeof info) &&
                           info.lpBaseOfDll && info.SizeOfImage;
        if (!sound) {
            report << L"Error module: " << Utf8ToWide(name) << L", loaded: " << (loaded ? 1 : 0)
                   << L"\n";
        }
    }
}
