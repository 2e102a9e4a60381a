#pragma once
// The launcher's one way to read a JSON text: the reader's default features
// (comments allowed, any value at the root) behind the guard against texts
// nested deeper than the reader accepts.
#include <json/json.h>

#include <string>

// False when `text` is not JSON the launcher can read.
bool ParseJsonText(const std::string& text, Json::Value& root);
