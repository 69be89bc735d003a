// quorvane-check: the health of every replicated VOB family of the region,
// for a monitoring system. One status line, a detail line per family that
// is not OK, performance data after "|", and the plugin convention's exit
// codes. The same survey and diagnosis as the window's region view.
#include "app/CompanionPath.h"
#include "app/QuitOnSignal.h"
#include "ccase/ClearCaseDiscovery.h"
#include "ccase/ClearTool.h"
#include "region/CheckReport.h"
#include "region/CoprocessRunner.h"
#include "region/RegionSurvey.h"
#include "common/QuorvaneError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>

using namespace quorvane;

namespace {

const char *const Description = R"(Checks the replication health of every replicated VOB family of the
ClearCase region, as Quorvane's region view shows it, and reports it in the
monitoring plugin convention.

Each VOB is checked as the VOB list checks it (lsreplica -siblings); for
each replicated one this site's epoch table, the last export to and import
from every sibling and, with --actual, every sibling's own epoch row (which
contacts every sibling's host) are read, and the families are ranked worst
first: broken (a lost packet, a replica whose own row went back, a returned
packet), behind (changes not yet received, with their count), stuck
(a packet waiting in a bay longer than --stuck-after), unreachable, not checked, in step. Without --actual a lost packet
cannot be seen: this site's table alone takes it for delivered.

OUTPUT
  The first line is "QUORVANE-CHECK STATUS - summary | performance data";
  then one line per family that is not OK, worst first. --json prints the
  same as one JSON document instead.

EXIT STATUS
  0 OK        every family in step, or behind below the thresholds
  1 WARNING   a family stuck, unreachable or not checked, or a threshold
              of warning reached
  2 CRITICAL  a family broken, or a critical threshold reached
  3 UNKNOWN   the check itself failed: no ClearCase found, ClearCase not
              answering (no VOB could be checked), a textfile that could
              not be written, or the check stopped before its end

DURATIONS are whole numbers with an optional unit: s, m, h or d (seconds
  when none is given).

ENVIRONMENT
  QUORVANE_CLEARTOOL   the cleartool to use, as for quorvane ("simulated"
                       for the simulated region)
  GET_REPLICA_INFO_TIMEOUT  the replica script's own time limit; by default
                       three quarters of --timeout, so that it reports the
                       hosts that answered before the command is stopped

EXAMPLES
  quorvane-check --behind-warning 500 --age-critical 2d
  quorvane-check --actual --vob /vobs/tools --json
  quorvane-check --textfile /var/lib/node_exporter/textfile/quorvane.prom)";

std::optional<qint64> duration(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,9})([smhd]?)$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const qint64 n = m.captured(1).toLongLong();
    const QString unit = m.captured(2);
    return n * (unit == QLatin1String("d") ? 86400 : unit == QLatin1String("h") ? 3600 : unit == QLatin1String("m") ? 60 : 1);
}

