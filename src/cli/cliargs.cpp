#include "cli/cliargs.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include <array>

namespace cli {

namespace {

struct CommandInfo {
    Command command;
    const char *name;
    const char *synopsis;
    // The options it takes besides --port and --json.
    QStringList options;
};

const std::array<CommandInfo, 8> &commands()
{
    static const std::array<CommandInfo, 8> list{{
        {Command::Ports, "ports", "ports", {}},
        {Command::Read, "read", "read --port P [-o FILE.led]", {QStringLiteral("output")}},
        {Command::Write, "write",
         "write (FILE.led | --json-input) --port P [--force] [--verify] [--check] [--backup FILE.led]",
         {QStringLiteral("force"), QStringLiteral("verify"), QStringLiteral("check"), QStringLiteral("backup"),
          QStringLiteral("json-input")}},
        {Command::Diff, "diff", "diff FILE.led (--port P | FILE2.led)", {}},
        {Command::SetClock, "set-clock", "set-clock --port P", {}},
        {Command::DefaultMessage, "default-message",
         "default-message --port P [--set TEXT ...] [--font F] [--color C] [--check]",
         {QStringLiteral("set"), QStringLiteral("font"), QStringLiteral("color"), QStringLiteral("check")}},
        {Command::Send, "send", "send --port P TEXT [--font F] [--color C]",
         {QStringLiteral("font"), QStringLiteral("color")}},
        {Command::FactoryDefaults, "factory-defaults", "factory-defaults --port P --yes", {QStringLiteral("yes")}},
    }};
    return list;
}

const CommandInfo *findCommand(const QString &name)
{
    for (const CommandInfo &info : commands()) {
        if (name == QLatin1String(info.name))
            return &info;
    }
    return nullptr;
}

const QString ExitCodesText = QStringLiteral(
    "Exit status (with several signs, the highest of them):\n"
    "  0  done\n"
    "  1  differences found, verify failed, the sign refused an item, or (with --check)\n"
    "     something would be sent\n"
    "  2  usage error\n"
    "  3  the port could not be opened, or failed on the way\n"
    "  4  the sign did not answer, or its answer was incomplete\n"
    "  5  file or input error (missing, unreadable or bad .led file, named with its line; JSON input\n"
    "     refused, named with its key; output or backup file not written): nothing is sent\n");

const QString JsonInputText = QStringLiteral(
    "write --json-input takes one JSON object on standard input, shaped as the \"configuration\"\n"
    "of read --json; every part may be left out, and only what is given is compared and sent:\n"
    "  {\"priorities\": [{\"priority\": 2, \"timeout\": 30, \"color\": \"Red\", \"font\": {\"position\": 1}}],\n"
    "   \"links\": [{\"id\": 5, \"capcodes\": [\"1234567\"], \"priority\": 3}], \"autoId\": true}\n"
    "A list choice (font, style, color, speed, alignment, pause, beep) is a position, a label as the\n"
    "window lists it for the sign's model (any letter case), or {\"position\": N} / {\"label\": \"...\"}.\n"
    "\"capcodes\": [] removes a link. \"model\", \"build\" and \"unreadable\" are ignored; \"userCommand\"\n"
    "is refused. A key, type or number that is wrong stops before any port opens; a label the\n"
    "sign's model lacks stops after the read. Either way nothing is sent (exit status 5).\n\n");

struct ParserSetup {
    QCommandLineParser parser;
    ParserSetup()
    {
        parser.setApplicationDescription(QStringLiteral("Reads and writes the configuration of LED message signs."));
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({
            {{QStringLiteral("p"), QStringLiteral("port")},
             QStringLiteral("The sign: a COM number (COM3 or 3) through the port map, a device path, or "
                            "tcp://HOST:PORT / rfc2217://HOST:PORT. Give it once per sign."),
             QStringLiteral("P")},
            {{QStringLiteral("o"), QStringLiteral("output")},
             QStringLiteral("read: write the configuration to this .led file ({port} stands for the sign)."),
             QStringLiteral("FILE.led")},
            {QStringLiteral("json"), QStringLiteral("One JSON object per sign, one a line.")},
            {QStringLiteral("force"), QStringLiteral("write: send every item, not only those that differ, also when "
                                                     "the sign's answer was incomplete.")},
            {QStringLiteral("verify"), QStringLiteral("write: read the sign back and compare.")},
            {QStringLiteral("check"),
             QStringLiteral("write, default-message: read the sign and say what would be sent, but send nothing "
                            "(exit status 1 when something would be sent). --verify and --backup then do nothing.")},
            {QStringLiteral("backup"),
             QStringLiteral("write: save the configuration just read to this .led file before anything is sent, "
                            "also when nothing is ({port} stands for the sign)."),
             QStringLiteral("FILE.led")},
            {QStringLiteral("json-input"),
             QStringLiteral("write: the configuration as one JSON object on standard input instead of a file "
                            "(see below).")},
            {QStringLiteral("yes"), QStringLiteral("factory-defaults: confirm.")},
            {QStringLiteral("set"),
             QStringLiteral("default-message: the new message, one option a line ($T0..$T7: date and time "
                            "fields; an empty text removes the message)."),
             QStringLiteral("TEXT")},
            {QStringLiteral("font"), QStringLiteral("send, default-message: the font, by name or list position."),
             QStringLiteral("F")},
            {QStringLiteral("color"), QStringLiteral("send, default-message: the colour, by name or list position."),
             QStringLiteral("C")},
        });
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do (see below)."));
    }
};

Parsed usage(const QString &why)
{
    Parsed parsed;
    parsed.outcome = Parsed::Outcome::Usage;
    parsed.text = why;
    return parsed;
}

} // namespace

QString commandName(Command command)
{
    for (const CommandInfo &info : commands()) {
        if (info.command == command)
            return QString::fromLatin1(info.name);
    }
    return {};
}

QString usageText()
{
    QString text = QStringLiteral("Usage:\n");
    for (const CommandInfo &info : commands())
        text += QStringLiteral("  signconfig-cli ") + QString::fromLatin1(info.synopsis) + u'\n';
    return text + QStringLiteral("Options and exit status: signconfig-cli --help\n");
}

QString helpText()
{
    ParserSetup setup;
    QString text = setup.parser.helpText();
    text += QStringLiteral("\nCommands:\n");
    for (const CommandInfo &info : commands())
        text += QStringLiteral("  ") + QString::fromLatin1(info.synopsis) + u'\n';
    text += QStringLiteral("\nEvery command but ports takes --port several times: the signs are served at the same\n"
                           "time, and each gets one result line (or JSON object) on standard output.\n\n");
    return text + JsonInputText + ExitCodesText;
}

signlink::PortMap PortSpec::portMap() const
{
    return direct ? signlink::PortMap::pinned(*direct) : signlink::PortMap();
}

QString PortSpec::label() const
{
    if (!direct)
        return QStringLiteral("COM%1").arg(comNumber);
    return direct->kind == signlink::PortEntry::Kind::Network ? direct->address.text() : direct->device;
}

QString PortSpec::fileNamePart() const
{
    QString part = direct && direct->kind == signlink::PortEntry::Kind::Device ? QFileInfo(direct->device).fileName()
                                                                               : label();
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]+"));
    part.replace(QStringLiteral("://"), QStringLiteral("-"));
    part.replace(unsafe, QStringLiteral("-"));
    return part;
}

