#include "BenchNoise.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

QByteArray readProc(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double loadAverage()
{
    return readProc(QStringLiteral("/proc/loadavg")).split(' ').value(0).toDouble();
}

// A process's /proc/<pid>/stat fields after its name: [0] state, [1] ppid, ... [11] utime,
// [12] stime, [13] cutime, [14] cstime.
QList<QByteArray> statFields(const QString& pid)
{
    const QByteArray stat = readProc(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype nameEnd = stat.lastIndexOf(')');
    return nameEnd < 0 ? QList<QByteArray>() : stat.mid(nameEnd + 2).split(' ');
}

// Ticks a process used, its children that ended included.
qint64 processTicks(const QList<QByteArray>& fields)
{
    return fields.value(11).toLongLong() + fields.value(12).toLongLong() + fields.value(13).toLongLong() +
           fields.value(14).toLongLong();
}

} // namespace

NoiseMeter::NoiseMeter() : m_startLoad(loadAverage()) {}

void NoiseMeter::countAsOwn(qint64 pid)
{
    m_ownProcesses.append(pid);
}

QHash<qint64, qint64> NoiseMeter::otherTicks() const
{
    // Every process's ticks, and who its parent is, to tell the benchmark's own from the rest.
    QHash<qint64, QList<qint64>> children;
    QHash<qint64, qint64> ticks;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        const QList<QByteArray> fields = number ? statFields(entry) : QList<QByteArray>();
        if (!fields.isEmpty()) {
            children[fields.value(1).toLongLong()].append(pid);
            ticks.insert(pid, processTicks(fields));
        }
    }
    QList<qint64> own = m_ownProcesses;
    own.append(getpid());
    while (!own.isEmpty()) {
        const qint64 pid = own.takeLast();
        ticks.remove(pid);
        own.append(children.value(pid));
    }
    return ticks;
}

double NoiseMeter::measure(const char* what, const std::function<void()>& run)
{
    const double loadBefore = loadAverage();
    const QHash<qint64, qint64> othersBefore = otherTicks();
    QElapsedTimer timer;
    timer.start();
    run();
    const double seconds = timer.nsecsElapsed() / 1e9;
    // Summed per process rather than taken from the machine's total, which counts work done for
    // this process (interrupts, its own page faults) that its own ticks do not show.
    qint64 others = 0;
    const QHash<qint64, qint64> othersAfter = otherTicks();
    for (auto process = othersAfter.cbegin(); process != othersAfter.cend(); ++process) {
        others += process.value() - othersBefore.value(process.key());
    }
    const double otherCores = std::max<qint64>(others, 0) / (seconds * static_cast<double>(sysconf(_SC_CLK_TCK)));
    m_mostOtherCores = std::max(m_mostOtherCores, otherCores);
    std::printf("  %s: %.3f s; load average %.2f -> %.2f; other processes %.2f cores\n", what, seconds, loadBefore,
                loadAverage(), otherCores);
    std::fflush(stdout);
    return seconds;
}

bool NoiseMeter::quiet() const
{
    return m_startLoad <= kQuietLoad && m_mostOtherCores <= kQuietOtherCores;
}
