#include "ServerSupport.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

quint16 FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return port;
}

bool RegisterOdbcDataSources(const QString& folder, const QByteArray& drivers, const QByteArray& dataSources)
{
    const QDir dir(folder);
    if (!WriteFile(dir.filePath(QStringLiteral("odbcinst.ini")), drivers) ||
        !WriteFile(dir.filePath(QStringLiteral("odbc.ini")), dataSources)) {
        return false;
    }
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
    qputenv("ODBCINI", QFile::encodeName(dir.filePath(QStringLiteral("odbc.ini"))));
    return true;
}

bool RunToEnd(QProcess& process, const QString& program, const QStringList& arguments, const QByteArray& input,
              QString& error)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(120000);
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        return true;
    }
    error = QStringLiteral("%1 %2 failed (%3):\n%4")
                .arg(program, arguments.join(QLatin1Char(' ')),
                     finished ? QStringLiteral("exit code %1").arg(process.exitCode()) : process.errorString(),
                     QString::fromLocal8Bit(process.readAll()));
    return false;
}
