#include "form/RuntimeError.h"

namespace form {

RuntimeError::RuntimeError(int number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what(QStringLiteral("Run-time error '%1': %2").arg(number).arg(m_description).toUtf8()) {}

RuntimeError RuntimeError::invalidProcedureCall() {
    return {5, QStringLiteral("Invalid procedure call or argument")};
}

RuntimeError RuntimeError::overflow() {
    return {6, QStringLiteral("Overflow")};
}

RuntimeError RuntimeError::subscriptOutOfRange() {
    return {9, QStringLiteral("Subscript out of range")};
}

} // namespace form
