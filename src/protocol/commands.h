#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace protocol {

// Configuration commands of the main window, as text without the closing CR. Every command
// goes to the sign as one write of its Latin-1 bytes followed by a single CR (see wireBytes).

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

// The bytes of a command on the wire: each character as one Latin-1 byte, then one CR.
// Empty when the text holds a character the sign's single-byte code cannot carry.
std::optional<QByteArray> wireBytes(const QString &command);

// The first character of `text` beyond Latin-1, if any, as a whole character (a surrogate pair
// stays together), for telling the operator which one the sign cannot take.
std::optional<QString> firstUnsendableChar(const QString &text);

} // namespace protocol
