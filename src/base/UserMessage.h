#pragma once
// A message for the user as the core decides it: a string-table text, the
// icon of its box and, for a text that names a character, that character
// (in place of its "%s"; messageText() in base/StringTable.h). The front
// end shows it; tests compare it.

namespace mr420 {

enum class MessageIcon { None, Information, Exclamation, Stop };

struct UserMessage {
    int stringId = 0;   // 0 = no message
    MessageIcon icon = MessageIcon::None;
    char32_t character = 0;   // 0 = the text names none
    explicit operator bool() const { return stringId != 0; }
    bool operator==(const UserMessage&) const = default;
};

}  // namespace mr420