std::optional<qint64> count(const QString &text)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok && n >= 0 ? std::optional<qint64>(n) : std::nullopt;
}

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvane-check"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3").arg(QUORVANE_VERSION_MAJOR).arg(QUORVANE_VERSION_MINOR).arg(QUORVANE_VERSION_PATCH));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption vobOpt(QStringLiteral("vob"), QStringLiteral("Check only this VOB (may be given more than once)."), QStringLiteral("TAG"));
    const QCommandLineOption simulatedOpt(QStringLiteral("simulated"), QStringLiteral("Check the simulated region that comes with Quorvane, even where ClearCase is installed."));
    const QCommandLineOption actualOpt(QStringLiteral("actual"), QStringLiteral("Also ask every sibling's host for its own epoch row (contacts every host)."));
    const QCommandLineOption jsonOpt(QStringLiteral("json"), QStringLiteral("Print the result as JSON."));
    const QCommandLineOption textfileOpt(QStringLiteral("textfile"), QStringLiteral("Also write the metrics for a Prometheus node exporter's textfile collector to PATH (written under a temporary name, then renamed)."), QStringLiteral("PATH"));
    const QCommandLineOption behindWarnOpt(QStringLiteral("behind-warning"), QStringLiteral("Changes behind that warn (default 1000)."), QStringLiteral("N"));
    const QCommandLineOption behindCritOpt(QStringLiteral("behind-critical"), QStringLiteral("Changes behind that are critical (default 10000)."), QStringLiteral("N"));
    const QCommandLineOption ageWarnOpt(QStringLiteral("age-warning"), QStringLiteral("Age of the oldest last import or export that warns (default: not checked)."), QStringLiteral("DURATION"));
    const QCommandLineOption ageCritOpt(QStringLiteral("age-critical"), QStringLiteral("Age of the oldest last import or export that is critical (default: not checked)."), QStringLiteral("DURATION"));
    const QCommandLineOption packetWarnOpt(QStringLiteral("packet-age-warning"), QStringLiteral("Age of a waiting packet that warns (default 1d)."), QStringLiteral("DURATION"));
    const QCommandLineOption packetCritOpt(QStringLiteral("packet-age-critical"), QStringLiteral("Age of a waiting packet that is critical (default 3d)."), QStringLiteral("DURATION"));
    const QCommandLineOption stuckOpt(QStringLiteral("stuck-after"), QStringLiteral("A packet waiting in a bay this long makes its replica stuck (default 1h)."), QStringLiteral("DURATION"));
    const QCommandLineOption jobsOpt(QStringLiteral("jobs"), QStringLiteral("Commands at once that ask no remote host, on this machine (default 8)."), QStringLiteral("N"));
    const QCommandLineOption perHostOpt(QStringLiteral("per-host"), QStringLiteral("Commands at once that contact one host (default 2)."), QStringLiteral("N"));
    const QCommandLineOption timeoutOpt(QStringLiteral("timeout"), QStringLiteral("Time limit of each command (default 120s)."), QStringLiteral("DURATION"));
    parser.addOptions({vobOpt, simulatedOpt, actualOpt, jsonOpt, textfileOpt, behindWarnOpt, behindCritOpt, ageWarnOpt,
                       ageCritOpt, packetWarnOpt, packetCritOpt, stuckOpt, jobsOpt, perHostOpt, timeoutOpt});
    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, QStringLiteral("quorvane-check: ") + parser.errorText() + QStringLiteral("\nTry quorvane-check --help.\n"));
        return int(CheckReport::Status::Unknown);
    }
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        print(stdout, QStringLiteral("quorvane-check ") + QCoreApplication::applicationVersion() + QLatin1Char('\n'));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("quorvane-check: unexpected argument \"") + parser.positionalArguments().first() +
                          QStringLiteral("\".\nTry quorvane-check --help.\n"));
        return int(CheckReport::Status::Unknown);
    }

    CheckReport::Thresholds thresholds;
    RegionSurvey::Options options;
    QString badOption;
    const auto take = [&](const QCommandLineOption &opt, auto parse, auto &into) {
        if (!parser.isSet(opt))
            return;
        const auto v = parse(parser.value(opt));
        if (!v)
            badOption = QStringLiteral("--") + opt.names().first() + QStringLiteral(" \"") + parser.value(opt) + QLatin1Char('"');
        else
            into = *v;
    };
    take(behindWarnOpt, count, thresholds.behindWarning);
    take(behindCritOpt, count, thresholds.behindCritical);
    take(ageWarnOpt, duration, thresholds.ageWarning);
    take(ageCritOpt, duration, thresholds.ageCritical);
    take(packetWarnOpt, duration, thresholds.packetAgeWarning);
    take(packetCritOpt, duration, thresholds.packetAgeCritical);
    take(stuckOpt, duration, options.health.stuckAfterSecs);
    qint64 jobs = options.limits.local, perHost = options.limits.perHost, timeout = options.limits.timeLimitMs / 1000;
    take(jobsOpt, count, jobs);
    take(perHostOpt, count, perHost);
    take(timeoutOpt, duration, timeout);
    if (!badOption.isEmpty() || jobs < 1 || perHost < 1 || timeout < 1 || jobs > 256 || timeout > 86400) {
        print(stderr, QStringLiteral("quorvane-check: ") +
                          (badOption.isEmpty() ? QStringLiteral("--jobs, --per-host and --timeout must be at least 1")
                                               : badOption + QStringLiteral(" is not a valid value")) +
                          QStringLiteral(".\nTry quorvane-check --help.\n"));
        return int(CheckReport::Status::Unknown);
    }
    options.limits.local = int(jobs);
    options.limits.inFlight = std::max(options.limits.inFlight, int(jobs));
    options.limits.perHost = int(perHost);
    options.limits.timeLimitMs = int(timeout * 1000);
    options.actualRows = parser.isSet(actualOpt);

    const auto finish = [&](CheckReport::Survey &survey) {
        if (parser.isSet(textfileOpt)) {
            if (const auto error = CheckReport::writeAtomically(parser.value(textfileOpt),
                                                                CheckReport::metrics(survey, thresholds)))
                survey.failure = *error;
        }
        print(stdout, parser.isSet(jsonOpt) ? QString::fromUtf8(CheckReport::json(survey, thresholds))
                                            : CheckReport::pluginText(survey, thresholds));
        return int(CheckReport::overall(survey, thresholds));
    };

    if (parser.isSet(simulatedOpt))
        qputenv(ClearCaseDiscovery::ChoiceVariable, "simulated");
    const ClearCaseFound found = ClearCaseDiscovery::discover(QCoreApplication::applicationDirPath());
    CheckReport::Survey result;
    if (found.kind == ClearCaseFound::Kind::None) {
        result.failure = QStringLiteral("No ClearCase found: ") + found.description;
        return finish(result);
    }

    QStringList tags = parser.values(vobOpt);
    if (tags.isEmpty()) {
        try {
            tags = ClearCaseDiscovery::makeClearTool(found)->vobTags();
        } catch (const QuorvaneError &e) {
            result.failure = QStringLiteral("The VOBs could not be listed: ") + e.description();
            return finish(result);
        } catch (const std::exception &e) {
            result.failure = QStringLiteral("The VOBs could not be listed: ") + QString::fromLocal8Bit(e.what());
            return finish(result);
        }
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("GET_REPLICA_INFO_TIMEOUT")))
        environment.insert(QStringLiteral("GET_REPLICA_INFO_TIMEOUT"), QString::number(std::max<qint64>(1, timeout * 3 / 4)));
    ProcessRunner runner(found.binDir, found.perlPath, environment);
    options.scriptPath = QDir::toNativeSeparators(companionPath(QCoreApplication::applicationDirPath(),
                                                                QStringLiteral("get_replica_info.pl")));
    CoprocessRunner coprocesses(runner, runner.programPath(QStringLiteral("cleartool")), runner.environment(),
                                options.limits.local);
    RegionSurvey survey(coprocesses, options);
    QuitOnSignal quitOnSignal;
    QObject::connect(&survey, &RegionSurvey::finished, &app, [] { QCoreApplication::exit(0); });
    survey.start(tags);
    const int code = QCoreApplication::exec();
    if (survey.running()) {
        // A signal: stop what runs, let it end, report what was complete.
        survey.cancel();
        QEventLoop settle;
        QObject::connect(&survey, &RegionSurvey::finished, &settle, &QEventLoop::quit);
        QTimer::singleShot(ProcessRunner::stopGraceMs + 3000, &settle, &QEventLoop::quit);
        if (survey.running())
            settle.exec();
    }
    result.families = survey.families();
    result.notReplicated = survey.notReplicated();
    result.cancelled = survey.wasCancelled() || code != 0;
    const int status = finish(result);
    return code != 0 ? code : status;
}
