#pragma once

#include <QLabel>

namespace ui {

// A label for a value the sign reports (its model, its build number): a text longer than the
// label is drawn cut with "…" and shown whole in the tool tip, so that a sign that reports a
// long text cannot widen the window for good. text() stays the whole text for everyone who
// reads it (files, other windows, a screen reader); the label's own tool tip comes after it.
class ElidingLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ElidingLabel(QWidget *parent = nullptr, int widestCharacters = 16);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    bool isElided() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    int m_widestCharacters;
};

} // namespace ui
