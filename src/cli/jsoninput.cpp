#include "cli/jsoninput.h"

#include "cli/report.h"
#include "config/signconfig.h"
#include "protocol/numbers.h"
#include "session/configsession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>
#include <limits>

namespace cli {

namespace {

// A value as it stood in the input, short enough for a message.
QString shown(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    const QString text = QString::fromUtf8(array.mid(1, array.size() - 2));
    return text.size() > 60 ? text.left(57) + QStringLiteral("...") : text;
}

// A key as it stood, quoted and escaped when it holds what would break a message's line.
QString keyText(const QString &key)
{
    const bool plain = std::all_of(key.cbegin(), key.cend(), [](QChar c) { return c.isPrint(); }) && !key.isEmpty();
    return plain ? key : shown(QJsonValue(key));
}

QString indexed(const QString &path, qsizetype index)
{
    return QStringLiteral("%1[%2]").arg(path).arg(index);
}

bool isPlaceholder(const QString &entry)
{
    return !entry.isEmpty() && entry.count(u'-') == entry.size();
}

// The first reason the input is refused is kept; everything after it is not looked at.
class Reader {
public:
    QString error;

    bool fail(const QString &path, const QString &why)
    {
        if (error.isEmpty())
            error = path + QStringLiteral(": ") + why;
        return false;
    }

