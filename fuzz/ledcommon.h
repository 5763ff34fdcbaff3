#pragma once

// Shared by the two .led targets: the list sizes they read with, the checks every reading must
// pass, and the save-and-open round trip.

#include "fuzzsupport.h"

#include "config/ledfile.h"

#include <cstdint>

namespace fuzz {

using namespace Qt::Literals::StringLiterals;

inline QString shown(const config::LedFileRecord &r)
{
    QStringList parts{u"model "_s + shown(r.model), u"com "_s + QString::number(r.comPort)};
    for (const config::PriorityDefaults &p : r.priorities) {
        parts << QStringLiteral("pri %1,%2,%3,%4,%5,%6,%7 %8")
                     .arg(p.font).arg(p.style).arg(p.color).arg(p.speed).arg(p.alignment).arg(p.pause).arg(p.beep)
                     .arg(shown(p.timeout));
    }
    for (const config::LinkEntry &l : r.links)
        parts << u"link "_s + shown(l.capcode) + u' ' + QString::number(l.priority);
    parts << u"msg "_s + shown(r.DefMsg);
    parts << QStringLiteral("defs %1,%2,%3,%4,%5,%6 auto %7")
                 .arg(r.DefFont).arg(r.DefColor).arg(r.DefStyle).arg(r.DefAlign).arg(r.DefSpeed).arg(r.DefPause)
                 .arg(r.autoId);
    return parts.join(u"; ");
}

// The main window's lists: the largest standard set, twelve COM ports, five link priorities.
inline config::LedListSizes mainWindowSizes()
{
    config::LedListSizes s;
    s.font = 20, s.style = 10, s.color = 13, s.speed = 8, s.alignment = 3, s.pause = 10, s.beep = 3;
    s.comPorts = 12;
    s.linkPriorities = 5;
    return s;
}

// Sizes drawn from a number: each list has a size of 0 to 40 or none. The link priority list
// always has its five entries at most, as in the main window: a position of 5 would be written
// and then read as "no priority", which only a longer list than the window has could produce.
inline config::LedListSizes drawnSizes(std::uint32_t bits)
{
    const auto next = [&bits]() -> std::optional<int> {
        const std::uint32_t v = bits % 42;
        bits = bits / 42 + 0x9E3779B9u * (v + 1);
        return v == 41 ? std::nullopt : std::optional<int>(int(v));
    };
    config::LedListSizes s;
    s.font = next(), s.style = next(), s.color = next(), s.speed = next(), s.alignment = next(), s.pause = next();
    s.beep = next();
    s.comPorts = next();
    s.linkPriorities = int(bits % 6);
    return s;
}

inline bool inList(int position, std::optional<int> size)
{
    return position >= -1 && (!size || position < *size);
}

// What every action of a reading must respect, whatever the file held.
inline void checkAction(const config::LedFileAction &action, const config::LedListSizes &sizes, const Detail &detail)
{
    using namespace config::led;
    if (const auto *a = std::get_if<SetModel>(&action)) {
        FUZZ_CHECK(!a->caption.contains(u':'), detail);
    } else if (const auto *a = std::get_if<SetComPort>(&action)) {
        FUZZ_CHECK(inList(a->position, sizes.comPorts), detail);
    } else if (const auto *a = std::get_if<SetPriority>(&action)) {
        const config::PriorityDefaults &p = a->values;
        FUZZ_CHECK(a->row >= 0 && a->row < config::PriorityCount, detail);
        FUZZ_CHECK(inList(p.font, sizes.font) && inList(p.style, sizes.style) && inList(p.color, sizes.color)
                       && inList(p.speed, sizes.speed) && inList(p.alignment, sizes.alignment)
                       && inList(p.pause, sizes.pause) && inList(p.beep, sizes.beep),
                   detail);
        FUZZ_CHECK(!p.timeout.contains(u',') && !p.timeout.contains(u':'), detail);
    } else if (const auto *a = std::get_if<SetLink>(&action)) {
        FUZZ_CHECK(a->id >= 0 && a->id < config::LinkCount, detail);
        FUZZ_CHECK(!a->capcode.contains(u':'), detail);
        if (a->priority)
            FUZZ_CHECK(inList(*a->priority, sizes.linkPriorities) && *a->priority < 5, detail);
    } else if (const auto *a = std::get_if<ClearLink>(&action)) {
        FUZZ_CHECK(a->id >= 0 && a->id < config::LinkCount, detail);
    } else if (const auto *a = std::get_if<SetAutoId>(&action)) {
        FUZZ_CHECK(a->value == 0 || a->value == 1, detail);
    }
}

inline void checkError(const config::LedFileError &e, const Detail &detail)
{
    using E = config::LedFileError;
    FUZZ_CHECK(e.number == E::NotANumber || e.number == E::Overflow || e.number == E::InvalidValue, detail);
    FUZZ_CHECK(!e.description.isEmpty(), detail);
    FUZZ_CHECK(e.message() == u"Error "_s + QString::number(e.number) + u" opening file.\r\n"_s + e.description, detail);
}

inline config::LedFileRecord applied(const QList<config::LedFileAction> &actions, config::LedFileRecord start)
{
    for (const config::LedFileAction &a : actions)
        config::applyLedAction(a, start);
    return start;
}

// Save `record` as the Save command does, open the bytes again, and compare with `expected`.
// Reading starts from a record that differs from every value, so a line that is lost shows.
inline void checkRoundTrip(const config::LedFileRecord &record, const config::LedFileRecord &expected,
                           const config::LedListSizes &sizes, const Detail &origin)
{
    const QString text = config::ledFileText(record);
    const Detail detail = [&] { return origin.text() + u"\n     record "_s + shown(record) + u"\n     text "_s + shown(text); };
    const config::SaveBytes saved = config::saveTextBytes(text);
    FUZZ_CHECK(saved.bytes && !saved.unstorable, detail);

    const QStringList lines = config::ledFileLines(*saved.bytes);
    FUZZ_CHECK(lines.size() == 24 && lines.last().isEmpty(), detail);

    config::LedFileRecord poison;
    poison.model = QStringLiteral("\x01poison");
    poison.comPort = 7;
    for (config::PriorityDefaults &p : poison.priorities)
        p = {7, 7, 7, 7, 7, 7, 7, QStringLiteral("\x01")};
    for (config::LinkEntry &l : poison.links)
        l = {QStringLiteral("\x01"), 3};
    poison.DefMsg = QStringLiteral("\x01");
    poison.DefFont = poison.DefColor = poison.DefStyle = poison.DefAlign = poison.DefSpeed = poison.DefPause = 7777;
    poison.autoId = 1 - expected.autoId;

    const config::LedReadResult read = config::readLedFile(lines, sizes);
    FUZZ_CHECK(!read.error, detail + u"\n     error "_s + (read.error ? read.error->message() : QString()));
    const config::LedFileRecord back = applied(read.actions, poison);
    FUZZ_CHECK(back == expected, detail + u"\n     read back "_s + shown(back) + u"\n     expected "_s + shown(expected));
}

} // namespace fuzz
