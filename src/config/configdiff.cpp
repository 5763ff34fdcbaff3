#include "config/configdiff.h"

#include "protocol/defaultmessage.h"
#include "protocol/numbers.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace config {

// ---- The two sides ----

ComparedConfig comparedFromDump(const protocol::ConfigDump &dump)
{
    ComparedConfig sign;
    for (int n = 0; n < PriorityCount; ++n) {
        const protocol::DumpPriorityRow &in = dump.priorities[n];
        ComparedPriority &row = sign.priorities[n];
        for (const Attribute attribute : AllAttributes)
            attributeOf(row, attribute) = attributeOf(in, attribute);
        if (in.timeout)
            row.timeout = QString::number(*in.timeout);
    }
    if (dump.linksComplete) {
        for (int i = 0; i < LinkCount; ++i) {
            const protocol::DumpLinkRow &in = dump.links[i];
            // A triple whose priority is 5 or more links the capcode to no priority the tool has.
            sign.links[i] = in.named ? LinkEntry{in.capcode, in.priority.value_or(qint16(-1))} : LinkEntry{};
        }
    }
    sign.autoId = dump.autoId;
    sign.userCommand = dump.userCommand;
    return sign;
}

ComparedConfig comparedFromValues(const ConfigValues &values, std::optional<ComparedDefaultMessage> defaultMessage)
{
    ComparedConfig here;
    for (int n = 0; n < PriorityCount; ++n) {
        const PriorityDefaults &in = values.priorities[n];
        ComparedPriority &row = here.priorities[n];
        for (const Attribute attribute : AllAttributes)
            attributeOf(row, attribute) = attributeOf(in, attribute);
        row.timeout = in.timeout;
    }
    for (int i = 0; i < LinkCount; ++i)
        here.links[i] = values.links[i];
    here.autoId = values.autoId == 1;  // the upload sends "<id=auto>" for 1 only
    here.userCommand = values.userCommand;
    here.defaultMessage = std::move(defaultMessage);
    return here;
}

ComparedConfig comparedFromLedFile(const LedFileRecord &record)
{
    ConfigValues values;
    values.priorities = record.priorities;
    values.links = record.links;
    values.autoId = record.autoId;
    ComparedConfig here = comparedFromValues(
        values, ComparedDefaultMessage{record.DefMsg, record.DefFont, record.DefColor, record.DefStyle, record.DefAlign,
                                       record.DefSpeed, record.DefPause});
    here.userCommand.reset();
    return here;
}

ComparedDefaultMessage defaultMessageOf(const SignConfig &config)
{
    return {config.DefMsg,   config.DefFont,  config.DefColor, config.DefStyle,
            config.DefAlign, config.DefSpeed, config.DefPause};
}

// ---- The sentence ----

namespace {

QString subjectOf(const ConfigDifference &d)
{
    switch (d.item) {
    case ConfigItem::Priority:
        return u"Priority %1 %2"_s.arg(d.index).arg(d.field == ConfigField::Timeout ? u"Timeout"_s
                                                                                    : attributeCaption(d.attribute));
    case ConfigItem::Link: return u"ID %1"_s.arg(d.index);
    case ConfigItem::IdMode: return u"ID mode"_s;
    case ConfigItem::UserCommand: return u"User command"_s;
    case ConfigItem::DefaultMessage:
        return d.field == ConfigField::MessageText ? u"Default message"_s
                                                   : u"Default message "_s + attributeCaption(d.attribute);
    }
    return {};
}

}  // namespace

QString ConfigDifference::text() const
{
    // A bare capcode says little on its own; the word goes before the first value.
    const QString prefix = field == ConfigField::Capcode ? u"capcode "_s : QString();
    const QString signPart = onSign ? *onSign + u" on the sign"_s : u"not read from the sign"_s;
    return subjectOf(*this) + u": "_s + prefix + signPart + u", "_s + here + u" here"_s;
}

// ---- The comparison ----