std::optional<PortSpec> parsePortSpec(const QString &text, QString *problem)
{
    PortSpec spec;
    spec.given = text;
    const QString trimmed = text.trimmed();
    if (trimmed.contains(QStringLiteral("://"))) {
        QString why;
        const std::optional<signlink::NetworkAddress> address = signlink::parseNetworkAddress(trimmed, &why);
        if (!address) {
            *problem = QStringLiteral("--port %1: %2").arg(text, why);
            return std::nullopt;
        }
        signlink::PortEntry entry;
        entry.kind = signlink::PortEntry::Kind::Network;
        entry.address = *address;
        spec.direct = entry;
        return spec;
    }
    if (trimmed.contains(u'/')) {
        spec.direct = signlink::PortEntry::deviceAt(trimmed);
        return spec;
    }
    static const QRegularExpression comNumber(QStringLiteral("^(?:COM\\s*)?(\\d{1,3})$"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comNumber.match(trimmed);
    const int number = match.hasMatch() ? match.captured(1).toInt() : 0;
    if (number < signlink::PortMap::FirstPort || number > signlink::PortMap::LastPort) {
        *problem = QStringLiteral("--port %1: give COM1 to COM12 (or 1 to 12), a device path such as /dev/ttyUSB0, "
                                  "or tcp://HOST:PORT")
                       .arg(text);
        return std::nullopt;
    }
    spec.comNumber = number;
    return spec;
}

Parsed parseArguments(const QStringList &arguments)
{
    ParserSetup setup;
    QCommandLineParser &parser = setup.parser;
    if (!parser.parse(QStringList{QStringLiteral("signconfig-cli")} + arguments))
        return usage(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        Parsed parsed;
        parsed.outcome = Parsed::Outcome::Help;
        parsed.text = helpText();
        return parsed;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Parsed parsed;
        parsed.outcome = Parsed::Outcome::Version;
        return parsed;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usage(QStringLiteral("No command given."));
    const QString name = positional.takeFirst();
    const CommandInfo *info = findCommand(name);
    if (!info)
        return usage(QStringLiteral("Unknown command \"%1\".").arg(name));

    // An option another command takes is a mistake here, not something to ignore quietly.
    static const QStringList specific{QStringLiteral("output"), QStringLiteral("force"),  QStringLiteral("verify"),
                                      QStringLiteral("yes"),    QStringLiteral("set"),    QStringLiteral("font"),
                                      QStringLiteral("color"),  QStringLiteral("check"),  QStringLiteral("backup"),
                                      QStringLiteral("json-input")};
    for (const QString &option : specific) {
        if (parser.isSet(option) && !info->options.contains(option))
            return usage(QStringLiteral("--%1 is not an option of %2.").arg(option, name));
    }

    Parsed parsed;
    Options &o = parsed.options;
    o.command = info->command;
    o.json = parser.isSet(QStringLiteral("json"));
    o.force = parser.isSet(QStringLiteral("force"));
    o.verify = parser.isSet(QStringLiteral("verify"));
    o.yes = parser.isSet(QStringLiteral("yes"));
    o.check = parser.isSet(QStringLiteral("check"));
    o.jsonInput = parser.isSet(QStringLiteral("json-input"));
    o.backup = parser.value(QStringLiteral("backup"));
    o.output = parser.value(QStringLiteral("output"));
    o.setMessage = parser.isSet(QStringLiteral("set"));
    o.messageLines = parser.values(QStringLiteral("set"));
    o.font = parser.value(QStringLiteral("font"));
    o.color = parser.value(QStringLiteral("color"));
    for (const QString &given : parser.values(QStringLiteral("port"))) {
        QString problem;
        const std::optional<PortSpec> spec = parsePortSpec(given, &problem);
        if (!spec)
            return usage(problem);
        o.ports.append(*spec);
    }

    // The positional arguments each command takes after its name.
    qsizetype fewest = 0, most = 0;
    switch (o.command) {
    case Command::Write: fewest = most = o.jsonInput ? 0 : 1; break;
    case Command::Diff: fewest = 1; most = 2; break;
    case Command::Send: fewest = most = 1; break;
    default: break;
    }
    if (positional.size() < fewest)
        return usage(QStringLiteral("%1 needs %2.").arg(name, o.command == Command::Send    ? QStringLiteral("the message text")
                                                              : o.command == Command::Write ? QStringLiteral("a .led file or --json-input")
                                                                                            : QStringLiteral("a .led file")));
    if (o.jsonInput && !positional.isEmpty())
        return usage(QStringLiteral("write takes a .led file or --json-input, not both."));
    if (positional.size() > most)
        return usage(QStringLiteral("Unexpected argument \"%1\" for %2.").arg(positional.at(most), name));
    if (o.command == Command::Send)
        o.text = positional.value(0);
    else
        o.file = positional.value(0);
    o.otherFile = positional.value(1);

    if (o.command == Command::Ports) {
        if (!o.ports.isEmpty())
            return usage(QStringLiteral("ports takes no --port."));
    } else if (o.command == Command::Diff && !o.otherFile.isEmpty()) {
        if (!o.ports.isEmpty())
            return usage(QStringLiteral("diff compares a file with a sign (--port) or with another file, not both."));
    } else if (o.ports.isEmpty()) {
        return usage(QStringLiteral("%1 needs --port.").arg(name));
    }
    if (o.command == Command::FactoryDefaults && !o.yes)
        return usage(QStringLiteral("factory-defaults erases the sign's configuration: confirm with --yes."));
    if (o.command == Command::Read && o.ports.size() > 1 && !o.output.isEmpty()
        && !o.output.contains(QStringLiteral("{port}")))
        return usage(QStringLiteral("With several signs, -o must hold {port}, which names each sign's file."));
    if (o.command == Command::Write && o.ports.size() > 1 && !o.backup.isEmpty()
        && !o.backup.contains(QStringLiteral("{port}")))
        return usage(QStringLiteral("With several signs, --backup must hold {port}, which names each sign's file."));
    if (parser.isSet(QStringLiteral("backup")) && o.backup.isEmpty())
        return usage(QStringLiteral("--backup needs a file name."));
    parsed.outcome = Parsed::Outcome::Run;
    return parsed;
}

} // namespace cli
