#pragma once

#include <QListWidget>

class QKeyEvent;
class QMouseEvent;
class QShowEvent;

namespace ui {

// A list box: the entries stay on view with one of them chosen, instead of a drop-down. It
// answers the few QComboBox calls the windows use, so that their code reads the same for either
// kind of list.
//
// The choice is the selected row, not Qt's "current" row: a list that gets the focus by Tab
// marks its first row current without choosing it, and a list with nothing chosen must say -1.
// Once the operator has chosen a row, nothing they do clears the choice again (no Ctrl+click
// or Ctrl+Space deselection): a window reads -1 as "nothing selected" and would send that.
class ListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    // Rows a list box shows at least, whatever it holds.
    static constexpr int VisibleRows = 5;

    // The chosen row; -1 when none is chosen.
    int currentIndex() const;
    // Chooses `row` and scrolls it into view; -1 (or a row outside the list) chooses nothing.
    // Raises no activated(): that is the operator's alone.
    void setCurrentIndex(int row);
    QString itemText(int row) const;
    QString currentText() const;

    // Sets the name a screen reader speaks, as description too (as for the drop-down lists, so
    // both kinds of list are announced alike).
    void setSpokenName(const QString &name);

    // Wide enough for the longest entry next to a scroll bar, tall enough for VisibleRows rows.
    // The minimum is the same, so no layout can cut an entry short.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The operator chose `row` with the mouse or the keyboard, also when it was chosen already
    // (as a drop-down list reports a choice of its current entry).
    void activated(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    int rowHeight() const;
    // After the operator's input: keeps an earlier choice that the input cleared, and reports
    // the choice when there is one and the input made it (or chose the same row again).
    void finishChoice(int before, bool chose);

    int m_rowAtPress = -1;
    bool m_pressOnItem = false;
};

} // namespace ui
