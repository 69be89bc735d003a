#include "common/ShownName.h"

#include <QChar>
#include <QList>

namespace quorvane::ShownName {

namespace {

constexpr char16_t firstStrongIsolate = 0x2068;
constexpr char16_t popDirectionalIsolate = 0x2069;

bool reorders(QChar::Direction d)
{
    switch (d) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirPDF:
    case QChar::DirRLI:
    case QChar::DirLRI:
    case QChar::DirFSI:
    case QChar::DirPDI:
        return true;
    default:
        return false;
    }
}

} // namespace

QString isolated(const QString &name)
{
    const QList<uint> codes = name.toUcs4();
    bool needed = false;
    for (const uint c : codes)
        needed = needed || reorders(QChar::direction(char32_t(c)));
    if (!needed)
        return name;
    QString out;
    out.reserve(name.size() + 2);
    out += QChar(firstStrongIsolate);
    // Embeddings and overrides end at the closing isolate by themselves;
    // isolates the name opens would take it as theirs, and one it closes
    // without opening would end ours early.
    qsizetype open = 0;
    for (const uint c : codes) {
        const QChar::Direction d = QChar::direction(char32_t(c));
        if (d == QChar::DirRLI || d == QChar::DirLRI || d == QChar::DirFSI) {
            ++open;
        } else if (d == QChar::DirPDI) {
            if (open == 0)
                continue;
            --open;
        }
        out += QChar::fromUcs4(char32_t(c));
    }
    out += QString(open + 1, QChar(popDirectionalIsolate));
    return out;
}

QString shortened(const QString &name, qsizetype maxChars)
{
    if (name.size() <= maxChars || maxChars < 3)
        return name;
    qsizetype head = (maxChars - 1) * 2 / 3;
    qsizetype tail = maxChars - 1 - head;
    // Never split a surrogate pair.
    if (head > 0 && name[head - 1].isHighSurrogate())
        --head;
    if (tail > 0 && name[name.size() - tail].isLowSurrogate())
        --tail;
    return name.left(head) + QChar(0x2026) + name.right(tail);
}

} // namespace quorvane::ShownName
