#include "ui/testmsg/composeredit.h"

#include <QApplication>
#include <QPalette>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace ui {

namespace {

protocol::ComposedChar attributesOf(const QTextCharFormat &format, const QFont &defaultFont,
                                    const QColor &defaultColor)
{
    // What the format leaves unset is shown in the editor's default font and colour.
    const QFont font = format.font().resolve(defaultFont);
    const QColor color =
        format.foreground().style() == Qt::NoBrush ? defaultColor : format.foreground().color();
    protocol::ComposedChar c;
    c.font = {font.families().value(0, font.family()), font.pointSizeF(), font.bold(), font.italic()};
    c.color = {color.red(), color.green(), color.blue()};
    return c;
}

Qt::Alignment qtAlignment(protocol::EditorAlignment alignment)
{
    switch (alignment) {
    case protocol::EditorAlignment::Left: return Qt::AlignLeft;
    case protocol::EditorAlignment::Right: return Qt::AlignRight;
    case protocol::EditorAlignment::Center: return Qt::AlignHCenter;
    }
    return Qt::AlignLeft;
}

QTextCharFormat charFormatFor(const protocol::EditorFont &font)
{
    QTextCharFormat format;
    format.setFontFamilies({font.typeface});
    format.setFontPointSize(font.pointSize);
    format.setFontWeight(font.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(font.accent);
    return format;
}

QTextCharFormat charFormatFor(protocol::Rgb color)
{
    QTextCharFormat format;
    format.setForeground(QColor(color.red, color.green, color.blue));
    return format;
}

} // namespace

QList<protocol::ComposedChar> readComposition(const QTextEdit &editor)
{
    const QTextDocument &document = *editor.document();
    const QFont defaultFont = document.defaultFont();
    // A character without a colour of its own counts in the desktop's text colour, as the
    // editor would show it with the desktop's colours; the dark preview shows it in a colour of
    // its own, which is no colour of the sign.
    const QColor defaultColor = QApplication::palette(&editor).color(QPalette::Text);

    QList<protocol::ComposedChar> chars;
    chars.reserve(document.characterCount());
    protocol::ComposedChar last = attributesOf(document.begin().charFormat(), defaultFont, defaultColor);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin()) {
            last.character = u'\n';
            chars.append(last);
        }
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            protocol::ComposedChar c = attributesOf(fragment.charFormat(), defaultFont, defaultColor);
            const QString text = fragment.text();
            for (const QChar character : text) {
                c.character = character;
                chars.append(c);
            }
            last = c;
        }
    }
    return chars;
}

ComposerEdit::ComposerEdit(QWidget *parent) : QTextEdit(parent)
{
    // Pasted text takes the attributes chosen here rather than bringing its own.
    setAcceptRichText(false);
    // Tab goes on to the next control; the sign has no tab character anyway.
    setTabChangesFocus(true);
    setMinimumHeight(fontMetrics().lineSpacing() * 3 + 12);
    // The preview on a dark panel, as a sign shows its light, so that every colour of the list
    // is readable whatever the desktop's colours (yellow vanishes on white, black on a dark
    // desktop). Only the background, and the colour characters without one of their own are
    // shown in, change; the encoder reads the characters' own colours (readComposition).
    QPalette preview = palette();
    preview.setColor(QPalette::Base, PreviewBackground);
    preview.setColor(QPalette::Text, PreviewDefaultText);
    setPalette(preview);
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (!m_formatting)
            emit edited();
    });
}

ComposerEdit::~ComposerEdit() = default;

void ComposerEdit::applyFont(const protocol::EditorFont &font, bool wholeText)
{
    applyFormat(charFormatFor(font), wholeText);
}

void ComposerEdit::applyColor(protocol::Rgb color, bool wholeText)
{
    applyFormat(charFormatFor(color), wholeText);
}

void ComposerEdit::applyAlignment(protocol::EditorAlignment alignment, bool wholeText)
{
    const QScopedValueRollback formatting(m_formatting, true);
    if (!wholeText) {
        setAlignment(qtAlignment(alignment));
        return;
    }
    QTextBlockFormat format;
    format.setAlignment(qtAlignment(alignment));
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeBlockFormat(format);
}

void ComposerEdit::keepCaretFormat(std::optional<protocol::Rgb> color, std::optional<protocol::EditorFont> font)
{
    const QScopedValueRollback formatting(m_formatting, true);
    QTextCharFormat caret;
    if (color)
        caret = charFormatFor(*color);
    if (font && document()->isEmpty())
        caret.merge(charFormatFor(*font));
    if (caret.propertyCount() > 0)
        mergeCaretFormat(caret);
}

void ComposerEdit::applyFormat(const QTextCharFormat &format, bool wholeText)
{
    const QScopedValueRollback formatting(m_formatting, true);
    if (wholeText) {
        // The whole text, through a cursor of its own: the operator's caret stays where it is.
        QTextCursor all(document());
        all.select(QTextCursor::Document);
        all.mergeCharFormat(format);
    }
    // The selection in multi-colour mode, and what is typed next in either mode.
    mergeCaretFormat(format);
}

void ComposerEdit::mergeCaretFormat(const QTextCharFormat &format)
{
    mergeCurrentCharFormat(format);
    // The caret forgets its format whenever it is put anywhere in an empty editor (Select All,
    // a click), and then types in the format of the empty line itself: that line keeps the
    // format too.
    if (document()->isEmpty()) {
        QTextCursor line(document());
        QTextCharFormat kept = line.blockCharFormat();
        kept.merge(format);
        line.setBlockCharFormat(kept);
    }
}

} // namespace ui