namespace {

QString quoted(const QString &text) { return u'"' + text + u'"'; }

QString positionLabel(const QStringList &labels, qint16 position)
{
    if (position == -1)
        return u"none"_s;
    if (position < 0 || position >= labels.size())
        return QString::number(position);
    return labels.at(position);
}

// The two labels of a pair of positions, made tell-apart where the lists repeat a label or
// hold placeholders: "Red (0)" against "Red (1)".
std::pair<QString, QString> positionLabels(const QStringList &labels, qint16 sign, qint16 here)
{
    QString a = positionLabel(labels, sign);
    QString b = positionLabel(labels, here);
    if (a == b) {
        a += u" (%1)"_s.arg(sign);
        b += u" (%1)"_s.arg(here);
    }
    return {a, b};
}

// No link as the upload sees it: a capcode that reads as the number 0 is removed, not sent.
bool isLink(const QString &capcode) { return protocol::leadingNumber(capcode) != 0; }

QString capcodeShown(const QString &capcode) { return isLink(capcode) ? capcode : u"none"_s; }

class Collector {
public:
    Collector(ConfigItem item, int index, QList<ConfigDifference> &out) : m_item(item), m_index(index), m_out(out) {}

    void add(ConfigField field, std::optional<QString> onSign, QString here, Attribute attribute = Attribute::Font)
    {
        m_out.append({m_item, m_index, field, attribute, std::move(onSign), std::move(here)});
    }

    void notRead(ConfigField field, QString here, Attribute attribute = Attribute::Font)
    {
        add(field, std::nullopt, std::move(here), attribute);
    }

    // A list position: compared exactly, named by its label.
    void list(Attribute attribute, const QStringList &labels, std::optional<qint16> sign, std::optional<qint16> here)
    {
        if (!here)
            return;
        if (!sign) {
            notRead(ConfigField::Attribute, positionLabel(labels, *here), attribute);
        } else if (*sign != *here) {
            auto [a, b] = positionLabels(labels, *sign, *here);
            add(ConfigField::Attribute, std::move(a), std::move(b), attribute);
        }
    }

    // Plain text, compared exactly and shown quoted.
    void text(ConfigField field, const std::optional<QString> &sign, const std::optional<QString> &here)
    {
        if (!here)
            return;
        if (!sign)
            notRead(field, quoted(*here));
        else if (*sign != *here)
            add(field, quoted(*sign), quoted(*here));
    }

private:
    ConfigItem m_item;
    int m_index;
    QList<ConfigDifference> &m_out;
};

// The timeout the way the sign takes it: a whole number. A text that is none cannot be told
// equal to a number, only to the very same text.
void compareTimeout(Collector &c, const std::optional<QString> &sign, const std::optional<QString> &here)
{
    if (!here)
        return;
    const auto shown = [](const QString &text, std::optional<qint16> number) {
        return number ? QString::number(*number) : quoted(text);
    };
    const std::optional<qint16> hereNumber = protocol::strictInt16(*here);
    if (!sign) {
        c.notRead(ConfigField::Timeout, shown(*here, hereNumber));
        return;
    }
    const std::optional<qint16> signNumber = protocol::strictInt16(*sign);
    const bool equal = signNumber && hereNumber ? *signNumber == *hereNumber : *sign == *here;
    if (!equal)
        c.add(ConfigField::Timeout, shown(*sign, signNumber), shown(*here, hereNumber));
}

void compareLink(Collector &c, const std::optional<LinkEntry> &sign, const std::optional<LinkEntry> &here,
                 const QStringList &priorityLabels)
{
    if (!here)
        return;
    const bool hereLinked = isLink(here->capcode);
    const bool priorityMeant = hereLinked && here->priority != -1;
    if (!sign) {
        c.notRead(ConfigField::Capcode, capcodeShown(here->capcode));
        if (priorityMeant)
            c.notRead(ConfigField::LinkPriority, positionLabel(priorityLabels, here->priority));
        return;
    }
    const bool signLinked = isLink(sign->capcode);
    if (signLinked != hereLinked || (hereLinked && sign->capcode != here->capcode))
        c.add(ConfigField::Capcode, capcodeShown(sign->capcode), capcodeShown(here->capcode));
    if (signLinked && priorityMeant && sign->priority != here->priority) {
        auto [a, b] = positionLabels(priorityLabels, sign->priority, here->priority);
        c.add(ConfigField::LinkPriority, std::move(a), std::move(b));
    }
}

// The six values of the default message, in the order the main window keeps them.
constexpr std::pair<Attribute, qint16 ComparedDefaultMessage::*> DefaultMessageLists[] = {
    {Attribute::Font, &ComparedDefaultMessage::font},   {Attribute::Color, &ComparedDefaultMessage::color},
    {Attribute::Style, &ComparedDefaultMessage::style}, {Attribute::Alignment, &ComparedDefaultMessage::alignment},
    {Attribute::Speed, &ComparedDefaultMessage::speed}, {Attribute::Pause, &ComparedDefaultMessage::pause},
};

void compareDefaultMessage(Collector &c, const ComparedDefaultMessage &sign, const ComparedDefaultMessage &here,
                           const ModelOptionSet &lists)
{
    // Either form of a line break or time field reaches the sign as the same code.
    const auto signForm = [](const QString &text) {
        return protocol::encodeForSign(protocol::decodeStoredMessage(text));
    };
    c.text(ConfigField::MessageText, signForm(sign.text), signForm(here.text));
    for (const auto &[attribute, member] : DefaultMessageLists)
        c.list(attribute, attributeOf(lists, attribute), sign.*member, here.*member);
}

}  // namespace

