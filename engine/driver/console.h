// The engine's console and wall clock, behind small interfaces so that a test
// can type the Enter keys and fix the time.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace korvana::engine {

class Console {
public:
    virtual ~Console() = default;
    virtual void writeLine(std::string_view text) = 0;
    //! One line typed by the user; nothing at the end of input.
    virtual std::optional<std::string> readLine() = 0;

    //! Waits for Enter. At the end of input (no keyboard) it goes on at once,
    //! so the engine can run unattended.
    void waitForEnter() { readLine(); }
};

//! Standard streams; every line is flushed so that progress shows as it happens.
class StreamConsole : public Console {
public:
    StreamConsole(std::istream& in, std::ostream& out) : m_in(in), m_out(out) {}
    void writeLine(std::string_view text) override;
    std::optional<std::string> readLine() override;

private:
    std::istream& m_in;
    std::ostream& m_out;
};

struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual ClockTime now() const = 0;
};

//! The local wall clock.
class SystemClock : public Clock {
public:
    ClockTime now() const override;
};

}  // namespace korvana::engine
