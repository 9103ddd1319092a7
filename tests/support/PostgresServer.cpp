#include "PostgresServer.h"

#include "ServerSupport.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <pwd.h>
#include <unistd.h>

namespace {

const char* const kServerUser = "postgres";
const QString kDatabase = QStringLiteral("tessaly");

} // namespace

PostgresServer::PostgresServer()
{
    m_ready = start();
}

PostgresServer::~PostgresServer()
{
    if (m_started) {
        run(QStringLiteral("pg_ctl"), {QStringLiteral("stop"), QStringLiteral("-D"), m_dir.filePath("data"),
                                       QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w")});
    }
}

bool PostgresServer::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("No temporary folder for the PostgreSQL cluster: ") + m_dir.errorString();
        return false;
    }
    QProcess config;
    if (!RunToEnd(config, QStringLiteral("pg_config"), {QStringLiteral("--bindir")}, {}, m_error)) {
        return false;
    }
    m_bin = QString::fromLocal8Bit(config.readAll()).trimmed();
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam(kServerUser);
        if (!user || ::chown(QFile::encodeName(m_dir.path()).constData(), user->pw_uid, user->pw_gid) != 0) {
            m_error = QStringLiteral("The PostgreSQL cluster's folder cannot be given to the user %1").arg(kServerUser);
            return false;
        }
    }
    if (!run(QStringLiteral("initdb"), {QStringLiteral("-D"), m_dir.filePath("data"), QStringLiteral("-U"), kServerUser,
                                        QStringLiteral("--auth=trust"), QStringLiteral("--encoding=UTF8"),
                                        QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")})) {
        return false;
    }
    m_port = FreeLoopbackPort();
    const QString options = QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -k '%2' -c fsync=off "
                                           "-c synchronous_commit=off -c full_page_writes=off")
                                .arg(m_port)
                                .arg(m_dir.path());
    const QString log = m_dir.filePath("server.log");
    if (!run(QStringLiteral("pg_ctl"),
             {QStringLiteral("start"), QStringLiteral("-D"), m_dir.filePath("data"), QStringLiteral("-l"), log,
              QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"), options})) {
        QFile file(log);
        m_error += QStringLiteral("\nThe server's log:\n") +
                   (file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : file.errorString());
        return false;
    }
    m_started = true; // from here on the destructor stops it
    return psql(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE ") + kDatabase});
}

bool PostgresServer::run(const QString& program, const QStringList& arguments, const QByteArray& input)
{
    QProcess process;
    process.setWorkingDirectory(m_dir.path()); // one the server's user can enter
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    const QString path = QDir(m_bin).filePath(program);
    return ::geteuid() == 0
               ? RunToEnd(process, QStringLiteral("runuser"),
                          QStringList{QStringLiteral("-u"), kServerUser, QStringLiteral("--"), path} + arguments, input,
                          m_error)
               : RunToEnd(process, path, arguments, input, m_error);
}

qint64 PostgresServer::serverProcess() const
{
    // The first line of postmaster.pid is the server's process number.
    return m_started ? ReadFile(m_dir.filePath(QStringLiteral("data/postmaster.pid"))).split('\n').value(0).toLongLong()
                     : 0;
}

bool PostgresServer::psql(const QString& database, const QStringList& commands, const QByteArray& input)
{
    QStringList arguments{
        QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
        QStringLiteral("-h"), m_dir.path(),         QStringLiteral("-p"), QString::number(m_port),
        QStringLiteral("-U"), kServerUser,          QStringLiteral("-d"), database};
    for (const QString& command : commands) {
        arguments << QStringLiteral("-c") << command;
    }
    return run(QStringLiteral("psql"), arguments, input);
}

bool PostgresServer::loadResults(const QString& table, const QByteArray& csv)
{
    const QString name =
        QLatin1Char('"') + QString(table).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return psql(kDatabase,
                {QStringLiteral("CREATE TABLE %1 (\"SerialNumber\" text, \"ATEID\" text, \"TestStartTime\" timestamp, "
                                "\"PassFail\" text, \"TestID\" text, \"Vout\" double precision, \"Iin\" double "
                                "precision, \"Ripple\" double precision, \"Eff\" double precision)")
                     .arg(name),
                 QStringLiteral("COPY %1 FROM STDIN WITH (FORMAT csv, HEADER true)").arg(name),
                 QStringLiteral("ANALYZE %1").arg(name)},
                csv);
}

QByteArray PostgresServer::odbcDriverEntry() const
{
    return "[PostgreSQL Unicode]\nDriver=psqlodbcw.so\n";
}

QByteArray PostgresServer::odbcDataSourceEntry(const QByteArray& dsn) const
{
    return "[" + dsn + "]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=" + QByteArray::number(m_port) +
           "\nDatabase=" + kDatabase.toUtf8() + "\nUsername=" + kServerUser + "\nSSLmode=disable\n";
}
