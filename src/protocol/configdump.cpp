#include "protocol/configdump.h"

#include "protocol/numbers.h"

#include <QStringList>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace protocol {

namespace {

constexpr qsizetype kPriorityFields = 8;
constexpr qsizetype kFirstLinkField = 40;
constexpr int kLinkTriples = 16;
constexpr qsizetype kIdModeField = 88;
constexpr qsizetype kUserCommandField = 89;

// What the sign adds to each list position of a priority row, in dump order: font, style,
// colour, speed, alignment, pause, beep. The timeout is sent in fifths of a second.
using Offsets = std::array<double, 7>;

Offsets offsetsFor(const QString &model)
{
    if (model == "RW2290"_L1 || model == "PN360"_L1)
        return {64, 65, 65, 48, 49, 48, 20};
    if (model == "QB7"_L1)
        return {0, 0, 0, 5, 0, 0, 20};
    return {0, 0, 0, 0, 0, 0, 20};
}

std::optional<qint16> numberAt(const QStringList &fields, qsizetype index, double offset)
{
    if (index >= fields.size())
        return std::nullopt;
    return toInt16(leadingNumber(fields.at(index)) - offset);
}

DumpPriorityRow readPriorityRow(const QStringList &fields, qsizetype first, const Offsets &offsets)
{
    DumpPriorityRow row;
    // The order of the fields in the dump, not the order of the command.
    std::optional<qint16> *const targets[] = {&row.font,      &row.style, &row.color, &row.speed,
                                              &row.alignment, &row.pause, &row.beep};
    for (std::size_t k = 0; k < offsets.size(); ++k)
        *targets[k] = numberAt(fields, first + static_cast<qsizetype>(k), offsets[k]);
    const qsizetype timeoutField = first + kPriorityFields - 1;
    if (timeoutField < fields.size())
        row.timeout = toInt16(leadingNumber(fields.at(timeoutField)) / 5.0);
    return row;
}

// The row a triple's ID field names, if it is one of the eight.
std::optional<int> linkId(const QString &field)
{
    const double id = leadingNumber(field);
    if (id < 0 || id > 7 || id != std::floor(id))
        return std::nullopt;
    return static_cast<int>(id);
}

void readLinks(const QStringList &fields, std::array<DumpLinkRow, 8> &links)
{
    for (int j = 0; j < kLinkTriples; ++j) {
        const qsizetype first = kFirstLinkField + 3 * j;
        if (first + 2 >= fields.size())
            break;  // this triple and every later one are cut off
        const QString &capcode = fields.at(first + 1);
        if (capcode == u"0"_s)
            continue;  // an empty slot
        const std::optional<int> id = linkId(fields.at(first));
        if (!id)
            continue;
        DumpLinkRow &row = links[static_cast<std::size_t>(*id)];
        // An ID with several capcodes comes as several triples; the box shows them joined.
        row.capcode = row.capcode.isEmpty() ? capcode : row.capcode + u',' + capcode;
        row.named = true;
        const QString &priorityField = fields.at(first + 2);
        if (leadingNumber(priorityField) < 5) {
            if (const std::optional<qint16> priority = toInt16(leadingNumber(priorityField))) {
                row.priority = priority;
                row.priorityText = priorityField;
            }
        }
    }
}

// A byte that no model name holds: control characters and the upper half, which a line
// that picked up noise or a CR echo carries in front of the header.
bool isNoise(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() >= 0x7F;
}

// The header without what came in front of the sign's own text: the echo of the request, a
// CR of an echoed line, noise bytes, and any text in front of a model this tool knows.
QString cleanHeader(QString header)
{
    header.remove("DOWNLOAD_ALL"_L1, Qt::CaseSensitive);
    // Only in front of the model: the build number is the sign's own text.
    const qsizetype firstComma = header.indexOf(u',');
    qsizetype start = firstComma < 0 ? header.size() : firstComma;
    while (start > 0 && !isNoise(header.at(start - 1)))
        --start;
    header.remove(0, start);

    const qsizetype comma = header.indexOf(u',');
    const QString model = comma < 0 ? header : header.left(comma);
    for (const QString &known : knownModels()) {
        if (model.size() > known.size() && model.endsWith(known, Qt::CaseSensitive))
            return header.mid(model.size() - known.size());
    }
    return header;
}

} // namespace

