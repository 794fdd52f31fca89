#pragma once
// A message for the user as the core decides it: a string-table text and the
// icon of its box. The front end shows it; tests compare it.

namespace mr420 {

enum class MessageIcon { None, Information, Exclamation, Stop };

struct UserMessage {
    int stringId = 0;   // 0 = no message
    MessageIcon icon = MessageIcon::None;
    explicit operator bool() const { return stringId != 0; }
    bool operator==(const UserMessage&) const = default;
};

}  // namespace mr420