    // Keys other than `known` are mistakes (a misspelt key would otherwise be left out quietly).
    bool onlyKnownKeys(const QJsonObject &object, const QString &path, const QStringList &known, const QString &what)
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!known.contains(it.key()))
                return fail(path.isEmpty() ? keyText(it.key()) : path + u'.' + keyText(it.key()),
                            QStringLiteral("unknown key; %1 takes %2").arg(what, known.join(QStringLiteral(", "))));
        }
        return true;
    }

    std::optional<int> wholeNumber(const QJsonValue &value, const QString &path, int lowest, int highest)
    {
        const double number = value.toDouble();
        if (!value.isDouble() || !std::isfinite(number) || number != std::floor(number)) {
            fail(path, QStringLiteral("%1 is no whole number").arg(shown(value)));
            return std::nullopt;
        }
        if (number < lowest || number > highest) {
            fail(path, QStringLiteral("%1 is out of range (%2 to %3)").arg(shown(value)).arg(lowest).arg(highest));
            return std::nullopt;
        }
        return int(number);
    }

    std::optional<ChoiceInput> choice(const QJsonValue &value, const QString &path)
    {
        ChoiceInput choice;
        choice.keyPath = path;
        if (value.isString()) {
            choice.label = value.toString();
        } else if (value.isDouble()) {
            choice.position = wholeNumber(value, path, 0, std::numeric_limits<qint16>::max());
            if (!choice.position)
                return std::nullopt;
        } else if (value.isObject()) {
            const QJsonObject object = value.toObject();
            if (!onlyKnownKeys(object, path, {QStringLiteral("position"), QStringLiteral("label")},
                               QStringLiteral("a list choice")))
                return std::nullopt;
            const QJsonValue position = object.value(QStringLiteral("position"));
            const QJsonValue label = object.value(QStringLiteral("label"));
            if (!position.isUndefined() && !position.isNull()) {
                choice.position = wholeNumber(position, path + QStringLiteral(".position"), 0,
                                              std::numeric_limits<qint16>::max());
                if (!choice.position)
                    return std::nullopt;
            }
            if (!label.isUndefined() && !label.isNull()) {
                if (!label.isString()) {
                    fail(path + QStringLiteral(".label"), QStringLiteral("%1 is no text").arg(shown(label)));
                    return std::nullopt;
                }
                choice.label = label.toString();
            }
            if (!choice.position && !choice.label) {
                fail(path, QStringLiteral("%1 holds neither a position nor a label").arg(shown(value)));
                return std::nullopt;
            }
        } else {
            fail(path, QStringLiteral("%1 is no list position, label or {\"position\": N}").arg(shown(value)));
            return std::nullopt;
        }
        if (choice.label && choice.label->trimmed().isEmpty()) {
            fail(path, QStringLiteral("an empty label names no entry"));
            return std::nullopt;
        }
        return choice;
    }

    std::optional<QString> timeout(const QJsonValue &value, const QString &path)
    {
        // Read's "configuration" gives the timeout as text; a number is taken as well.
        if (value.isString()) {
            if (const std::optional<qint16> number = protocol::strictInt16(value.toString()))
                return QString::number(*number);
            fail(path, QStringLiteral("%1 is no whole number from -32768 to 32767").arg(shown(value)));
            return std::nullopt;
        }
        const std::optional<int> number = wholeNumber(value, path, std::numeric_limits<qint16>::min(),
                                                      std::numeric_limits<qint16>::max());
        return number ? std::optional<QString>(QString::number(*number)) : std::nullopt;
    }

    std::optional<PriorityInput> priority(const QJsonValue &value, const QString &path)
    {
        if (!value.isObject()) {
            fail(path, QStringLiteral("%1 is no object").arg(shown(value)));
            return std::nullopt;
        }
        const QJsonObject object = value.toObject();
        QStringList known{QStringLiteral("priority")};
        for (const config::Attribute attribute : config::AllAttributes)
            known << attributeJsonName(attribute);
        known << QStringLiteral("timeout");
        if (!onlyKnownKeys(object, path, known, QStringLiteral("a priority")))
            return std::nullopt;
        PriorityInput entry;
        const QJsonValue number = object.value(QStringLiteral("priority"));
        if (number.isUndefined() || number.isNull()) {
            fail(path, QStringLiteral("no \"priority\" (0 to 4) to say which"));
            return std::nullopt;
        }
        const std::optional<int> row = wholeNumber(number, path + QStringLiteral(".priority"), 0, config::PriorityCount - 1);
        if (!row)
            return std::nullopt;
        entry.priority = *row;
        for (std::size_t k = 0; k < config::AllAttributes.size(); ++k) {
            const QString key = attributeJsonName(config::AllAttributes[k]);
            const QJsonValue given = object.value(key);
            if (given.isUndefined() || given.isNull())
                continue;
            entry.attributes[k] = choice(given, path + u'.' + key);
            if (!entry.attributes[k])
                return std::nullopt;
        }
        const QJsonValue given = object.value(QStringLiteral("timeout"));
        if (!given.isUndefined() && !given.isNull()) {
            entry.timeout = timeout(given, path + QStringLiteral(".timeout"));
            if (!entry.timeout)
                return std::nullopt;
        }
        return entry;
    }

    std::optional<QStringList> capcodes(const QJsonValue &value, const QString &path, int id)
    {
        if (!value.isArray()) {
            fail(path, QStringLiteral("%1 is no list of capcodes").arg(shown(value)));
            return std::nullopt;
        }
        QStringList list;
        const QJsonArray array = value.toArray();
        for (qsizetype k = 0; k < array.size(); ++k) {
            const QJsonValue capcode = array.at(k);
            const QString text = capcode.toString();
            const bool digits = capcode.isString() && !text.isEmpty()
                                && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
            if (!digits) {
                fail(indexed(path, k), QStringLiteral("%1 is no capcode (a text of digits)").arg(shown(capcode)));
                return std::nullopt;
            }
            // The sign takes a capcode of value 0 for no link at all.
            if (text.count(u'0') == text.size()) {
                fail(indexed(path, k), QStringLiteral("%1 is no capcode; [] removes the link").arg(shown(capcode)));
                return std::nullopt;
            }
            list << text;
        }
        if (const std::optional<QString> why = session::ConfigSession::capcodeRefusal(id, list.join(u',')))
            fail(path, why->simplified());
        return error.isEmpty() ? std::optional<QStringList>(list) : std::nullopt;
    }

    std::optional<LinkInput> link(const QJsonValue &value, const QString &path)
    {
        if (!value.isObject()) {
            fail(path, QStringLiteral("%1 is no object").arg(shown(value)));
            return std::nullopt;
        }
        const QJsonObject object = value.toObject();
        if (!onlyKnownKeys(object, path, {QStringLiteral("id"), QStringLiteral("capcodes"), QStringLiteral("priority")},
                           QStringLiteral("a link")))
            return std::nullopt;
        LinkInput entry;
        entry.keyPath = path;
        const QJsonValue id = object.value(QStringLiteral("id"));
        if (id.isUndefined() || id.isNull()) {
            fail(path, QStringLiteral("no \"id\" (0 to 7) to say which"));
            return std::nullopt;
        }
        const std::optional<int> number = wholeNumber(id, path + QStringLiteral(".id"), 0, config::LinkCount - 1);
        if (!number)
            return std::nullopt;
        entry.id = *number;
        const QJsonValue capcodes = object.value(QStringLiteral("capcodes"));
        if (!capcodes.isUndefined() && !capcodes.isNull()) {
            entry.capcodes = this->capcodes(capcodes, path + QStringLiteral(".capcodes"), entry.id);
            if (!entry.capcodes)
                return std::nullopt;
        }
        const QJsonValue priority = object.value(QStringLiteral("priority"));
        if (!priority.isUndefined() && !priority.isNull()) {
            entry.priority = wholeNumber(priority, path + QStringLiteral(".priority"), 0, config::PriorityCount - 1);
            if (!entry.priority)
                return std::nullopt;
            if (entry.capcodes && entry.capcodes->isEmpty()) {
                fail(path + QStringLiteral(".priority"), QStringLiteral("a link that capcodes [] removes has no priority"));
                return std::nullopt;
            }
        }
        return entry;
    }

    // The entries of a list, each checked by `one`; an entry that says again what an earlier
    // one said (the same priority or ID) is refused rather than one of them being dropped.
    template <typename Entry, typename One, typename Key>
    std::optional<QList<Entry>> entries(const QJsonValue &value, const QString &path, One one, Key key,
                                        const QString &keyName)
    {
        if (!value.isArray()) {
            fail(path, QStringLiteral("%1 is no list").arg(shown(value)));
            return std::nullopt;
        }
        QList<Entry> list;
        QList<int> keys;
        const QJsonArray array = value.toArray();
        for (qsizetype k = 0; k < array.size(); ++k) {
            const std::optional<Entry> entry = one(array.at(k), indexed(path, k));
            if (!entry)
                return std::nullopt;
            if (const qsizetype first = keys.indexOf(key(*entry)); first >= 0) {
                fail(indexed(path, k) + u'.' + keyName,
                     QStringLiteral("%1 is given again (first in %2)").arg(key(*entry)).arg(indexed(path, first)));
                return std::nullopt;
            }
            keys << key(*entry);
            list << *entry;
        }
        return list;
    }
};

