#include "form/DecoderWarnings.h"

#include <mutex>

namespace form {

namespace {

thread_local DecoderWarnings *t_current = nullptr;
QtMessageHandler g_previous = nullptr;

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
}

DecoderWarnings::~DecoderWarnings() {
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
