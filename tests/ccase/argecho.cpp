// Prints the arguments it was given, one JSON array on standard output, as
// the C runtime parsed them from the command line: on Windows that is the
// parsing ClearCase's programs and Perl get too.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <cstdio>

int main(int argc, char *argv[])
{
    QJsonArray args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const QByteArray json = QJsonDocument(args).toJson(QJsonDocument::Compact);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return 0;
}
