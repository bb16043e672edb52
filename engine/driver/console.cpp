#include "engine/driver/console.h"

#include <ctime>
#include <istream>
#include <ostream>

namespace korvana::engine {

void StreamConsole::writeLine(std::string_view text) {
    m_out << text << '\n';
    m_out.flush();
}

std::optional<std::string> StreamConsole::readLine() {
    std::string line;
    if (!std::getline(m_in, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

ClockTime SystemClock::now() const {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return ClockTime{local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace korvana::engine
