#pragma once
// The launcher's one way of reading a JSON text: the reader's default
// features (comments allowed, any value at the root) and no exception out.
#include <json/json.h>

#include <string>

// False when `text` is not JSON, also when it nests values beyond the
// reader's depth limit: the reader throws for those rather than failing,
// and for the launcher such a text is simply not JSON it can read.
bool ParseLauncherJson(const std::string& text, Json::Value& root);
