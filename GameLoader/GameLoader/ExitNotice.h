#pragma once
// The exit notice: the command text the launcher is started with once the
// game has ended, so that it tells the platform client and ends at once.
#include <cstdint>
#include <string>

struct ExitNotice {
    bool parsed = false;    // the text was read as JSON
    bool isNotice = false;  // "type" is the integer 1, or the text is a literal form
    std::int32_t gameId = 0;
};

// Classifies the command text (narrowed with the ANSI code page).  JSON whose
// root member "type" is the integer 1 (a number with an integral value in
// the int32 range; the string "1" does not count) is a notice, with
// "game_id" by the same rule, else 0.  Text that is not JSON is a notice
// only when it is exactly "type:1" or "{type:1}", with game id 0.  JSON
// whose root has no members (an array, a number) is no notice.
ExitNotice ReadExitNotice(const std::string& narrowText);
