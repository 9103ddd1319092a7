#include "MariaDbServer.h"

#include <QElapsedTimer>
#include <QStringList>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int kStartMs = 120000; // a busy machine initialises InnoDB slowly

QString sqlText(const QString& value)
{
    QString text = value;
    return QLatin1Char('\'') +
           text.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

} // namespace

MariaDbServer::MariaDbServer()
{
    m_ready = start();
}

MariaDbServer::~MariaDbServer()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished();
    }
}

bool MariaDbServer::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("No temporary folder for the MariaDB server: ") + m_dir.errorString();
        return false;
    }
    const QStringList asUser = ::geteuid() == 0 ? QStringList{QStringLiteral("--user=root")} : QStringList();
    const QString data = m_dir.filePath(QStringLiteral("data"));
    QProcess install;
    if (!RunToEnd(install, QStringLiteral("mariadb-install-db"),
                  QStringList{QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + data,
                              QStringLiteral("--auth-root-authentication-method=normal"),
                              QStringLiteral("--skip-test-db")} +
                      asUser,
                  {}, m_error)) {
        return false;
    }
    m_port = FreeLoopbackPort();
    // The server dies with this process, however it ends.
    m_server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.start(QStringLiteral("mariadbd"),
                   QStringList{QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + data,
                               QStringLiteral("--socket=") + m_dir.filePath(QStringLiteral("server.sock")),
                               QStringLiteral("--port=%1").arg(m_port), QStringLiteral("--bind-address=127.0.0.1"),
                               QStringLiteral("--pid-file=") + m_dir.filePath(QStringLiteral("server.pid")),
                               QStringLiteral("--skip-name-resolve"), QStringLiteral("--skip-log-bin"),
                               QStringLiteral("--innodb-flush-log-at-trx-commit=0"),
                               QStringLiteral("--innodb-buffer-pool-size=64M")} +
                       asUser);
    QByteArray log;
    QElapsedTimer waited;
    waited.start();
    while (!log.contains("ready for connections") && m_server.state() != QProcess::NotRunning &&
           waited.elapsed() < kStartMs) {
        m_server.waitForReadyRead(1000);
        log += m_server.readAll();
    }
    if (!log.contains("ready for connections")) {
        m_error = QStringLiteral("mariadbd did not start:\n") + QString::fromLocal8Bit(log);
        return false;
    }
    return client("CREATE DATABASE tessaly;"
                  "CREATE USER 'tessaly'@'127.0.0.1' IDENTIFIED BY 'tessaly';"
                  "GRANT ALL ON tessaly.* TO 'tessaly'@'127.0.0.1';");
}

bool MariaDbServer::client(const QByteArray& statements)
{
    QProcess process;
    return RunToEnd(process, QStringLiteral("mariadb"),
                    {QStringLiteral("--no-defaults"),
                     QStringLiteral("--socket=") + m_dir.filePath(QStringLiteral("server.sock")),
                     QStringLiteral("--user=root"), QStringLiteral("--batch"),
                     // The statements are UTF-8 whatever the locale (the client's guess from a locale
                     // it cannot load is latin1, which would store "É" as "Ã‰").
                     QStringLiteral("--default-character-set=utf8mb4")},
                    statements, m_error);
}

bool MariaDbServer::loadResults(const QString& table, const QByteArray& csv)
{
    const QString name =
        QLatin1Char('`') + QString(table).replace(QLatin1Char('`'), QStringLiteral("``")) + QLatin1Char('`');
    QString sql = QStringLiteral("USE tessaly; CREATE TABLE %1 (SerialNumber VARCHAR(50), ATEID VARCHAR(20), "
                                 "TestStartTime DATETIME, PassFail VARCHAR(10), TestID VARCHAR(10), Vout DOUBLE, "
                                 "Iin DOUBLE, Ripple DOUBLE, Eff DOUBLE) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;")
                      .arg(name);
    const QList<QByteArray> lines = csv.trimmed().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QStringList values;
        for (const QString& field : QString::fromUtf8(lines[i]).trimmed().split(QLatin1Char(','))) {
            values.append(field.isEmpty() ? QStringLiteral("NULL") : sqlText(field));
        }
        sql += QStringLiteral("INSERT INTO %1 VALUES (%2);").arg(name, values.join(QLatin1Char(',')));
    }
    return client(sql.toUtf8());
}

QByteArray MariaDbServer::odbcDriverEntry() const
{
    return "[MariaDB Unicode]\nDriver=libmaodbc.so\n";
}

QByteArray MariaDbServer::odbcDataSourceEntry(const QByteArray& dsn) const
{
    return "[" + dsn + "]\nDriver=MariaDB Unicode\nSERVER=127.0.0.1\nPORT=" + QByteArray::number(m_port) +
           "\nDATABASE=tessaly\nUSER=tessaly\nPASSWORD=tessaly\n";
}
