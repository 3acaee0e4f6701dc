#include "text/json.h"

#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

const Json::CharReaderBuilder& ReaderBuilder() {
    thread_local const Json::CharReaderBuilder builder = [] {
        Json::CharReaderBuilder b;
        b.settings_["collectComments"] = false;
        return b;
    }();
    return builder;
}

const Json::StreamWriterBuilder& WriterBuilder() {
    thread_local const Json::StreamWriterBuilder builder = [] {
        Json::StreamWriterBuilder b;
        b.settings_["commentStyle"] = "None";
        b.settings_["indentation"] = "\t";
        b.settings_["emitUTF8"] = true;
        b.settings_["precision"] = 8;
        return b;
    }();
    return builder;
}

}  // namespace

bool ParseJson(const std::string& text, Json::Value& value, std::string& errors) {
    errors.clear();
    const std::unique_ptr<Json::CharReader> reader(ReaderBuilder().newCharReader());
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors)) return false;
    } catch (const std::exception& e) {
        // JsonCpp throws instead of reporting when a document nests too deeply.
        errors = e.what();
        return false;
    }
    if (!value.isObject() && !value.isArray()) {
        errors.clear();
        return false;
    }
    return true;
}

std::string JsonToText(const Json::Value& value) {
    const std::unique_ptr<Json::StreamWriter> writer(WriterBuilder().newStreamWriter());
    std::ostringstream stream;
    writer->write(value, &stream);
    return stream.str();
}
