#pragma once

#include <QByteArrayList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <unistd.h>
#include <vector>

// The program run as from a text console, over SSH or in CI: no display.
struct ProgramRun {
    int exitCode = -1; // -1 if it crashed, or ran for two minutes and was killed
    QString err;       // what it said on stderr
    QByteArray rawErr; // the same, byte for byte
};

struct ProgramSetup {
    QString folder;                // where it runs; the test's own folder if empty
    QByteArray platform;           // the Qt platform asked for, which isn't there; none if empty
    std::function<void()> inChild; // run in the child before the program starts
    QByteArray program = {};       // a copy of the program to run; TESSALINE_BINARY if empty
};

// Runs TESSALINE_BINARY with exactly these bytes as its arguments, which need
// not be valid text.
inline ProgramRun runProgramWithBytes(const QByteArrayList &arguments,
                                      const ProgramSetup &setup = {}) {
    QByteArrayList bytes{setup.program.isEmpty() ? QByteArray(TESSALINE_BINARY) : setup.program};
    bytes += arguments;
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!setup.platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(setup.platform));
    process.setProcessEnvironment(env);
    if (!setup.folder.isEmpty())
        process.setWorkingDirectory(setup.folder);
    // QProcess passes arguments as text; these are passed as they are.
    process.setChildProcessModifier([&argv, &setup] {
        if (setup.inChild)
            setup.inChild();
        execv(argv[0], argv.data());
        _exit(127);
    });
    process.start(QStringLiteral(TESSALINE_BINARY), {});
    ProgramRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.rawErr = process.readAllStandardError();
    run.err = QString::fromLocal8Bit(run.rawErr);
    return run;
}

inline ProgramRun runProgram(const QStringList &arguments, const ProgramSetup &setup = {}) {
    QByteArrayList bytes;
    for (const QString &argument : arguments)
        bytes.append(argument.toLocal8Bit());
    return runProgramWithBytes(bytes, setup);
}
