// The program's windows: each form is created on first use (its Load handler
// runs then) and afterwards only shown and hidden. Also holds the program-wide
// state and the process starter and clock the forms use.
#pragma once

#include <functional>
#include <memory>

#include "app/forms/program_state.h"

namespace korvana::forms {

class Clock;
class ProcessStarter;
class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form6;
class Form10;
class Form12;
class Form13;
class Form14;
class Form15;

class Forms {
public:
    Forms(ProcessStarter& processStarter, Clock& clock);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    Form1& form1();
    Form2& form2();
    Form3& form3();
    Form4& form4();
    Form5& form5();
    Form6& form6();
    Form10& form10();
    Form12& form12();
    //! The live estimate "即時見積もり".
    Form13& form13();
    //! The runs panel "計算の進行状況".
    Form14& form14();
    //! The room panel "部屋の配置".
    Form15& form15();

    ProgramState& state() { return m_state; }
    ProcessStarter& processStarter() { return m_processStarter; }
    Clock& clock() { return m_clock; }

    //! Called once the program should end: main quits the event loop here.
    void setEndHandler(std::function<void()> handler) { m_endHandler = std::move(handler); }
    //! Hides every form that exists and calls the end handler.
    void endProgram();
    bool endRequested() const { return m_endRequested; }

private:
    ProcessStarter& m_processStarter;
    Clock& m_clock;
    ProgramState m_state;
    std::function<void()> m_endHandler;
    bool m_endRequested = false;
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<Form3> m_form3;
    std::unique_ptr<Form4> m_form4;
    std::unique_ptr<Form5> m_form5;
    std::unique_ptr<Form6> m_form6;
    std::unique_ptr<Form10> m_form10;
    std::unique_ptr<Form12> m_form12;
    std::unique_ptr<Form13> m_form13;
    std::unique_ptr<Form14> m_form14;
    std::unique_ptr<Form15> m_form15;
};

}  // namespace korvana::forms