bool sameLabel(const QString &entry, const QString &label)
{
    return entry.compare(label.trimmed(), Qt::CaseInsensitive) == 0;
}

// The position `choice` names in `list`, or why it names none.
std::optional<qint16> lookUp(const ChoiceInput &choice, const QStringList &list, const QString &model, QString *error)
{
    const QString choices = QStringLiteral("; choose one of ") + choicesText(list);
    if (choice.position) {
        const int position = *choice.position;
        if (position >= list.size()) {
            *error = QStringLiteral("%1: position %2 is not in the list of a %3%4").arg(choice.keyPath).arg(position).arg(model, choices);
            return std::nullopt;
        }
        // Both given, as read --json prints them: they must name one entry (a list may hold a
        // label twice, so the label alone is not looked up).
        if (choice.label && !sameLabel(list.at(position), *choice.label)) {
            *error = QStringLiteral("%1: position %2 is \"%3\" on a %4, not %5")
                         .arg(choice.keyPath).arg(position).arg(list.at(position), model, shown(QJsonValue(*choice.label)));
            return std::nullopt;
        }
        return qint16(position);
    }
    for (qsizetype k = 0; k < list.size(); ++k)
        if (!isPlaceholder(list.at(k)) && sameLabel(list.at(k), *choice.label))
            return qint16(k);
    *error = QStringLiteral("%1: no %2 on a %3%4").arg(choice.keyPath, shown(QJsonValue(*choice.label)), model, choices);
    return std::nullopt;
}

bool noCapcode(const QString &capcode)
{
    return capcode.count(u'0') + capcode.count(u',') == capcode.size();
}

} // namespace

