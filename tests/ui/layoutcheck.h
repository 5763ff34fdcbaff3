#pragma once

// Checks that a window shows its texts whole: after the window is laid out (shown, or
// adjustSize()), no caption, button, check box or list is narrower than its text needs.
//
//     window.show();
//     window.adjustSize();
//     EXPECT_EQ(layoutcheck::clippedTexts(window), QStringList());
//     EXPECT_TRUE(layoutcheck::fitsScreen(window, layoutcheck::smallScreen()));

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace layoutcheck {

namespace detail {

inline QString describe(const QWidget &widget, const char *what, int has, int needs)
{
    return QStringLiteral("%1 (%2): %3 %4 < %5")
        .arg(widget.objectName().isEmpty() ? QStringLiteral("<unnamed>") : widget.objectName(),
             QString::fromLatin1(widget.metaObject()->className()), QString::fromLatin1(what))
        .arg(has)
        .arg(needs);
}

// The width a drop-down list needs for its longest entry, as the style draws the box around it.
inline int comboWidthNeeded(const QComboBox &combo)
{
    const QFontMetrics metrics = combo.fontMetrics();
    int text = 0;
    for (int i = 0; i < combo.count(); ++i)
        text = std::max(text, metrics.boundingRect(combo.itemText(i)).width());
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    return combo.style()
        ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(text, metrics.height()), &combo)
        .width();
}

} // namespace detail

// Rows a list shows at least (or all of them when it holds fewer).
inline constexpr int MinimumListRows = 5;

// Every visible control under `root` that cuts its text short, described with its object name,
// class, its width (or height) and what it needs. Labels that wrap their text are checked for
// height; lists for their widest entry and for MinimumListRows rows.
inline QStringList clippedTexts(const QWidget &root)
{
    QStringList clipped;
    const auto shown = [&root](const QWidget *w) { return w->isVisibleTo(&root) && w->width() > 0; };
    for (const QLabel *label : root.findChildren<QLabel *>()) {
        if (!shown(label) || label->text().isEmpty())
            continue;
        if (label->wordWrap()) {
            const int needs = label->heightForWidth(label->width());
            if (label->height() < needs)
                clipped << detail::describe(*label, "height", label->height(), needs);
        } else if (label->width() < label->sizeHint().width()) {
            clipped << detail::describe(*label, "width", label->width(), label->sizeHint().width());
        }
    }
    for (const QAbstractButton *button : root.findChildren<QAbstractButton *>()) {
        if (!shown(button) || !(qobject_cast<const QPushButton *>(button) || qobject_cast<const QCheckBox *>(button)))
            continue;
        if (button->width() < button->sizeHint().width())
            clipped << detail::describe(*button, "width", button->width(), button->sizeHint().width());
    }
    for (const QComboBox *combo : root.findChildren<QComboBox *>()) {
        if (!shown(combo))
            continue;
        const int needs = detail::comboWidthNeeded(*combo);
        if (combo->width() < needs)
            clipped << detail::describe(*combo, "width", combo->width(), needs);
    }
    for (const QListWidget *list : root.findChildren<QListWidget *>()) {
        if (!shown(list) || list->count() == 0)
            continue;
        const QWidget *viewport = list->viewport();
        const int widest = list->sizeHintForColumn(0);
        if (viewport->width() < widest)
            clipped << detail::describe(*list, "entry width", viewport->width(), widest);
        const int rows = std::min(int(list->count()), MinimumListRows) * list->sizeHintForRow(0);
        if (viewport->height() < rows)
            clipped << detail::describe(*list, "rows height", viewport->height(), rows);
    }
    return clipped;
}

// The room a window may take on a screen of `pixels` device pixels at `scale` (QT_SCALE_FACTOR),
// in the logical pixels widgets measure in, less a title bar and a desktop panel.
inline QSize screenRoom(QSize pixels, qreal scale)
{
    constexpr int titleAndPanel = 64;
    return {int(pixels.width() / scale), int(pixels.height() / scale) - titleAndPanel};
}

// The scale the process runs at: QT_SCALE_FACTOR, 1 without it.
inline qreal scaleFactor()
{
    bool ok = false;
    const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok && scale > 0 ? scale : 1.0;
}

// The smallest screen the tool supports at the scale the process runs at: 1366x768 at 1x, and
// 1920x1080 at 2x (or more).
inline QSize smallScreen()
{
    const qreal scale = scaleFactor();
    return scale >= 2 ? screenRoom({1920, 1080}, scale) : screenRoom({1366, 768}, scale);
}

// Whether the window, at its minimum size, fits into `room`.
inline bool fitsScreen(const QWidget &window, QSize room)
{
    const QSize minimum = window.minimumSizeHint().expandedTo(window.minimumSize());
    return minimum.width() <= room.width() && minimum.height() <= room.height();
}

} // namespace layoutcheck
