#pragma once

#include <QString>

#include <exception>

namespace form {

// A run-time error as the platform reports it: a number and its standard text.
class RuntimeError : public std::exception {
public:
    RuntimeError(int number, QString description);

    static RuntimeError invalidProcedureCall();
    static RuntimeError overflow();
    static RuntimeError subscriptOutOfRange();

    int number() const { return m_number; }
    QString description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

} // namespace form
