#pragma once
// How the tool is meant to read a JSON document, written out with JsonCpp's own reader so
// that the tests' expectations do not come from the tool's reading code: the library's
// default settings, the library's formatted messages on a syntax error, and a top level
// that is neither object nor array refused with no message.
#include <exception>
#include <memory>
#include <string>

#include <json/json.h>

inline bool ReferenceParseJson(const std::string& text, Json::Value& root, std::string& errors) {
    errors.clear();
    const std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return false;
    } catch (const std::exception& e) {  // the library throws when a document nests too deeply
        errors = e.what();
        return false;
    }
    if (root.isObject() || root.isArray()) return true;
    errors.clear();
    return false;
}
