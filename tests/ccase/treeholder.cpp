// A process that starts a child of its own and waits for it: what the replica
// script does with cleartool and multitool. The child writes its process id
// to the file named, ignores polite requests to end where it can, and waits
// a minute; only ending the whole tree ends it early.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("child")) {
#ifdef Q_OS_UNIX
        ::signal(SIGTERM, SIG_IGN);
#endif
        QFile pidFile(args.at(2));
        if (!pidFile.open(QIODevice::WriteOnly))
            return 2;
        pidFile.write(QByteArray::number(QCoreApplication::applicationPid()));
        pidFile.close();
        QThread::sleep(60);
        return 0;
    }
    if (args.size() != 2)
        return 2;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("child"), args.at(1)});
    return child.waitForFinished(-1) ? child.exitCode() : 3;
}
