#include "ui/common/logo.h"

#include <QPainter>
#include <QPainterPath>

namespace ui {

namespace {

// A 7-row dot pattern of a paging wave, one string per row, "#" lit.
constexpr const char *Pattern[] = {
    "......#.......",
    ".....#.#......",
    "....#...#.....",
    "#..#.....#...#",
    ".##.......#.#.",
    "...........#..",
    "..............",
};

} // namespace

QPixmap drawLogo(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF face(0.5, 0.5, width - 1.0, height - 1.0);
    QPainterPath outline;
    outline.addRoundedRect(face, height * 0.12, height * 0.12);
    painter.fillPath(outline, QColor(24, 24, 28));
    painter.setPen(QPen(QColor(90, 90, 100), 1.0));
    painter.drawPath(outline);

    const int rows = int(std::size(Pattern));
    const int cols = int(std::char_traits<char>::length(Pattern[0]));
    const double pitch = std::min((width - 4.0) / cols, (height - 4.0) / rows);
    const double left = (width - pitch * cols) / 2.0;
    const double top = (height - pitch * rows) / 2.0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const bool lit = Pattern[r][c] == '#';
            painter.setPen(Qt::NoPen);
            painter.setBrush(lit ? QColor(255, 170, 20) : QColor(60, 50, 40));
            painter.drawEllipse(QPointF(left + (c + 0.5) * pitch, top + (r + 0.5) * pitch),
                                pitch * 0.38, pitch * 0.38);
        }
    }
    return pixmap;
}

} // namespace ui
