#pragma once

#include <QHash>
#include <QList>
#include <functional>

// Whether the machine was quiet while a benchmark measured. A benchmark that passes only on a busy
// machine measures the machine, so every measured run notes the load average at its start and
// end and the CPU time that other processes used during it, and a result is "noisy" instead of
// "pass" or "fail" when the machine was not quiet:
// - the load average was above 0.5 when the benchmark started (read before its own work, which
//   raises the load average for a minute after);
// - or, during any measured run, other processes used more than 10 % of a core. The benchmark's
//   own CPU time is its process's, its children's (the sqlite3 shell, psql) and that of processes
//   it names as its own (a server it started).
class NoiseMeter
{
public:
    static constexpr double kQuietLoad = 0.5;
    static constexpr double kQuietOtherCores = 0.10;

    NoiseMeter(); // reads the load average of the machine as the benchmark finds it

    // A process whose CPU time, and that of its descendants, is the benchmark's own.
    void countAsOwn(qint64 pid);

    // Runs `run`; its wall-clock seconds. Prints one line: what ran, its seconds, the load average
    // at its start and end, and the cores other processes used meanwhile.
    double measure(const char* what, const std::function<void()>& run);

    bool quiet() const;
    // "pass" or "fail" on a quiet machine, "noisy" otherwise.
    const char* verdict(bool pass) const { return quiet() ? (pass ? "pass" : "fail") : "noisy"; }
    // The load average found at the start and the most other processes used in a run, for a summary line.
    double startLoad() const { return m_startLoad; }
    double mostOtherCores() const { return m_mostOtherCores; }

private:
    // Ticks each process other than the benchmark and its own ones has used, by process id.
    QHash<qint64, qint64> otherTicks() const;

    double m_startLoad = 0;
    double m_mostOtherCores = 0;
    QList<qint64> m_ownProcesses;
};
