#pragma once

#include "protocol/testmessage.h"

#include <QColor>
#include <QList>
#include <QTextEdit>

#include <optional>

class QTextCharFormat;

namespace ui {

// The editor's characters in text order, one record each with the attributes the sign's font
// and colour codes are read from. A paragraph break comes as '\n' with the attributes of the
// character before it, so that it changes nothing by itself. Attributes a character does not set
// come from the editor's default font and the desktop's text colour (not the colour the window
// shows such characters in on its dark preview). It walks the blocks and their fragments,
// reading each fragment's format once, so the cost grows with the length of the text only.
QList<protocol::ComposedChar> readComposition(const QTextEdit &editor);

// The test message's rich-text composer: every character carries a typeface, size, bold, an
// accent (shown as italic) and a colour of the sign's font and colour tables, and paragraphs an
// alignment. Choices apply to the whole text, or (`wholeText` false: multi-colour mode) to the
// selection only, and in either case to what is typed next. It shows the text on a dark, sign-like
// panel.
class ComposerEdit final : public QTextEdit {
    Q_OBJECT
public:
    explicit ComposerEdit(QWidget *parent = nullptr);
    ~ComposerEdit() override;

    // The dark, sign-like background: dark enough for yellow, amber and the light colours, light
    // enough that black, brown and dark red still show on it. And the colour it shows characters
    // in that have no colour of their own.
    static constexpr QColor PreviewBackground{84, 84, 84};
    static constexpr QColor PreviewDefaultText{224, 224, 224};

    QList<protocol::ComposedChar> composition() const { return readComposition(*this); }

    void applyFont(const protocol::EditorFont &font, bool wholeText);
    void applyColor(protocol::Rgb color, bool wholeText);
    void applyAlignment(protocol::EditorAlignment alignment, bool wholeText);
    // After the operator's change: what is typed next takes `color`, and, once the text is gone
    // (the editor then forgets every attribute), `font` again rather than the editor's own.
    void keepCaretFormat(std::optional<protocol::Rgb> color, std::optional<protocol::EditorFont> font);

signals:
    // The text changed by the operator's hand (typing, pasting, a time token), not by a choice
    // applied here.
    void edited();

private:
    void applyFormat(const QTextCharFormat &format, bool wholeText);
    // Merges `format` into what is typed next.
    void mergeCaretFormat(const QTextCharFormat &format);

    bool m_formatting = false;  // the editor's own formatting: no edit of the operator's
};

} // namespace ui
