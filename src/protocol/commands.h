#pragma once

#include <QString>

#include <optional>

namespace protocol {

// Configuration commands of the main window, as text without the closing CR. Every command
// goes to the sign as one write of its Latin-1 bytes followed by a single CR.

// List positions of one priority row; -1 means nothing selected and is sent as "-1".
struct PriorityCodes {
    int font = -1, style = -1, color = -1, speed = -1, alignment = -1, pause = -1, beep = -1;
};

// "<DF pr=N f=F c=C s=S a=A sp=SP p=P b=B t=T>" with the timeout text as typed.
QString priorityDefaultsCommand(int priority, const PriorityCodes &codes, const QString &timeoutText);
QString idModeCommand(bool autoId);          // "<id=auto>" or "<id=user>"
QString userCommand(const QString &text);    // "<UC>" followed by the text as typed
QString linkCommand(int id, const QString &capcode, int priority);  // "<link id=I cap=K pr=R>"
QString removeLinkCommand(int id);           // "<link id=I cap=0>"

QString forceId0OnCommand();        // "<FORCE id=0>"
QString forceIdOffCommand();        // "<FORCE_ID_OFF>"
QString factoryDefaultsCommand();   // "<FD>"
QString readConfigurationCommand(); // "DOWNLOAD_ALL"

// The first character of `text` beyond Latin-1, if any, as a whole character (a surrogate pair
// stays together), for telling the operator which one the sign cannot take.
std::optional<QString> firstUnsendableChar(const QString &text);

// The longest command the sign takes: its input buffer holds 1024 bytes, the command's
// characters and the CR that ends it. A longer one reaches the sign cut short, or not at all.
inline constexpr qsizetype MaxCommandLength = 1023;

// The length of the longest command in `text`: the longest run of characters between carriage
// returns (a command edited by hand may hold several). Every other character counts, a line feed
// included, since it takes room in the sign's buffer too.
qsizetype longestCommandLength(QStringView text);

// Why `command` (without its closing CR) cannot go to the sign, as a sentence to show the
// operator: it holds a character beyond Latin-1, or it is longer than MaxCommandLength. Nothing
// when it can be sent. Every window refuses a command through this, before opening the port.
std::optional<QString> whyUnsendable(const QString &command);
// "The sign cannot show the character "é"; remove it and try again."
QString cannotShowText(const QString &character);

} // namespace protocol
