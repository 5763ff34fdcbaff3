#pragma once

#include "protocol/commands.h"
#include "protocol/defaultmessage.h"

#include <QChar>
#include <QList>
#include <QString>

#include <optional>

namespace protocol {

// The test message: a rich-text composition whose font and colour may change inside the text.
// The window reads its editor into one ComposedChar per character, hands them over with the
// positions of its attribute lists, and gets back the command to send. Font and colour changes
// travel in the text as "$F" and "$C" followed by the letter A + list position.

// A screen colour, as the editor reports a character's colour.
struct Rgb {
    int red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

// The editor attributes of a character that make up its sign font.
struct EditorFont {
    QString typeface;       // compared exactly, letter case included
    double pointSize = 0;
    bool bold = false;
    bool accent = false;    // the editor's second on/off style (shown as italic)
    friend bool operator==(const EditorFont &, const EditorFont &) = default;
};

// One character of the editor text with its attributes, in text order.
// A line break may come as '\n', as U+2029 (paragraph separator) or as U+2028 (line separator);
// all three go out as a line break. A '\r' is dropped. A character beyond U+FFFF comes as its
// two UTF-16 halves, each with the character's attributes.
struct ComposedChar {
    QChar character;
    EditorFont font;
    Rgb color;
};

enum class EditorAlignment { Left, Right, Center };

// ---- The lookups behind the font, colour and alignment lists ----

// The editor attributes a font list position (0 to 24) stands for; empty for other positions,
// which leave the editor unchanged.
std::optional<EditorFont> fontAttributes(int position);

// The font list position whose code the encoder writes for these attributes. This is not the
// reverse of fontAttributes(): some sizes ignore bold or accent (Arial 11 is always position 9),
// and Times New Roman 11 with accent alone, any other size and any other typeface have none.
std::optional<int> fontPositionFor(const EditorFont &font);

// The preview colour of a colour list position (0 to 12); empty for other positions, which
// leave the editor's colour unchanged.
std::optional<Rgb> previewColor(int position);

// The first colour list position whose preview colour is `color` (so grey is always 9);
// empty for a colour that no position previews.
std::optional<int> colorPositionFor(Rgb color);

// The paragraph alignment of an alignment list position: 0 left, 1 right, 2 centre. Empty for
// other positions, which leave the editor unchanged.
std::optional<EditorAlignment> editorAlignment(int position);

// ---- The encoder, step by step ----

// The text with its in-text codes. A non-space character gets the font code of its attributes
// where they differ from the previous non-space character's (always at the first one), and a
// colour code where its colour differs from the colour in effect on the sign. Spaces carry
// neither: they show no colour. The colour in effect starts as `startColor` (the colour the
// command's c= sets); without one, the first non-space character's colour is taken as it.
QString composeText(const QList<ComposedChar> &chars, std::optional<Rgb> startColor);

// "<id=I f=F s=S c=C a=A b=B p=P sp=SP t=T>" followed by `text`, every part as given: the
// timeout and the text unchecked, positions in decimal with -1 for nothing selected.
QString testMessageCommand(int messageId, const PriorityCodes &lists, const QString &timeoutText,
                           const QString &text);

// The sign's form of a command's text: each bracketed time token ("<hh:mm:ss>" ... "<mm'dd'yy>")
// becomes "$T0" ... "$T7", each line feed "$L", each carriage return is dropped (case-sensitive,
// in that order), and one "$L" at the very end is removed.
QString encodeTimeTokensAndLineBreaks(QString command);

// ---- The whole encoder ----

struct EncodedTestMessage {
    // The command without its closing CR, as the window shows it and (with a CR) sends it.
    QString command;
    // When the text began with a font code, that code went into " f=" instead: the window
    // selects this position in its font list. Empty when the list's own position was sent.
    std::optional<int> leadingFontPosition;
    // The first character of the command the sign's single-byte code cannot carry. While it is
    // set, nothing may be sent: the window names the character instead.
    std::optional<QString> unsendable;
};

// Runs the whole encoder over the editor's characters: composeText() starting from the preview
// colour of the colour list's position, the leading font code moved into " f=",
// testMessageCommand(), encodeTimeTokensAndLineBreaks(), and the check for unsendable characters.
// `lists` holds the positions of the window's font, style, colour, alignment, beep, pause and
// speed lists; `messageId` is the position of the message ID list.
EncodedTestMessage encodeTestMessage(const QList<ComposedChar> &chars, int messageId,
                                     const PriorityCodes &lists, const QString &timeoutText);

// ---- Replies ----

// What the test-message window does with one reply line.
struct TestMessageReply {
    enum class Kind {
        Nothing,     // empty, a line holding "SET TIME", or anything not understood
        Refused,     // "error": the sign did not carry out the command; the window says nothing
        ShowStatus,  // show `status` and start its clearing timer
        Dump,        // select the positions of `dump` and show its text
    };
    Kind kind = Kind::Nothing;
    QString status;
    DefaultMessageDump dump;
    friend bool operator==(const TestMessageReply &, const TestMessageReply &) = default;
};

// Classifies a reply line (without its line feed) by the sign's answer in it: an echoed command
// in front and the CR of a CR LF line end are taken off first (signsAnswer). The first match
// decides: empty; contains "done" in any case (status "Upload Successfull"); "error" in
// any case; holds ":" and not "SET TIME" in any case: the default-message dump. This window
// reads the dump's six numbers less 64, 65, 65, 48, 49, 48 whatever the model, and takes a dump
// without its text (fewer than nine fields) as nothing.
//
// `awaitingDump`: the read request waits for its answer. A line with the whole form of a dump
// (hasDefaultMessageDumpForm) is then the dump, even when its message holds "done".
TestMessageReply interpretTestMessageReply(const QString &line, bool awaitingDump = false);

} // namespace protocol
