#pragma once

#include <QScrollArea>

namespace ui {

// A scroll area that a screen reader can walk while its scroll bars come and go.
//
// Qt 6.4's own accessible interface for a scroll area counts only the scroll bars on view and
// hands out a child by that count without checking it: a reader that counted three children
// (viewport and both bars), then walked into the viewport while the bars went away (a status
// line that wrapped and cleared, a caption turning bold), asks for the second child and gets a
// pointer read past the end of a list, and the program dies. This one answers as a plain
// widget: the viewport and both scroll bar holders are always its children, hidden ones marked
// invisible, and a child asked for by a number it does not have is nothing.
class ScrollArea final : public QScrollArea {
    Q_OBJECT
public:
    explicit ScrollArea(QWidget *parent = nullptr);
};

} // namespace ui