QStringList knownModels()
{
    return {u"KT420"_s, u"QB7"_s, u"RW2290"_s, u"PN360"_s};
}

ConfigDump readConfigDump(const QString &line)
{
    ConfigDump dump;

    // A sign that ends its lines with CR LF leaves the CR on the last field: the user command,
    // or the ID mode of a dump that stops there, would take it in.
    QString body = line;
    while (body.endsWith(u'\r'))
        body.chop(1);
    const QStringList parts = body.split(u':');
    const QString header = cleanHeader(parts.at(0));
    const qsizetype comma = header.indexOf(u',');
    if (comma < 0) {
        dump.model = header;
    } else {
        dump.model = header.left(comma);
        dump.build = header.mid(comma + 1).section(u',', 0, 0);
    }

    // Empty data carries no fields at all, not one empty field that would read as 0.
    const QString data = parts.size() > 1 ? parts.at(1) : QString();
    const QStringList fields = data.isEmpty() ? QStringList() : data.split(u',');

    const Offsets offsets = offsetsFor(dump.model);
    for (std::size_t n = 0; n < dump.priorities.size(); ++n)
        dump.priorities[n] = readPriorityRow(fields, static_cast<qsizetype>(n) * kPriorityFields, offsets);

    dump.linksComplete = fields.size() >= kFirstLinkField + 3 * kLinkTriples;
    readLinks(fields, dump.links);

    if (kIdModeField < fields.size())
        dump.autoId = fields.at(kIdModeField) == u"1"_s;
    if (kUserCommandField < fields.size())
        dump.userCommand = fields.at(kUserCommandField);
    dump.fieldCount = fields.size();
    return dump;
}

QList<MissingPart> missingParts(const ConfigDump &dump)
{
    QList<MissingPart> missing;
    const qsizetype count = dump.fieldCount;
    for (int n = 0; n < static_cast<int>(dump.priorities.size()); ++n) {
        if (count < (n + 1) * kPriorityFields)
            missing.append({MissingPart::Kind::Priority, n});
    }
    if (count < kFirstLinkField + 3 * kLinkTriples) {
        const qsizetype whole = count > kFirstLinkField ? (count - kFirstLinkField) / 3 : 0;
        missing.append({MissingPart::Kind::Links, static_cast<int>(whole)});
    }
    if (count <= kIdModeField)
        missing.append({MissingPart::Kind::IdMode, 0});
    if (count <= kUserCommandField)
        missing.append({MissingPart::Kind::UserCommand, 0});
    return missing;
}

QString missingPartsText(const QList<MissingPart> &parts)
{
    QStringList names;
    bool plural = false;  // of a single name: "the links are missing"
    QList<int> rows;
    for (const MissingPart &part : parts) {
        if (part.kind == MissingPart::Kind::Priority)
            rows.append(part.index);
    }
    // Rows are missing from one on to the last, so they read as a range.
    if (rows.size() == 1) {
        names << u"Priority %1"_s.arg(rows.first());
    } else if (!rows.isEmpty()) {
        names << u"Priorities %1 to %2"_s.arg(rows.first()).arg(rows.last());
        plural = true;
    }
    for (const MissingPart &part : parts) {
        switch (part.kind) {
        case MissingPart::Kind::Priority:
            break;
        case MissingPart::Kind::Links:
            if (part.index == kLinkTriples - 1) {
                names << u"the last link triple"_s;
            } else {
                names << (part.index == 0 ? u"the links"_s
                                          : u"the link triples %1 to %2"_s.arg(part.index + 1).arg(kLinkTriples));
                plural = true;
            }
            break;
        case MissingPart::Kind::IdMode:
            names << u"the ID mode"_s;
            break;
        case MissingPart::Kind::UserCommand:
            names << u"the user command"_s;
            break;
        }
    }
    if (names.isEmpty())
        return {};
    QString text = names.last();
    if (names.size() > 1)
        text = names.mid(0, names.size() - 1).join(u", "_s) + u" and "_s + text;
    return text + (plural || names.size() > 1 ? u" are missing"_s : u" is missing"_s);
}

} // namespace protocol
