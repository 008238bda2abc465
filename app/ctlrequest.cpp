#include "ctlrequest.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>

namespace ctl {

namespace {

Parsed usage(const QString& error)
{
    Parsed parsed;
    parsed.kind = Parsed::UsageError;
    parsed.error = error;
    return parsed;
}

// Plain decimal, no sign, no spaces: "010" is 10, "1e3" is refused.
std::optional<int> number(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,4}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

// The arguments after the command's words, counted.
bool takes(const QStringList& words, int count, int optional = 0)
{
    return words.size() >= count && words.size() <= count + optional;
}

Parsed parseWords(const QStringList& arguments);

} // namespace

QString usageText()
{
    return QStringLiteral(
        "Usage: kestrel-orbit-ctl [--json] COMMAND [ARGUMENTS]\n"
        "Changes the mouse's everyday settings from scripts and desktop shortcuts.\n"
        "While the Kestrel Orbit program runs, the command goes to it and it carries it\n"
        "out as the matching clicks would; otherwise the command does the work itself.\n"
        "\n"
        "Commands:\n"
        "  status                      whether the mouse is connected, its family, gun\n"
        "                              flag, active profile, DPI stage and report rate\n"
        "  profile list                the profiles (number, name), the active one marked *\n"
        "  profile switch PROFILE      activates a profile (a name or a number), as the\n"
        "                              title bar's list does, and sends its settings\n"
        "  profile export NUMBER FILE  writes profile NUMBER to FILE, as Export does\n"
        "  profile import FILE [NAME]  adds FILE as a new profile, as Import does\n"
        "  rate 125|250|500|1000       the report rate in Hz, stored in the active profile\n"
        "  dpi-stage N                 the DPI stage the mouse uses now (1 to the stages\n"
        "                              in use), as the mouse's DPI button would\n"
        "\n"
        "Options:\n"
        "  --json                      print one JSON object on stdout\n"
        "  -h, --help                  show this help and exit\n"
        "  -V, --version               show the version and exit\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  failed: no mouse found, the mouse stopped answering, a file that cannot be\n"
        "     read or written (one line on stderr)\n"
        "  2  usage error: unknown command, value out of range, unknown profile; nothing\n"
        "     is sent and nothing is stored\n"
        "\n"
        "Examples:\n"
        "  kestrel-orbit-ctl profile switch Racing\n"
        "  kestrel-orbit-ctl --json status\n"
        "  kestrel-orbit-ctl rate 500\n");
}

Parsed parseArguments(const QStringList& arguments)
{
    Parsed parsed = parseWords(arguments);
    // A usage error answers in JSON too when asked to.
    parsed.request.json = arguments.contains(QStringLiteral("--json"));
    return parsed;
}

namespace {

Parsed parseWords(const QStringList& arguments)
{
    Parsed parsed;
    QStringList words;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--json"))
            parsed.request.json = true;
        else if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            parsed.kind = Parsed::Help;
        else if (argument == QLatin1String("--version") || argument == QLatin1String("-V"))
            parsed.kind = parsed.kind == Parsed::Help ? Parsed::Help : Parsed::Version;
        else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1 && words.size() < 2)
            return usage(QStringLiteral("unknown option '%1'").arg(argument));
        else
            words.append(argument);
    }
    if (parsed.kind == Parsed::Help || parsed.kind == Parsed::Version)
        return parsed;
    if (words.isEmpty())
        return usage(QStringLiteral("no command given"));

    Request& request = parsed.request;
    const QString command = words.takeFirst();
    if (command == QLatin1String("status")) {
        if (!takes(words, 0))
            return usage(QStringLiteral("status takes no arguments"));
        request.command = Command::Status;
    } else if (command == QLatin1String("rate")) {
        if (!takes(words, 1))
            return usage(QStringLiteral("rate takes one of 125, 250, 500, 1000"));
        const std::optional<int> hz = number(words[0]);
        if (!hz || !kRatesHz.contains(*hz))
            return usage(QStringLiteral("report rate '%1' is not one of 125, 250, 500, 1000").arg(words[0]));
        request.command = Command::Rate;
        request.number = *hz;
    } else if (command == QLatin1String("dpi-stage")) {
        if (!takes(words, 1))
            return usage(QStringLiteral("dpi-stage takes one stage number"));
        const std::optional<int> stage = number(words[0]);
        if (!stage || *stage < 1 || *stage > kMaxStages)
            return usage(QStringLiteral("DPI stage '%1' is out of range (1 to %2)").arg(words[0]).arg(kMaxStages));
        request.command = Command::DpiStage;
        request.number = *stage;
    } else if (command == QLatin1String("profile")) {
        const QString verb = words.isEmpty() ? QString() : words.takeFirst();
        if (verb == QLatin1String("list")) {
            if (!takes(words, 0))
                return usage(QStringLiteral("profile list takes no arguments"));
            request.command = Command::ProfileList;
        } else if (verb == QLatin1String("switch")) {
            if (!takes(words, 1) || words[0].isEmpty())
                return usage(QStringLiteral("profile switch takes one profile name or number"));
            request.command = Command::ProfileSwitch;
            request.profile = words[0];
        } else if (verb == QLatin1String("export")) {
            if (!takes(words, 2) || words[1].isEmpty())
                return usage(QStringLiteral("profile export takes a profile number and a file"));
            const std::optional<int> profile = number(words[0]);
            if (!profile || *profile > kMaxProfileNumber)
                return usage(QStringLiteral("unknown profile number '%1'").arg(words[0]));
            request.command = Command::ProfileExport;
            request.number = *profile;
            request.file = words[1];
        } else if (verb == QLatin1String("import")) {
            if (!takes(words, 1, 1) || words[0].isEmpty())
                return usage(QStringLiteral("profile import takes a file and an optional name"));
            request.command = Command::ProfileImport;
            request.file = words[0];
            if (words.size() == 2) {
                request.name = words[1];
                if (request.name.isEmpty() || request.name.size() > kMaxNameLength || hasControlCharacter(request.name))
                    return usage(QStringLiteral("a profile name has 1 to %1 printable characters").arg(kMaxNameLength));
            }
        } else {
            return usage(verb.isEmpty() ? QStringLiteral("profile needs list, switch, export or import")
                                        : QStringLiteral("unknown profile command '%1'").arg(verb));
        }
    } else {
        return usage(QStringLiteral("unknown command '%1'").arg(command));
    }
    parsed.kind = Parsed::Run;
    return parsed;
}

} // namespace

