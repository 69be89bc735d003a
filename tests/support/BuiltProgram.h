#pragma once

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace quorvane::test {

// The folders of a headless start of the built program, removed with this
// object: its temporary folder (where its work directory lands, also one
// that a killed copy leaves), a private runtime folder (the lock file) and
// a simulated region of its own.
struct BuiltProgramFolders {
    QTemporaryDir temp;
    QTemporaryDir runtime;
    QTemporaryDir region;

    BuiltProgramFolders()
    {
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The lock file is named after the display, so each test names its own.
    [[nodiscard]] QProcessEnvironment environment(const QString &display) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        // Where Windows programs take their temporary folder from.
        env.insert(QStringLiteral("TMP"), QDir::toNativeSeparators(temp.path()));
        env.insert(QStringLiteral("TEMP"), QDir::toNativeSeparators(temp.path()));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("CCSIM_REGION"), region.path());
        env.insert(QStringLiteral("DISPLAY"), display);
        return env;
    }
};

} // namespace quorvane::test
