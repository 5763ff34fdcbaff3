// The configuration dump reader, fed with any line the sign could send.

#include "fuzzsupport.h"

#include "protocol/configdump.h"
#include "protocol/numbers.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;
using protocol::ConfigDump;
using protocol::DumpLinkRow;
using protocol::DumpPriorityRow;

namespace {

bool sameRow(const DumpPriorityRow &a, const DumpPriorityRow &b)
{
    return a.font == b.font && a.style == b.style && a.color == b.color && a.speed == b.speed
        && a.alignment == b.alignment && a.pause == b.pause && a.beep == b.beep && a.timeout == b.timeout;
}

bool sameLink(const DumpLinkRow &a, const DumpLinkRow &b)
{
    return a.named == b.named && a.capcode == b.capcode && a.priority == b.priority
        && a.priorityText == b.priorityText;
}

// Everything a dump says apart from the header.
bool sameLinksAndModes(const ConfigDump &a, const ConfigDump &b)
{
    for (std::size_t i = 0; i < a.links.size(); ++i) {
        if (!sameLink(a.links[i], b.links[i]))
            return false;
    }
    return a.linksComplete == b.linksComplete && a.autoId == b.autoId && a.userCommand == b.userCommand;
}

bool sameDump(const ConfigDump &a, const ConfigDump &b)
{
    for (std::size_t n = 0; n < a.priorities.size(); ++n) {
        if (!sameRow(a.priorities[n], b.priorities[n]))
            return false;
    }
    return a.model == b.model && a.build == b.build && sameLinksAndModes(a, b);
}

// The row a triple's ID field names: a whole number from 0 to 7, read as the sign writes it.
std::optional<int> namedRow(const QString &field)
{
    const double id = protocol::leadingNumber(field);
    for (int row = 0; row < 8; ++row) {
        if (id == double(row))
            return row;
    }
    return std::nullopt;
}

void checkLinks(const ConfigDump &dump, const QStringList &fields, const fuzz::Detail &detail)
{
    // The capcodes each row should show, gathered from the triples in order.
    std::array<QStringList, 8> capcodes;
    std::array<std::optional<QString>, 8> lastPriority;
    for (int j = 0; j < 16; ++j) {
        const qsizetype first = 40 + 3 * j;
        if (first + 2 >= fields.size())
            break;
        if (fields[first + 1] == u"0")
            continue;
        if (const auto row = namedRow(fields[first])) {
            capcodes[std::size_t(*row)] << fields[first + 1];
            const QString &priority = fields[first + 2];
            if (protocol::leadingNumber(priority) < 5 && protocol::readInt16(priority))
                lastPriority[std::size_t(*row)] = priority;
        }
    }
    for (std::size_t i = 0; i < 8; ++i) {
        const DumpLinkRow &link = dump.links[i];
        const fuzz::Detail rowDetail = [&] { return detail + u", link "_s + QString::number(i); };
        // A row is named by a triple of its own ID only: never by one outside 0 to 7.
        FUZZ_CHECK(link.named == !capcodes[i].isEmpty(), rowDetail);
        // An empty box takes the capcode as it is, a filled one gets "," and the capcode.
        QStringList shownCapcodes = capcodes[i];
        while (!shownCapcodes.isEmpty() && shownCapcodes.first().isEmpty())
            shownCapcodes.removeFirst();
        FUZZ_CHECK(link.capcode == shownCapcodes.join(u','), rowDetail + u" capcode "_s + fuzz::shown(link.capcode));
        FUZZ_CHECK(link.priorityText == lastPriority[i], rowDetail);
        FUZZ_CHECK(link.priority.has_value() == link.priorityText.has_value(), rowDetail);
        if (link.priority) {
            // Below 5 before rounding: 4.6 reads as 5, which the window's list then skips.
            FUZZ_CHECK(protocol::leadingNumber(*link.priorityText) < 5
                           && protocol::readInt16(*link.priorityText) == link.priority,
                       rowDetail);
        }
    }
}

void checkDump(const QString &line)
{
    const ConfigDump dump = protocol::readConfigDump(line);
    const fuzz::Detail detail = [&] { return u"line "_s + fuzz::shown(line); };

    // CRs at the very end are a CR LF line end, not part of the last field.
    QString body = line;
    while (body.endsWith(u'\r'))
        body.chop(1);
    const QStringList parts = body.split(u':');
    QString header = parts.at(0);
    header.remove(u"DOWNLOAD_ALL"_s);
    const QString data = parts.value(1);
    const QStringList fields = data.isEmpty() ? QStringList() : data.split(u',');

    FUZZ_CHECK(!dump.model.contains(u':') && !dump.model.contains(u','), detail);
    FUZZ_CHECK(dump.build.has_value() == header.contains(u','), detail);
    if (dump.build)
        FUZZ_CHECK(!dump.build->contains(u':') && !dump.build->contains(u','), detail);
    FUZZ_CHECK(dump.linksComplete == (fields.size() >= 88), detail);
    FUZZ_CHECK(dump.autoId.has_value() == (fields.size() > 88), detail);
    FUZZ_CHECK(dump.userCommand.has_value() == (fields.size() > 89), detail);
    if (dump.userCommand)
        FUZZ_CHECK(!dump.userCommand->contains(u',') && !dump.userCommand->contains(u':'), detail);

    // A field the dump does not carry leaves its setting alone.
    for (std::size_t n = 0; n < 5; ++n) {
        const DumpPriorityRow &row = dump.priorities[n];
        const std::optional<qint16> values[] = {row.font, row.style, row.color, row.speed,
                                                row.alignment, row.pause, row.beep, row.timeout};
        for (qsizetype k = 0; k < 8; ++k) {
            if (qsizetype(n) * 8 + k >= fields.size())
                FUZZ_CHECK(!values[k].has_value(), detail);
        }
    }

    checkLinks(dump, fields, detail);

    if (!body.contains(u':'))
        return;

    // Anything after a second ":" is never read.
    const QString afterSecondColon = parts.size() > 2 ? QString() : u":"_s;
    FUZZ_CHECK(sameDump(protocol::readConfigDump(body + afterSecondColon + u"64,65,1,RESETdone"_s), dump), detail);

    // Nor is a field after field 89.
    if (fields.size() >= 90) {
        QStringList longer = parts;
        longer[1] += u",99,x"_s;
        FUZZ_CHECK(sameDump(protocol::readConfigDump(longer.join(u':')), dump), detail);
    }

    // The model family changes the priority values only: links, ID mode and user command stay.
    const QString rest = body.mid(body.indexOf(u':'));
    const QString build = dump.build ? u","_s + *dump.build : QString();
    std::array<ConfigDump, 3> families;
    const std::array<QString, 3> models{u"KT420"_s, u"RW2290"_s, u"QB7"_s};
    for (std::size_t f = 0; f < models.size(); ++f) {
        families[f] = protocol::readConfigDump(models[f] + build + rest);
        FUZZ_CHECK(families[f].model == models[f] && families[f].build == dump.build, detail + u" as "_s + models[f]);
        FUZZ_CHECK(sameLinksAndModes(families[f], dump), detail + u" as "_s + models[f]);
    }
    // A whole number in a list field moves by the family's offset exactly.
    constexpr std::array<int, 7> rwOffsets{64, 65, 65, 48, 49, 48, 0};
    constexpr std::array<int, 7> qbOffsets{0, 0, 0, 5, 0, 0, 0};
    for (std::size_t n = 0; n < 5; ++n) {
        const auto listValues = [n](const ConfigDump &d) {
            const DumpPriorityRow &r = d.priorities[n];
            return std::array<std::optional<qint16>, 7>{r.font, r.style, r.color, r.speed, r.alignment, r.pause, r.beep};
        };
        const auto plain = listValues(families[0]), rw = listValues(families[1]), qb = listValues(families[2]);
        for (std::size_t k = 0; k < 7; ++k) {
            const qsizetype field = qsizetype(n * 8 + k);
            if (field >= fields.size() || !protocol::strictInt16(fields[field]) || !plain[k])
                continue;
            const fuzz::Detail fieldDetail = [&] { return detail + u", field "_s + QString::number(field); };
            if (rw[k])
                FUZZ_CHECK(*plain[k] - *rw[k] == rwOffsets[k], fieldDetail);
            if (qb[k])
                FUZZ_CHECK(*plain[k] - *qb[k] == qbOffsets[k], fieldDetail);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    checkDump(fuzz::latin1(data, size));
    return 0;
}
