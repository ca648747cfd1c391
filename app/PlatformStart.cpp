#include "app/PlatformStart.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

struct Watch {
    QtMessageHandler previous = nullptr;
    QString program;
    QStringList tried;    // platform plugins Qt tried, in its order
    QStringList notFound; // those of them that are not installed
    QList<HeldMessage> held;
};

Watch &watch() {
    static Watch instance;
    return instance;
}

// "wayland-egl" and "wayland" report under one logging category.
QString family(const QString &platform) {
    return platform.section(u'-', 0, 0);
}

QString describe(const QString &platform) {
    const Watch &w = watch();
    if (w.notFound.contains(platform))
        return platform + QStringLiteral(" (not installed)");
    auto variable = [&platform](const char *name) {
        const QString value = qEnvironmentVariable(name);
        return platform + QStringLiteral(" (") + QLatin1String(name) +
               (value.isEmpty() ? QStringLiteral(" not set)") : u'=' + value + u')');
    };
    if (family(platform) == QLatin1String("xcb"))
        return variable("DISPLAY");
    if (family(platform) == QLatin1String("wayland"))
        return variable("WAYLAND_DISPLAY");
    return platform;
}

[[noreturn]] void giveUp() {
    const Watch &w = watch();
    QStringList attempts;
    for (const QString &platform : w.tried)
        attempts.append(describe(platform));
    QString line = w.program + QStringLiteral(": cannot open the window: ");
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        line += QStringLiteral("QT_QPA_PLATFORM=") + qEnvironmentVariable("QT_QPA_PLATFORM") +
                QStringLiteral(", ");
    line += attempts.isEmpty() ? QStringLiteral("no window system could be opened")
                               : QStringLiteral("tried ") + attempts.join(QStringLiteral(", "));
    std::fputs(qPrintable(line + u'\n'), stderr);
    std::fflush(stderr);
    // Nothing has been shown or made yet, so there is nothing to tidy.
    std::_Exit(1);
}

void noteAttempt(const QString &text) {
    // Qt names each platform it passes over in quotes.
    static const QRegularExpression quoted(QStringLiteral("platform plugin \"([^\"]+)\""));
    const QRegularExpressionMatch match = quoted.match(text);
    if (!match.hasMatch())
        return;
    Watch &w = watch();
    const QString platform = match.captured(1);
    if (!w.tried.contains(platform))
        w.tried.append(platform);
    if (text.contains(QLatin1String("find"), Qt::CaseInsensitive))
        w.notFound.append(platform);
}

void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    const QByteArray category(context.category ? context.category : "");
    if (type == QtFatalMsg) {
        if (text.contains(QLatin1String("platform plugin")))
            giveUp();
        // Any other fatal message is Qt's to report as it ends the program.
        watch().previous(type, context, text);
        return;
    }
    if (category == "qt.qpa.plugin")
        noteAttempt(text);
    watch().held.append({type, category, text});
}

// Whether a message came from a platform that Qt tried and passed over. The
// Wayland plugin reports a missing compositor without a category.
bool isFromPassedOver(const HeldMessage &message) {
    if (message.category == "qt.qpa.plugin")
        return true;
    for (const QString &platform : watch().tried) {
        if (platform == QGuiApplication::platformName())
            continue;
        const QString name = family(platform);
        if (QString::fromLatin1(message.category).startsWith(QStringLiteral("qt.qpa.") + name) ||
            (name == QLatin1String("wayland") &&
             message.text.contains(QLatin1String("wl_display"))))
            return true;
    }
    return false;
}

} // namespace

void watchPlatformStart(const QString &programName) {
    Watch &w = watch();
    w.program = programName;
    w.previous = qInstallMessageHandler(handleMessage);
}

void platformStarted() {
    Watch &w = watch();
    qInstallMessageHandler(w.previous);
    // What the platform in use said is passed on; what the ones passed over
    // said is not.
    for (const HeldMessage &message : w.held) {
        if (isFromPassedOver(message))
            continue;
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    w.held.clear();
}