QList<ProfileRow> profileRows(const QVariantList& stored)
{
    QStringList entries;
    for (const QVariant& entry : stored)
        entries.append(entry.toString());
    if (entries.size() == 2 && entries[1] == QLatin1String("loaderzephyr"))
        entries.removeLast();
    QList<ProfileRow> rows;
    for (const QString& entry : entries) {
        if (entry.isEmpty() || entry.back().unicode() < '0' || entry.back().unicode() > '9')
            continue;
        rows.append({entry.chopped(1), entry.back().unicode() - '0'});
    }
    if (rows.isEmpty())
        rows.append({QString(), 0});
    return rows;
}

int findRow(const QList<ProfileRow>& rows, const QString& profile)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].name == profile)
            return i;
    }
    const std::optional<int> wanted = number(profile);
    for (int i = 0; wanted && i < rows.size(); ++i) {
        if (rows[i].number == *wanted)
            return i;
    }
    return -1;
}

namespace {

QStringList argumentsOf(const Request& request)
{
    QStringList words;
    switch (request.command) {
    case Command::Status:
        words = {QStringLiteral("status")};
        break;
    case Command::ProfileList:
        words = {QStringLiteral("profile"), QStringLiteral("list")};
        break;
    case Command::ProfileSwitch:
        words = {QStringLiteral("profile"), QStringLiteral("switch"), request.profile};
        break;
    case Command::ProfileExport:
        words = {QStringLiteral("profile"), QStringLiteral("export"), QString::number(request.number), request.file};
        break;
    case Command::ProfileImport:
        words = {QStringLiteral("profile"), QStringLiteral("import"), request.file};
        if (!request.name.isEmpty())
            words.append(request.name);
        break;
    case Command::Rate:
        words = {QStringLiteral("rate"), QString::number(request.number)};
        break;
    case Command::DpiStage:
        words = {QStringLiteral("dpi-stage"), QString::number(request.number)};
        break;
    }
    if (request.json)
        words.prepend(QStringLiteral("--json"));
    return words;
}

} // namespace

QString encodeRequest(const Request& request)
{
    return QLatin1String(kRequestPrefix)
        + QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(argumentsOf(request))).toJson(QJsonDocument::Compact));
}

QString describe(const Request& request)
{
    Request shown = request;
    shown.json = false;
    if (!shown.file.isEmpty())
        shown.file = QStringLiteral("FILE");
    if (!shown.name.isEmpty())
        shown.name = QStringLiteral("NAME");
    return argumentsOf(shown).join(QLatin1Char(' '));
}

Parsed decodeRequest(const QString& message)
{
    const QLatin1String prefix(kRequestPrefix);
    if (message.size() > kMaxRequestChars)
        return usage(QStringLiteral("request too long"));
    if (!message.startsWith(prefix))
        return usage(QStringLiteral("not a request"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(message.mid(prefix.size()).toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return usage(QStringLiteral("malformed request"));
    const QJsonArray array = document.array();
    if (array.size() > kMaxArguments)
        return usage(QStringLiteral("malformed request"));
    QStringList arguments;
    for (const QJsonValue& value : array) {
        if (!value.isString())
            return usage(QStringLiteral("malformed request"));
        arguments.append(value.toString());
    }
    Parsed parsed = parseArguments(arguments);
    if (parsed.kind == Parsed::Help || parsed.kind == Parsed::Version)
        return usage(QStringLiteral("not a request"));
    if (parsed.kind == Parsed::Run && !parsed.request.file.isEmpty() && !QDir::isAbsolutePath(parsed.request.file))
        return usage(QStringLiteral("a file must be given with its absolute path"));
    return parsed;
}

Outcome failure(int code, const QString& message, bool json)
{
    Outcome outcome{code, QString(), message};
    if (json)
        outcome.out = QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("error"), message}}).toJson(QJsonDocument::Compact));
    return outcome;
}

QString encodeOutcome(const Outcome& outcome)
{
    const QJsonObject object{{QStringLiteral("code"), outcome.code},
                             {QStringLiteral("out"), outcome.out},
                             {QStringLiteral("error"), outcome.error}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<Outcome> decodeOutcome(const QString& message)
{
    const QJsonDocument document = QJsonDocument::fromJson(message.toUtf8());
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const int code = object.value(QStringLiteral("code")).toInt(-1);
    if (code != Done && code != Failed && code != Usage)
        return std::nullopt;
    return Outcome{code, object.value(QStringLiteral("out")).toString(), object.value(QStringLiteral("error")).toString()};
}

} // namespace ctl
