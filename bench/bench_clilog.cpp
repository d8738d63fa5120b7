// What `orvan-utility log` costs while it runs unattended: a logged run at a 1 s interval
// against orvan-sim on a pseudo-terminal, measured from outside through /proc after a warm-up.
//
//   build/bench/bench_clilog [SECONDS]      (default 120 s of measurement after 10 s warm-up)
//
// Targets: under 0.5 % of one core, under 30 MB resident.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace
{
constexpr double cpuTarget = 0.5;  // percent of one core
constexpr double rssTargetMb = 30.0;

// User and system time of a process, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1.0;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which may hold blanks, start after its ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// A "Vm..." line of /proc/PID/status in megabytes.
double statusMb(qint64 pid, const char *key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1.0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1.0;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 120;
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("tty"));

    QProcess sim;
    sim.start(QStringLiteral(ORVAN_SIM), {QStringLiteral("--type"), QStringLiteral("L"),
                                          QStringLiteral("--link"), link});
    for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i)
        QThread::msleep(50);
    if (!QFileInfo::exists(link)) {
        std::fprintf(stderr, "orvan-sim did not start\n");
        return 1;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    QProcess log;
    log.setProcessEnvironment(env);
    log.setStandardOutputFile(dir.filePath(QStringLiteral("samples.txt")));
    log.start(QStringLiteral(ORVAN_UTILITY),
              {QStringLiteral("log"), QStringLiteral("--port"), link, QStringLiteral("--interval"),
               QStringLiteral("1s"), QStringLiteral("-o"), dir.filePath(QStringLiteral("run.csv")),
               QStringLiteral("--settings"), dir.filePath(QStringLiteral("OrvanUtility.ini"))});
    if (!log.waitForStarted())
        return 1;
    const qint64 pid = log.processId();

    QThread::sleep(10);
    const double cpuBefore = cpuSeconds(pid);
    QElapsedTimer wall;
    wall.start();
    QThread::sleep(static_cast<unsigned long>(seconds));
    const double cpu = cpuSeconds(pid) - cpuBefore;
    const double percent = 100.0 * cpu / (double(wall.elapsed()) / 1000.0);
    const double rss = statusMb(pid, "VmRSS:");
    const double peak = statusMb(pid, "VmHWM:");

    ::kill(pid_t(pid), SIGINT);
    log.waitForFinished(15000);
    sim.terminate();
    sim.waitForFinished();

    QFile samples(dir.filePath(QStringLiteral("samples.txt")));
    samples.open(QIODevice::ReadOnly);
    const int stored = int(samples.readAll().count('\n'));
    std::printf("log at 1 s for %d s: %.3f %% of one core (target < %.1f %%), resident %.1f MB, "
                "peak %.1f MB (target < %.0f MB), %d samples, exit %d\n",
                seconds, percent, cpuTarget, rss, peak, rssTargetMb, stored, log.exitCode());
    const bool met = percent < cpuTarget && peak < rssTargetMb && log.exitCode() == 130;
    std::printf("%s\n", met ? "targets met" : "TARGET MISSED");
    return met ? 0 : 1;
}
