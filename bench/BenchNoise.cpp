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

// Clock ticks every CPU of the machine spent running something since it started.
qint64 busyTicks()
{
    // "cpu  user nice system idle iowait irq softirq steal guest guest_nice"
    const QList<QByteArray> fields =
        readProc(QStringLiteral("/proc/stat")).split('\n').value(0).simplified().split(' ');
    qint64 busy = 0;
    for (const int field : {1, 2, 3, 6, 7, 8}) {
        busy += fields.value(field).toLongLong();
    }
    return busy;
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

qint64 NoiseMeter::ownTicks() const
{
    qint64 ticks = processTicks(statFields(QStringLiteral("self")));
    if (m_ownProcesses.isEmpty()) {
        return ticks;
    }
    // The named processes and their running descendants (ended ones are in their parents' counts).
    QHash<qint64, QList<qint64>> children;
    QHash<qint64, qint64> running;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number) {
            const QList<QByteArray> fields = statFields(entry);
            children[fields.value(1).toLongLong()].append(pid);
            running.insert(pid, fields.value(11).toLongLong() + fields.value(12).toLongLong());
        }
    }
    QList<qint64> pending = m_ownProcesses;
    while (!pending.isEmpty()) {
        const qint64 pid = pending.takeLast();
        ticks += m_ownProcesses.contains(pid) ? processTicks(statFields(QString::number(pid))) : running.value(pid);
        pending.append(children.value(pid));
    }
    return ticks;
}

double NoiseMeter::measure(const char* what, const std::function<void()>& run)
{
    const double loadBefore = loadAverage();
    const qint64 busyBefore = busyTicks();
    const qint64 ownBefore = ownTicks();
    QElapsedTimer timer;
    timer.start();
    run();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const qint64 others = (busyTicks() - busyBefore) - (ownTicks() - ownBefore);
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
