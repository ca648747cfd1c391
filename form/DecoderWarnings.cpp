#include "form/DecoderWarnings.h"

#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace form {

namespace {

thread_local DecoderWarnings *t_current = nullptr;
QtMessageHandler g_previous = nullptr;

// libpng and libtiff report some damage by printing it themselves, past Qt's
// message handler. While any picture is decoded, what goes to stderr goes
// nowhere; the loader's own message follows once it is back.
std::mutex g_silenceLock;
int g_silenced = 0;
int g_savedStderr = -1;

void silenceStderr() {
    const std::lock_guard<std::mutex> lock(g_silenceLock);
    if (g_silenced++ > 0)
        return;
    std::fflush(stderr);
    g_savedStderr = ::fcntl(2, F_DUPFD_CLOEXEC, 3);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (g_savedStderr >= 0 && null >= 0)
        ::dup2(null, 2);
    if (null >= 0)
        ::close(null);
}

void restoreStderr() {
    const std::lock_guard<std::mutex> lock(g_silenceLock);
    if (--g_silenced > 0)
        return;
    std::fflush(stderr);
    if (g_savedStderr >= 0) {
        ::dup2(g_savedStderr, 2);
        ::close(g_savedStderr);
        g_savedStderr = -1;
    }
}

} // namespace

void collectDecoderWarning(QtMsgType type, const QMessageLogContext &context,
                           const QString &message) {
    if (t_current && type != QtFatalMsg) {
        t_current->m_messages.append(message);
        return;
    }
    if (g_previous)
        g_previous(type, context, message);
}

DecoderWarnings::DecoderWarnings()
    : m_outer(t_current) {
    static std::once_flag installed;
    std::call_once(installed, [] { g_previous = qInstallMessageHandler(collectDecoderWarning); });
    t_current = this;
    silenceStderr();
}

DecoderWarnings::~DecoderWarnings() {
    restoreStderr();
    t_current = m_outer;
}

bool DecoderWarnings::sawDamage() const {
    // libjpeg fills what is missing in grey and only warns. "Extraneous bytes
    // before marker" is common in cameras' files and harmless, so it is not here.
    static const char *const damage[] = {"premature end", "huffman", "truncat"};
    for (const QString &message : m_messages) {
        for (const char *words : damage) {
            if (message.contains(QLatin1String(words), Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

} // namespace form
