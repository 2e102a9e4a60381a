#pragma once
// The launch parameters of one launcher run.  The main window holds one
// record: the command text and the values read from it, plus the game code,
// folders and executable path that the window derives while it initialises.
#include <string>

#include "GameLoader/CommandText.h"

struct LaunchParams {
    std::wstring cmdJson;  // m_strCmdJson: the command text of ParseCmdParam

    // Read from the command text by ParseCmdJson.
    std::wstring winid;          // the platform client's window handle, decimal
    std::wstring source;         // who started the launcher; "KV" is the platform client
    std::wstring tokenLogin;     // "1": start the game at once, without the page
    std::wstring token;          // the player's login token
    std::wstring kvext;          // extra platform data for the page and the game
    int installed = 0;           // m_nGameInstalled: 1 when the game counts as installed
    std::wstring gameMgrId;      // the game-manager window to notify, decimal
    std::wstring typeMode;       // "1": notify the game-manager window at start
    std::wstring instGamePath;   // install root chosen by the platform client
    std::wstring cacheGamePath;  // cache folder given by the platform client

    // Derived by the main window.
    std::wstring gameCode;         // "zelk"
    std::wstring programFilesX86;  // the 32-bit program files folder
    std::wstring gameDir;          // instGamePath or programFilesX86, then "\" + gameCode
    std::wstring bagFileParam;     // "FileParam" of the uninstall entry
    std::wstring gameExePath;      // full path of the game executable
};

struct CmdJsonReading {
    bool parsed = false;       // false: the text is not JSON and nothing was stored
    bool winidStored = false;  // the text carried "winid" as a string
};

// Reads the string members of the command text (already narrowed with the
// ANSI code page) into `params`, in the order of the switch table.  Members
// that are not strings are ignored; a root that is not an object stores
// nothing.  `toWide` widens values with the ANSI code page.
CmdJsonReading ReadCmdJson(const std::string& narrowText, LaunchParams& params, const ToWideText& toWide);
