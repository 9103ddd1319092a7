#include "SignalAnnouncer.h"

#include "OutputFile.h"
#include "XBarChart.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <cstdio>

namespace {

QString timeText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QString numberText(double value)
{
    return QString::number(value, 'g', 17);
}

} // namespace

SignalAnnouncer::SignalAnnouncer(QString product, QString parameter, QString jsonLines, QStringList exec)
    : m_product(std::move(product)), m_parameter(std::move(parameter)), m_jsonLines(std::move(jsonLines)),
      m_exec(std::move(exec))
{
}

bool SignalAnnouncer::open(QString* error)
{
    if (m_jsonLines.isEmpty()) {
        return true;
    }
    const bool opened = m_jsonLines == QLatin1String("-")
                            ? m_lines.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered)
                            : (m_lines.setFileName(m_jsonLines),
                               m_lines.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
    if (!opened) {
        *error = CannotWriteMessage(m_jsonLines == QLatin1String("-") ? QStringLiteral("standard output")
                                                                      : QDir::toNativeSeparators(m_jsonLines),
                                    m_lines.errorString());
    }
    return opened;
}

QJsonObject SignalAnnouncer::json(const LiveSignal& signal) const
{
    return QJsonObject{
        {QStringLiteral("time"), timeText(signal.time)},
        {QStringLiteral("chart"), signal.series == XBarChart::kRangeSeries ? QStringLiteral("ranges")
                                                                           : QStringLiteral("values")},
        {QStringLiteral("point"), signal.sequence},
        {QStringLiteral("value"), signal.value},
        {QStringLiteral("rules"), QJsonArray::fromStringList(signal.rules)},
        {QStringLiteral("serials"), QJsonArray::fromStringList(signal.serials)},
        {QStringLiteral("limits"), QJsonObject{{QStringLiteral("lcl"), signal.lcl},
                                               {QStringLiteral("centre"), signal.centre},
                                               {QStringLiteral("ucl"), signal.ucl}}},
        {QStringLiteral("product"), m_product},
        {QStringLiteral("parameter"), m_parameter},
    };
}

QProcessEnvironment SignalAnnouncer::environment(const LiveSignal& signal) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const std::pair<const char*, QString> variables[] = {
        {"RULES", signal.rules.join(QStringLiteral("; "))},
        {"VALUE", numberText(signal.value)},
        {"TIME", timeText(signal.time)},
        {"POINT", QString::number(signal.sequence)},
        {"SERIALS", signal.serials.join(QLatin1Char(' '))},
        {"UCL", numberText(signal.ucl)},
        {"CL", numberText(signal.centre)},
        {"LCL", numberText(signal.lcl)},
        {"PRODUCT", m_product},
        {"PARAMETER", m_parameter},
    };
    for (const auto& [name, value] : variables) {
        environment.insert(QStringLiteral("TESSALY_SIGNAL_") + QLatin1String(name), value);
    }
    return environment;
}

bool SignalAnnouncer::announce(const LiveSignal& signal, QString* error)
{
    bool done = true;
    if (m_lines.isOpen() &&
        !WriteEveryByte(m_lines, QJsonDocument(json(signal)).toJson(QJsonDocument::Compact) + '\n')) {
        *error = CannotWriteMessage(QDir::toNativeSeparators(m_jsonLines), m_lines.errorString());
        done = false;
    }
    if (!m_exec.isEmpty()) {
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.setProcessEnvironment(environment(signal));
        program.start(m_exec.constFirst(), m_exec.sliced(1));
        if (!program.waitForStarted() || !program.waitForFinished(-1)) {
            *error = QStringLiteral("cannot run %1: %2").arg(m_exec.constFirst(), program.errorString());
            done = false;
        }
    }
    return done;
}
