#include "lumo/Exception.h"

namespace Lumo {

namespace {
std::string Text(const char* s) {
    return s ? std::string(s) : std::string();
}
}  // namespace

Exception::Exception(const char* message, const char* file, int line)
    : Exception(message, nullptr, file, line) {}

Exception::Exception(const char* message, const char* detail, const char* file, int line)
    : m_message(Text(message)), m_detail(Text(detail)), m_file(Text(file)), m_line(line) {
    m_what = m_message;
    if (!m_detail.empty()) {
        m_what += " (" + m_detail + ")";
    }
}

Exception::~Exception() = default;
Exception::Exception(const Exception&) = default;
Exception& Exception::operator=(const Exception&) = default;

const char* Exception::what() const noexcept {
    return m_what.c_str();
}

}  // namespace Lumo
