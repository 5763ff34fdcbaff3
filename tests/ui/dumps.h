#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace testdumps {

// A configuration dump as an RW2290 sign sends it: list positions in the family's value form.
struct Row {
    int font, style, color, speed, alignment, pause, beep, timeoutSeconds;
};

inline QString rw2290Dump(const std::array<Row, 5> &rows, const QStringList &triples, const QString &autoId,
                          const QString &userCommand, const QString &header = QStringLiteral("RW2290,41"))
{
    QStringList fields;
    for (const Row &r : rows) {
        fields << QString::number(r.font + 64) << QString::number(r.style + 65) << QString::number(r.color + 65)
               << QString::number(r.speed + 48) << QString::number(r.alignment + 49) << QString::number(r.pause + 48)
               << QString::number(r.beep + 20) << QString::number(r.timeoutSeconds * 5);
    }
    QStringList padded = triples;
    while (padded.size() < 16)
        padded << QStringLiteral("0,0,5");
    fields << padded << autoId << userCommand;
    return header + QStringLiteral(":") + fields.join(u',');
}

inline std::array<Row, 5> sampleRows()
{
    return {{{0, 0, 1, 2, 0, 3, 1, 6}, {5, 1, 2, 3, 1, 4, 0, 10}, {6, 2, 3, 4, 2, 5, 2, 15},
             {7, 3, 4, 0, 0, 6, 1, 20}, {8, 4, 5, 1, 1, 7, 0, 25}}};
}

// Links 0, 1 and 2 set; 3 to 7 empty.
inline QString sampleDump()
{
    return rw2290Dump(sampleRows(), {QStringLiteral("0,1000,0"), QStringLiteral("1,2000,1"), QStringLiteral("2,1234567,3"),
                                     QStringLiteral("2,890,3")},
                      QStringLiteral("1"), QStringLiteral("RESET"));
}

} // namespace testdumps
