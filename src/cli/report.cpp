#include "cli/report.h"

#include "config/attribute.h"
#include "config/catalogue.h"

namespace cli {

QString attributeJsonName(config::Attribute attribute)
{
    switch (attribute) {
    case config::Attribute::Font: return QStringLiteral("font");
    case config::Attribute::Style: return QStringLiteral("style");
    case config::Attribute::Color: return QStringLiteral("color");
    case config::Attribute::Speed: return QStringLiteral("speed");
    case config::Attribute::Alignment: return QStringLiteral("alignment");
    case config::Attribute::Pause: return QStringLiteral("pause");
    case config::Attribute::Beep: return QStringLiteral("beep");
    }
    return {};
}

QString choicesText(const QStringList &list)
{
    QStringList entries;
    for (qsizetype k = 0; k < list.size(); ++k)
        entries << QStringLiteral("%1 %2").arg(k).arg(list.at(k));
    return entries.join(QStringLiteral(", "));
}

namespace {

QString labelOf(const QStringList &list, qint16 position)
{
    return position >= 0 && position < list.size() ? list.at(position) : QString();
}

QJsonValue optionalText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QString itemName(config::ConfigItem item)
{
    switch (item) {
    case config::ConfigItem::Priority: return QStringLiteral("priority");
    case config::ConfigItem::Link: return QStringLiteral("link");
    case config::ConfigItem::IdMode: return QStringLiteral("idMode");
    case config::ConfigItem::UserCommand: return QStringLiteral("userCommand");
    case config::ConfigItem::DefaultMessage: return QStringLiteral("defaultMessage");
    }
    return {};
}

QString fieldName(const config::ConfigDifference &d)
{
    switch (d.field) {
    case config::ConfigField::Attribute: return attributeJsonName(d.attribute);
    case config::ConfigField::Timeout: return QStringLiteral("timeout");
    case config::ConfigField::Capcode: return QStringLiteral("capcode");
    case config::ConfigField::LinkPriority: return QStringLiteral("priority");
    case config::ConfigField::IdMode: return QStringLiteral("idMode");
    case config::ConfigField::UserCommand: return QStringLiteral("userCommand");
    case config::ConfigField::MessageText: return QStringLiteral("text");
    }
    return {};
}

} // namespace

QJsonObject configurationJson(const ConfigurationView &view)
{
    const config::ModelOptionSet lists = config::SelectOptionSet(view.model, config::OptionWindow::Main);
    QJsonArray priorities;
    for (int n = 0; n < config::PriorityCount; ++n) {
        const config::PriorityDefaults &row = view.values.priorities[n];
        QJsonObject object{{QStringLiteral("priority"), n}};
        for (const config::Attribute attribute : config::AllAttributes) {
            const qint16 position = config::attributeOf(row, attribute);
            const QString label = labelOf(config::attributeOf(lists, attribute), position);
            object.insert(attributeJsonName(attribute),
                          QJsonObject{{QStringLiteral("position"), position},
                                      {QStringLiteral("label"), label.isEmpty() ? QJsonValue() : QJsonValue(label)}});
        }
        object.insert(QStringLiteral("timeout"), row.timeout);
        priorities.append(object);
    }
    QJsonArray links;
    for (int i = 0; i < config::LinkCount; ++i) {
        const config::LinkEntry &link = view.values.links[i];
        QJsonArray capcodes;
        for (const QString &capcode : link.capcode.split(u',', Qt::SkipEmptyParts))
            capcodes.append(capcode);
        links.append(QJsonObject{{QStringLiteral("id"), i},
                                 {QStringLiteral("capcodes"), capcodes},
                                 {QStringLiteral("priority"), link.priority < 0 ? QJsonValue() : QJsonValue(link.priority)}});
    }
    return {{QStringLiteral("model"), view.model},
            {QStringLiteral("build"), optionalText(view.build)},
            {QStringLiteral("priorities"), priorities},
            {QStringLiteral("links"), links},
            {QStringLiteral("autoId"), view.values.autoId == 1},
            {QStringLiteral("userCommand"), view.values.userCommand},
            {QStringLiteral("unreadable"), QJsonArray::fromStringList(view.unreadable)}};
}

QStringList configurationLines(const ConfigurationView &view)
{
    const config::ModelOptionSet lists = config::SelectOptionSet(view.model, config::OptionWindow::Main);
    QStringList lines;
    for (int n = 0; n < config::PriorityCount; ++n) {
        const config::PriorityDefaults &row = view.values.priorities[n];
        QStringList fields;
        for (const config::Attribute attribute : config::AllAttributes) {
            const qint16 position = config::attributeOf(row, attribute);
            const QString label = labelOf(config::attributeOf(lists, attribute), position);
            fields << config::attributeCaption(attribute) + u' ' + (label.isEmpty() ? QStringLiteral("none") : label);
        }
        fields << QStringLiteral("Timeout ") + row.timeout;
        lines << QStringLiteral("  Priority %1: %2").arg(n).arg(fields.join(QStringLiteral(", ")));
    }
    for (int i = 0; i < config::LinkCount; ++i) {
        const config::LinkEntry &link = view.values.links[i];
        if (link.capcode.isEmpty())
            lines << QStringLiteral("  ID %1: no link").arg(i);
        else if (link.priority < 0)
            lines << QStringLiteral("  ID %1: capcode %2").arg(i).arg(link.capcode);
        else
            lines << QStringLiteral("  ID %1: capcode %2, Priority %3").arg(i).arg(link.capcode).arg(link.priority);
    }
    lines << QStringLiteral("  ID mode: %1").arg(view.values.autoId == 1 ? QStringLiteral("auto") : QStringLiteral("user"));
    lines << QStringLiteral("  User command: \"%1\"").arg(view.values.userCommand);
    if (!view.unreadable.isEmpty())
        lines << QStringLiteral("  Not in the model's lists: %1").arg(view.unreadable.join(QStringLiteral(", ")));
    return lines;
}

QJsonObject differenceJson(const config::ConfigDifference &d)
{
    return {{QStringLiteral("item"), itemName(d.item)},
            {QStringLiteral("index"), d.index < 0 ? QJsonValue() : QJsonValue(d.index)},
            {QStringLiteral("field"), fieldName(d)},
            {QStringLiteral("onSign"), optionalText(d.onSign)},
            {QStringLiteral("here"), d.here},
            {QStringLiteral("text"), d.text()}};
}

QJsonArray differencesJson(const QList<config::ConfigDifference> &differences)
{
    QJsonArray array;
    for (const config::ConfigDifference &d : differences)
        array.append(differenceJson(d));
    return array;
}

QString differenceText(const config::ConfigDifference &d, const QString &signSide, const QString &hereSide)
{
    // The comparison words its sentences for a sign and a window; the subject before the first
    // ": " is the same whoever the two sides are.
    const QString subject = d.text().section(QStringLiteral(": "), 0, 0);
    const QString prefix = d.field == config::ConfigField::Capcode ? QStringLiteral("capcode ") : QString();
    const QString signPart = d.onSign ? *d.onSign + u' ' + signSide : QStringLiteral("not read ") + signSide;
    return subject + QStringLiteral(": ") + prefix + signPart + QStringLiteral(", ") + d.here + u' ' + hereSide;
}

namespace {

// Whether a network entry's traffic is encrypted, and the note when it travels readable to
// another machine; nothing for a device.
void addNetworkSecurity(QJsonObject &object, const signlink::ComPortInfo &e)
{
    if (!e.networkAddress)
        return;
    const QString note = signlink::plainTextNote(*e.networkAddress);
    object.insert(QStringLiteral("encrypted"), e.networkAddress->tls.has_value());
    object.insert(QStringLiteral("note"), note.isEmpty() ? QJsonValue() : QJsonValue(note));
}

} // namespace

QJsonArray missingJson(const QList<protocol::MissingPart> &missing)
{
    QJsonArray parts;
    for (const protocol::MissingPart &part : missing) {
        config::ConfigItem item = config::ConfigItem::Priority;
        switch (part.kind) {
        case protocol::MissingPart::Kind::Priority: item = config::ConfigItem::Priority; break;
        // Which IDs the lost triples named cannot be known: the links have no index.
        case protocol::MissingPart::Kind::Links: item = config::ConfigItem::Link; break;
        case protocol::MissingPart::Kind::IdMode: item = config::ConfigItem::IdMode; break;
        case protocol::MissingPart::Kind::UserCommand: item = config::ConfigItem::UserCommand; break;
        }
        const bool indexed = part.kind == protocol::MissingPart::Kind::Priority;
        parts.append(QJsonObject{{QStringLiteral("item"), itemName(item)},
                                 {QStringLiteral("index"), indexed ? QJsonValue(part.index) : QJsonValue()}});
    }
    return parts;
}

QJsonObject defaultMessageJson(const protocol::DefaultMessageCodes &c, const QString &text)
{
    return {{QStringLiteral("text"), protocol::encodeForSign(text)},
            {QStringLiteral("font"), c.font},
            {QStringLiteral("color"), c.color},
            {QStringLiteral("style"), c.style},
            {QStringLiteral("alignment"), c.align},
            {QStringLiteral("speed"), c.speed},
            {QStringLiteral("pause"), c.pause}};
}

QJsonObject portJson(const signlink::ComPortInfo &e)
{
    using Kind = signlink::PortEntry::Kind;
    const QString kind = e.kind == Kind::Device    ? QStringLiteral("device")
                         : e.kind == Kind::Network ? QStringLiteral("network")
                                                   : QStringLiteral("invalid");
    const auto textOrNull = [](const QString &text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); };
    const QString device = e.networkAddress ? e.networkAddress->text() : e.devicePath;
    QJsonObject object {{QStringLiteral("port"), QStringLiteral("COM%1").arg(e.comNumber)},
            {QStringLiteral("com"), e.comNumber},
            {QStringLiteral("kind"), kind},
            {QStringLiteral("mapped"), e.mapped},
            {QStringLiteral("device"), textOrNull(device)},
            {QStringLiteral("byId"), textOrNull(e.byIdPath)},
            {QStringLiteral("exists"), e.kind == Kind::Network || e.present},
            {QStringLiteral("problem"), textOrNull(e.problem)},
            {QStringLiteral("description"), textOrNull(e.description)},
            {QStringLiteral("manufacturer"), textOrNull(e.manufacturer)},
            {QStringLiteral("serialNumber"), textOrNull(e.serialNumber)},
            {QStringLiteral("vidPid"), textOrNull(e.vendorProductText())}};
    addNetworkSecurity(object, e);
    return object;
}

} // namespace cli
