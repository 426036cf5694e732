#pragma once
// The framework's edit masks, for edits that run without the desktop
// toolkit (the scenario runner, tests). A mask is
// "<picture>;<save literals>;<blank>", for example ">aaaa;0; ",
// "999;0; ", "99:99:99;1; ", "!99/99/9999;1;_" or
// "!99/99/9999 !90:00:00;1; ".
//
// Picture characters:
//   '0' digit, required       '9' digit, optional    '#' digit, '+' or '-'
//   'L' letter, required      'l' letter, optional
//   'A' letter or digit, req. 'a' letter or digit, optional
//   'C' any character, req.   'c' any character, optional
//   '>' upper-cases the slots that follow, '<' lower-cases them, "<>" ends
//   case conversion; '\' makes the next character a literal; '!' puts the
//   blanks of a slot run the user ended early in front (" 1/ 2/2024"
//   rather than "1 /2 /2024"); every other character (':', '/', '.', '-',
//   ' ') is a literal shown as it is.
// Save literals: '0' stores the slot characters only; any other value stores
// the text with its literals. Blank: the character shown in unfilled slots.
// Missing parts default to saving literals with '_' as blank. The empty mask
// means no mask: text passes through unchanged.
//
// Letters are ASCII letters; other characters (including multi-byte UTF-8)
// fit only 'C'/'c' slots if ASCII, and never otherwise. All functions are
// pure and thread-safe.

#include <string>
#include <string_view>

namespace platform {

// The edit's display text for a typed text or a stored value. Characters are
// taken left to right: one that fits the next slot fills it (case-converted),
// a blank or the mask's blank character leaves the slot unfilled, a literal
// where the picture has that literal is consumed, and anything else is
// dropped, as the desktop edit refuses such a keystroke. Typing the literal
// that follows a run of slots ends that run early ("1/2/2024" fills the day
// and month runs with one digit each). Unfilled slots show the blank
// character; text beyond the picture is dropped.
std::string ApplyMask(std::string_view mask, std::string_view text);

// The stored value for a display or typed text: "" when the text fills no
// slot; otherwise, saving literals, the masked text with unfilled slots as
// spaces, or, without literals, the slot characters only; trailing blanks
// (and, without literals, leading blanks) are dropped. StripMask(">aaaa;0; ",
// "ab") == "AB"; StripMask("99:99:99;1; ", "123000") == "12:30:00".
std::string StripMask(std::string_view mask, std::string_view text);

// True when the text, put through the mask, fills no slot (only literals and
// blanks), as an untouched masked edit shows "  /  /    ".
bool MaskIsBlank(std::string_view mask, std::string_view text);

}  // namespace platform
