#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

// The command-line companion's requests: its arguments, their checks, and
// the form a request and its outcome take on the single-instance channel.
// Qt Core only, so that the fuzz targets and the companion link it alone.
namespace ctl {

enum class Command { Status, ProfileList, ProfileSwitch, ProfileExport, ProfileImport, Rate, DpiStage };

// The exit codes: done, failed (one line on stderr), usage error (nothing
// sent, nothing stored).
enum Code { Done = 0, Failed = 1, Usage = 2 };

struct Request
{
    Command command = Command::Status;
    QString profile;   // switch: a name or a number, as typed
    int number = 0;    // export: profile number; rate: Hz; dpi-stage: 1-based stage
    QString file;      // export, import
    QString name;      // import: the new row's name, or empty for the page's own choice
    bool json = false;
};

struct Parsed
{
    enum Kind { Run, Help, Version, UsageError } kind = UsageError;
    Request request;
    QString error;   // for UsageError
};

// The rates the report-rate list offers, in its order.
inline const QList<int> kRatesHz = {125, 250, 500, 1000};
constexpr int kMaxStages = 8;
constexpr int kMaxProfileNumber = 9;
// A row's name, as the profile page's editor takes it.
constexpr int kMaxNameLength = 32;

// The command line, without the program's name.
Parsed parseArguments(const QStringList& arguments);
QString usageText();

// One row of the profile list, as the name-list file stores it.
struct ProfileRow
{
    QString name;
    int number = 0;
};
// The stored profile entries (name followed by the number's digit, a
// one-entry list with the sentinel); entries without a digit are skipped,
// and an empty list still has the standard profile, number 0.
QList<ProfileRow> profileRows(const QVariantList& stored);
// The row `profile` selects: an exact name first, then a number; -1 when none.
int findRow(const QList<ProfileRow>& rows, const QString& profile);

// The channel's form. A request is the prefix and its arguments as a JSON
// array of strings; files travel as absolute paths, since the running
// program's working directory is not the caller's.
inline constexpr char kRequestPrefix[] = "kestrel-orbit-ctl/1 ";
// Far above any real request (a path is at most 4 KiB), small enough that a
// hostile one costs nothing to refuse.
constexpr qsizetype kMaxRequestChars = 16 * 1024;
constexpr int kMaxArguments = 8;

QString encodeRequest(const Request& request);
// The command for the log: its words without files or new names.
QString describe(const Request& request);
// A usage error for anything malformed, oversized, with a relative path or
// asking for --help or --version.
Parsed decodeRequest(const QString& message);

struct Outcome
{
    int code = Done;
    QString out;     // stdout: the text, or one JSON object
    QString error;   // stderr: one line, for a failure
};

// A failure or usage error: the line for stderr, and with --json the same
// message as {"error": ...} on stdout.
Outcome failure(int code, const QString& message, bool json);

QString encodeOutcome(const Outcome& outcome);
std::optional<Outcome> decodeOutcome(const QString& message);

} // namespace ctl
