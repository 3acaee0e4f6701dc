#pragma once
// Reading and writing JSON documents with JsonCpp.
#include <string>

#include <json/json.h>

// True only when the text parses and its top level is an object or an array. On a
// syntax error, errors holds the parser's formatted messages; a scalar document gives
// false with empty errors.
bool ParseJson(const std::string& text, Json::Value& value, std::string& errors);

// Tab-indented text, raw UTF-8, floating-point numbers with 8 significant digits.
std::string JsonToText(const Json::Value& value);
