#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace quorvane {

// Whether some entry equals the text. Letter case is ignored (Windows VOB
// tags such as "\Proj" and replica names), except for UNIX VOB tags, which
// start with "/" and are case-sensitive: folding them would hide a real VOB.
bool isInList(const QString &text, const QStringList &entries);

// The same question asked of a list that grows one entry at a time (the
// VOB list as it is filled): a hash lookup instead of a walk through every
// entry, which made filling a list of N tags cost N squared comparisons.
class EntrySet {
public:
    explicit EntrySet(const QStringList &entries = {});
    void add(const QString &entry);
    // The answer isInList gives for the entries added so far.
    [[nodiscard]] bool contains(const QString &text) const;

private:
    QSet<QString> m_exact;
    // Entries by their case-folded text; a hit is confirmed with the same
    // comparison isInList uses.
    QHash<QString, QStringList> m_folded;
};

// Index of the first entry equal to the text exactly, or -1.
int indexOfExact(const QString &text, const QStringList &entries);

} // namespace quorvane