JsonInput::Applied JsonInput::appliedOver(config::LedFileRecord seed, const QString &model,
                                          const config::ModelOptionSet &lists) const
{
    Applied applied;
    for (const PriorityInput &given : priorities) {
        config::PriorityDefaults &row = seed.priorities[given.priority];
        for (std::size_t k = 0; k < config::AllAttributes.size(); ++k) {
            if (!given.attributes[k])
                continue;
            const config::Attribute attribute = config::AllAttributes[k];
            const std::optional<qint16> position =
                lookUp(*given.attributes[k], config::attributeOf(lists, attribute), model, &applied.error);
            if (!position)
                return applied;
            config::attributeOf(row, attribute) = *position;
        }
        if (given.timeout)
            row.timeout = *given.timeout;
    }
    for (const LinkInput &given : links) {
        config::LinkEntry &link = seed.links[given.id];
        if (given.capcodes && given.capcodes->isEmpty())
            link = config::LinkEntry{};  // as a .led file's line without a capcode clears the row
        else if (given.capcodes)
            link.capcode = given.capcodes->join(u',');
        if (given.priority) {
            // A priority alone on an ID without a link would be sent nowhere, and the task
            // would report success for it.
            if (noCapcode(link.capcode)) {
                applied.error = QStringLiteral("%1.priority: ID %2 has no capcode on the sign; give its capcodes as well")
                                    .arg(given.keyPath).arg(given.id);
                return applied;
            }
            link.priority = qint16(*given.priority);
        }
    }
    if (autoId)
        seed.autoId = *autoId ? 1 : 0;
    applied.record = seed;
    return applied;
}

JsonInputResult parseJsonInput(const QByteArray &bytes)
{
    JsonInputResult result;
    if (bytes.size() > LargestJsonInput) {
        result.error = QStringLiteral("standard input: more than %1 bytes, far more than a configuration").arg(LargestJsonInput);
        return result;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.error = bytes.trimmed().isEmpty()
                           ? QStringLiteral("standard input: empty; give the configuration as one JSON object")
                           : QStringLiteral("standard input: no JSON: %1 near byte %2").arg(parseError.errorString()).arg(parseError.offset);
        return result;
    }
    if (!document.isObject()) {
        result.error = QStringLiteral("standard input: the configuration must be one JSON object {...}");
        return result;
    }
    const QJsonObject object = document.object();
    Reader reader;
    JsonInput input;
    // What read --json gives beside the configuration proper is taken and left alone, so
    // that its output can be given back; the user command is no part of what write sends.
    if (!reader.onlyKnownKeys(object, QString(),
                              {QStringLiteral("priorities"), QStringLiteral("links"), QStringLiteral("autoId"),
                               QStringLiteral("model"), QStringLiteral("build"), QStringLiteral("unreadable"),
                               QStringLiteral("userCommand")},
                              QStringLiteral("the configuration")))
        return {std::nullopt, reader.error};
    if (object.contains(QStringLiteral("userCommand"))) {
        reader.fail(QStringLiteral("userCommand"), QStringLiteral("%1: write does not send the user command")
                                                       .arg(shown(object.value(QStringLiteral("userCommand")))));
        return {std::nullopt, reader.error};
    }
    if (const QJsonValue value = object.value(QStringLiteral("priorities")); !value.isUndefined() && !value.isNull()) {
        const auto list = reader.entries<PriorityInput>(
            value, QStringLiteral("priorities"),
            [&reader](const QJsonValue &v, const QString &path) { return reader.priority(v, path); },
            [](const PriorityInput &p) { return p.priority; }, QStringLiteral("priority"));
        if (!list)
            return {std::nullopt, reader.error};
        input.priorities = *list;
    }
    if (const QJsonValue value = object.value(QStringLiteral("links")); !value.isUndefined() && !value.isNull()) {
        const auto list = reader.entries<LinkInput>(
            value, QStringLiteral("links"), [&reader](const QJsonValue &v, const QString &path) { return reader.link(v, path); },
            [](const LinkInput &l) { return l.id; }, QStringLiteral("id"));
        if (!list)
            return {std::nullopt, reader.error};
        input.links = *list;
    }
    if (const QJsonValue value = object.value(QStringLiteral("autoId")); !value.isUndefined() && !value.isNull()) {
        if (!value.isBool()) {
            reader.fail(QStringLiteral("autoId"), QStringLiteral("%1 is neither true nor false").arg(shown(value)));
            return {std::nullopt, reader.error};
        }
        input.autoId = value.toBool();
    }
    result.input = input;
    return result;
}

} // namespace cli
