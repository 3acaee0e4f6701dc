#include "collectors/product_config.h"

#include <optional>
#include <string>

#include "collectors/product_version.h"
#include "text/control_characters.h"
#include "text/json.h"
#include "text/paths.h"
#include "text/split_lines.h"
#include "text/text_file.h"

namespace {

// Virtual-desktop configurations are numbered from 0; only the first 99 are printed.
constexpr int kVirtualDesktopConfigCount = 99;

void WriteBlock(std::string& out, const std::string& heading, const Json::Value& value) {
    out += heading;
    for (const std::string& line : SplitLines(JsonToText(value))) {
        out += "\t\t";
        out += line;
        out += '\n';
    }
}

void WriteProfile(std::string& out, const std::string& name, const Json::Value& profile) {
    out += "User " + EscapeControlCharacters(name) + "\n";

    // Copies of what is changed for printing, so that nothing changed reaches the document;
    // the rest is read in place, as a profile can hold megabytes of wallpaper settings.
    const Json::Value& general = profile["general"];
    const auto generalPart = [&](const char* key) -> const Json::Value& {
        return general.isObject() ? general[key] : Json::Value::nullSingleton();
    };
    Json::Value user = generalPart("user");
    const Json::Value& shared = generalPart("shared");
    Json::Value wallpapers = generalPart("wallpaperconfig");
    Json::Value screensaverWallpapers = generalPart("wallpaperconfigscreensaver");
    const Json::Value& virtualDesktops = profile["virtualdesktops"];

    if (user.isObject()) {
        // The tool's own version stands in for whatever the file says.
        user["v"] = kProductVersion;
        user["vd"] = kProductBuildTime;
        WriteBlock(out, "\tGeneral\n", user);
    }
    if (shared.isObject()) WriteBlock(out, "\tShared\n", shared);
    if (wallpapers.isObject()) {
        wallpapers.removeMember("profile");
        WriteBlock(out, "\tWallpapers\n", wallpapers);
    }
    if (screensaverWallpapers.isObject()) {
        screensaverWallpapers.removeMember("profile");
        WriteBlock(out, "\tWallpapers for screensaver\n", screensaverWallpapers);
    }
    if (virtualDesktops.isObject()) WriteBlock(out, "\tVDesktop associations\n", virtualDesktops);
    if (general.isObject()) {
        for (int i = 0; i < kVirtualDesktopConfigCount; ++i) {
            const std::string key = "wallpaperconfigvd" + std::to_string(i);
            const Json::Value* config = general.find(key.data(), key.data() + key.size());
            if (config && config->isObject()) {
                WriteBlock(out, "\tVDesktop config " + key + "\n", *config);
            }
        }
    }
}

}  // namespace

std::string FormatProductConfig(const Json::Value& root) {
    std::string out;
    if (!root.isObject()) return out;
    for (const std::string& name : root.getMemberNames()) {
        const Json::Value& profile = root[name];
        if (profile.isObject()) WriteProfile(out, name, profile);
    }
    return out;
}

std::string DumpProductConfig() {
    // Without the current directory there is no folder to find the file in.
    const std::optional<std::filesystem::path> directory = KnownProductDirectory();
    if (!directory) return "< Config file missing >";
    std::filesystem::path path = *directory;
    AppendPath(path, std::string("config.json"));
    if (!IsRegularFile(path)) return "< Config file missing >";
    const std::string text = ReadTextFile(path);
    if (text.empty()) return "< Config file empty >";
    Json::Value root;
    std::string errors;
    if (!ParseJson(text, root, errors)) return "< Error parsing config: " + errors + " >";
    return FormatProductConfig(root);
}
