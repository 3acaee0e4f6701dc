#pragma once
// The "Config info" section: the parts of each user profile in Vistora's "config.json"
// that support asks about, printed as indented JSON.
#include <string>

#include <json/json.h>

// Reads "config.json" from the product folder and formats it; a missing, empty or broken
// file gives a one-line placeholder. UTF-8.
std::string DumpProductConfig();

// The dump of an already parsed document (object or array).
std::string FormatProductConfig(const Json::Value& root);
