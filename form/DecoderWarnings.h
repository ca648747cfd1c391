#pragma once

#include <QStringList>

namespace form {

// Collects what Qt's image decoders say while one picture is decoded on this
// thread. Some of them report a truncated or damaged file only as a warning
// and hand back an image whose missing part is filled in grey.
class DecoderWarnings {
public:
    DecoderWarnings();
    ~DecoderWarnings();
    DecoderWarnings(const DecoderWarnings &) = delete;
    DecoderWarnings &operator=(const DecoderWarnings &) = delete;

    // Whether a decoder said that the data was cut short or broken.
    bool sawDamage() const;
    QStringList messages() const { return m_messages; }

private:
    friend void collectDecoderWarning(QtMsgType, const QMessageLogContext &, const QString &);
    DecoderWarnings *m_outer;
    QStringList m_messages;
};

} // namespace form
