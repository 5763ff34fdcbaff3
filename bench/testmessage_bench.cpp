// The test-message encoder on long compositions with a colour change every ten characters:
// the pure encoder, the editor read into records plus encoding, and one keystroke in the
// window (target: under 20 ms at 5,000 characters; the cost grows linearly).
#include "mainwindowfixture.h"

#include "protocol/testmessage.h"
#include "ui/testmsg/ledtestmessage.h"

#include <QLineEdit>
#include <QTextCursor>
#include <QTextEdit>

#include <benchmark/benchmark.h>

namespace {

// Colour list positions 1 to 8 in turn, ten characters each, all in font 5.
int colorOfRun(qsizetype index)
{
    return 1 + int((index / 10) % 8);
}

QChar letter(qsizetype index)
{
    return index % 7 == 6 ? QChar(u' ') : QChar(char16_t(u'a' + index % 26));
}

QList<protocol::ComposedChar> composition(qsizetype length)
{
    const protocol::EditorFont font = *protocol::fontAttributes(5);
    QList<protocol::ComposedChar> chars;
    chars.reserve(length);
    for (qsizetype i = 0; i < length; ++i)
        chars.append({letter(i), font, *protocol::previewColor(colorOfRun(i))});
    return chars;
}

void fillEditor(QTextEdit &editor, qsizetype length)
{
    const protocol::EditorFont font = *protocol::fontAttributes(5);
    QTextCursor cursor(editor.document());
    for (qsizetype start = 0; start < length; start += 10) {
        QString run;
        for (qsizetype i = start; i < std::min(start + 10, length); ++i)
            run += letter(i);
        const protocol::Rgb color = *protocol::previewColor(colorOfRun(start));
        QTextCharFormat format;
        format.setFontFamilies({font.typeface});
        format.setFontPointSize(font.pointSize);
        format.setForeground(QColor(color.red, color.green, color.blue));
        cursor.insertText(run, format);
    }
}

const protocol::PriorityCodes lists{.font = 5, .style = 0, .color = 1, .speed = 2, .alignment = 2, .pause = 3,
                                    .beep = 0};

void EncodeRecords(benchmark::State &state)
{
    const QList<protocol::ComposedChar> chars = composition(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(protocol::encodeTestMessage(chars, 0, lists, QStringLiteral("10")));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(EncodeRecords)->Arg(1000)->Arg(2000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void ReadEditorAndEncode(benchmark::State &state)
{
    QTextEdit editor;
    fillEditor(editor, state.range(0));
    for (auto _ : state) {
        const QList<protocol::ComposedChar> chars = ui::readComposition(editor);
        benchmark::DoNotOptimize(protocol::encodeTestMessage(chars, 0, lists, QStringLiteral("10")));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ReadEditorAndEncode)->Arg(1000)->Arg(2000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// A character typed at the end of the window's editor and taken back: two runs of the
// window's own handling (caret colour, editor read, encoder, the command shown in Test).
void TypeInWindow(benchmark::State &state)
{
    testsupport::MainWindowHarness harness;
    ui::LEDTestMessage window(*harness.window);
    fillEditor(*window.ColorTextBox, state.range(0));
    QTextCursor end(window.ColorTextBox->document());
    end.movePosition(QTextCursor::End);
    for (auto _ : state) {
        end.insertText(QStringLiteral("x"));
        end.deletePreviousChar();
    }
    if (!window.Test->text().endsWith(u'\r'))
        state.SkipWithError("the command was not shown");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(TypeInWindow)->Arg(1000)->Arg(2000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace
