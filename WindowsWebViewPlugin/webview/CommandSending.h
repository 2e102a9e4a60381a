#pragma once
// The two ways of handing a command to the bridge.
#include <string>

#include <rapidjson/document.h>

// The compact text of a command; empty (after logging why) when it holds a
// number that JSON cannot carry.  The senders drop an empty text.
std::string serializeCommand(const rapidjson::Document& command);
// Dropped while no browser process runs.
void sendCommand(const rapidjson::Document& command);
// Starts the browser process when none runs.
void sendCommandStartingBrowser(const rapidjson::Document& command);
