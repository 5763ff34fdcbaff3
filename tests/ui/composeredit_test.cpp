// The test message's composer on its own: choices reach the whole text or only the selection,
// what is typed next takes them, and only the operator's hand counts as an edit.
#include "ui/testmsg/composeredit.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>

#include <functional>
#include <ostream>

namespace {

using ui::ComposerEdit;

const protocol::Rgb Red{255, 0, 0};
const protocol::Rgb Green{0, 128, 0};
const protocol::EditorFont Big{QStringLiteral("Arial"), 20.0, true, false};

// The colours of the composition, one letter a character: r red, g green, - anything else.
QString colours(const ComposerEdit &editor)
{
    QString out;
    for (const protocol::ComposedChar &c : editor.composition())
        out += c.color == Red ? u'r' : c.color == Green ? u'g' : u'-';
    return out;
}

struct ChoiceCase {
    const char *name;
    bool wholeText;
    int selectFrom, selectTo;  // the operator's selection in "abcd" before the choice
    const char *after;         // colours of "abcd" and of one letter typed at the selection's end
};

void PrintTo(const ChoiceCase &c, std::ostream *out) { *out << c.name; }

class ComposerChoices : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ComposerChoices, ReachTheirTextAndWhatIsTypedNext)
{
    const ChoiceCase &c = GetParam();
    ComposerEdit editor;
    editor.setPlainText(QStringLiteral("abcd"));
    editor.applyColor(Green, true);
    QTextCursor selection(editor.document());
    selection.setPosition(c.selectFrom);
    selection.setPosition(c.selectTo, QTextCursor::KeepAnchor);
    editor.setTextCursor(selection);

    editor.applyColor(Red, c.wholeText);
    // The operator's selection stays as it was.
    EXPECT_EQ(editor.textCursor().selectionStart(), c.selectFrom);
    EXPECT_EQ(editor.textCursor().selectionEnd(), c.selectTo);

    QTextCursor end = editor.textCursor();
    end.clearSelection();
    end.setPosition(c.selectTo);
    editor.setTextCursor(end);
    QTest::keyClicks(&editor, QStringLiteral("x"));
    EXPECT_EQ(editor.toPlainText().indexOf(u'x'), c.selectTo);
    EXPECT_EQ(colours(editor), QString::fromLatin1(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ComposerChoices,
    ::testing::Values(ChoiceCase{"WholeText", true, 1, 3, "rrrrr"},
                      ChoiceCase{"WholeTextWithoutASelection", true, 2, 2, "rrrrr"},
                      ChoiceCase{"SelectionOnly", false, 1, 3, "grrrg"},
                      ChoiceCase{"SelectionAtTheEnd", false, 2, 4, "ggrrr"}),
    [](const auto &info) { return std::string(info.param.name); });

struct EditCase {
    const char *name;
    std::function<void(ComposerEdit &)> act;
    int edits;
};

void PrintTo(const EditCase &c, std::ostream *out) { *out << c.name; }

class ComposerEdits : public ::testing::TestWithParam<EditCase> {};

TEST_P(ComposerEdits, AreTheOperatorsOnly)
{
    ComposerEdit editor;
    editor.setPlainText(QStringLiteral("abc"));
    editor.selectAll();
    const QSignalSpy edited(&editor, &ComposerEdit::edited);
    GetParam().act(editor);
    EXPECT_EQ(edited.count(), GetParam().edits);
}

INSTANTIATE_TEST_SUITE_P(
    Acts, ComposerEdits,
    ::testing::Values(EditCase{"Typing", [](ComposerEdit &e) { QTest::keyClicks(&e, QStringLiteral("xy")); }, 2},
                      EditCase{"Deleting", [](ComposerEdit &e) { QTest::keyClick(&e, Qt::Key_Delete); }, 1},
                      EditCase{"ColourOfTheWholeText", [](ComposerEdit &e) { e.applyColor(Red, true); }, 0},
                      EditCase{"ColourOfTheSelection", [](ComposerEdit &e) { e.applyColor(Red, false); }, 0},
                      EditCase{"Font", [](ComposerEdit &e) { e.applyFont(Big, true); }, 0},
                      EditCase{"Alignment",
                               [](ComposerEdit &e) { e.applyAlignment(protocol::EditorAlignment::Right, true); }, 0},
                      EditCase{"CaretFormat", [](ComposerEdit &e) { e.keepCaretFormat(Red, Big); }, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ComposerEmptied, TypesInTheKeptFontAndColourWhereverTheCaretIsPut)
{
    ComposerEdit editor;
    editor.show();
    editor.setPlainText(QStringLiteral("old"));
    editor.selectAll();
    QTest::keyClick(&editor, Qt::Key_Delete);
    editor.keepCaretFormat(Red, Big);
    // Putting the caret into the empty editor makes it forget its own format.
    QTest::mouseClick(editor.viewport(), Qt::LeftButton);
    editor.selectAll();
    QTest::keyClicks(&editor, QStringLiteral("n"));
    const QList<protocol::ComposedChar> chars = editor.composition();
    ASSERT_EQ(chars.size(), 1);
    EXPECT_EQ(chars[0].color, Red);
    EXPECT_EQ(chars[0].font.pointSize, Big.pointSize);
    EXPECT_TRUE(chars[0].font.bold);
}

} // namespace