ComparisonLists comparisonLists(const QString &model)
{
    return {SelectOptionSet(model, OptionWindow::Main), SelectOptionSet(model, OptionWindow::DefaultMessage)};
}

QList<ConfigDifference> compareConfigurations(const ComparedConfig &sign, const ComparedConfig &here,
                                              const ComparisonLists &lists)
{
    QList<ConfigDifference> out;
    for (int n = 0; n < PriorityCount; ++n) {
        Collector c(ConfigItem::Priority, n, out);
        const ComparedPriority &s = sign.priorities[n];
        const ComparedPriority &h = here.priorities[n];
        for (const Attribute attribute : AllAttributes)
            c.list(attribute, attributeOf(lists.priorities, attribute), attributeOf(s, attribute),
                   attributeOf(h, attribute));
        compareTimeout(c, s.timeout, h.timeout);
    }

    const QStringList priorityLabels = linkPriorityLabels();
    for (int i = 0; i < LinkCount; ++i) {
        Collector c(ConfigItem::Link, i, out);
        compareLink(c, sign.links[i], here.links[i], priorityLabels);
    }

    if (here.autoId) {
        Collector c(ConfigItem::IdMode, -1, out);
        const auto mode = [](bool autoId) { return autoId ? u"Auto"_s : u"User"_s; };
        if (!sign.autoId)
            c.notRead(ConfigField::IdMode, mode(*here.autoId));
        else if (*sign.autoId != *here.autoId)
            c.add(ConfigField::IdMode, mode(*sign.autoId), mode(*here.autoId));
    }

    Collector(ConfigItem::UserCommand, -1, out).text(ConfigField::UserCommand, sign.userCommand, here.userCommand);

    if (sign.defaultMessage && here.defaultMessage) {
        Collector c(ConfigItem::DefaultMessage, -1, out);
        compareDefaultMessage(c, *sign.defaultMessage, *here.defaultMessage, lists.defaultMessage);
    }
    return out;
}

QList<ConfigDifference> differencesFromSign(const protocol::ConfigDump &dump, const ComparedConfig &here)
{
    return compareConfigurations(comparedFromDump(dump), here, comparisonLists(dump.model));
}

ChangeFlags flagsFor(const QList<ConfigDifference> &differences)
{
    ChangeFlags flags;
    for (const ConfigDifference &d : differences) {
        switch (d.item) {
        case ConfigItem::Priority:
            if (d.index >= 0 && d.index < PriorityCount)
                flags.setItem(d.index, true);
            break;
        case ConfigItem::Link:
            if (d.index >= 0 && d.index < LinkCount)
                flags.setItem(FirstLinkItem + d.index, true);
            break;
        case ConfigItem::IdMode: flags.setItem(IdModeItem, true); break;
        case ConfigItem::UserCommand: flags.setItem(UserCommandItem, true); break;
        case ConfigItem::DefaultMessage: break;
        }
    }
    return flags;
}

}  // namespace config
