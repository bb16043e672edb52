#include "app/forms/forms.h"

#include "app/forms/form10_conversion_factor.h"
#include "app/forms/form12_launch_dialog.h"
#include "app/forms/form13_live_estimate.h"
#include "app/forms/form1_result_browser.h"
#include "app/forms/form2_main_input.h"
#include "app/forms/form3_kerma_map.h"
#include "app/forms/form4_geometry.h"
#include "app/forms/form5_eye_lens_dose.h"
#include "app/forms/form6_incident_spectrum.h"

namespace korvana::forms {

Forms::Forms(ProcessStarter& processStarter, Clock& clock)
    : m_processStarter(processStarter), m_clock(clock) {}

Forms::~Forms() = default;

// Form2's Load reads other forms' lists, so it runs after Form2 is stored.
Form1& Forms::form1() {
    if (!m_form1) m_form1 = std::make_unique<Form1>(*this);
    return *m_form1;
}

Form2& Forms::form2() {
    if (!m_form2) {
        m_form2 = std::make_unique<Form2>(*this);
        m_form2->Form2_Load();
    }
    return *m_form2;
}

Form3& Forms::form3() {
    if (!m_form3) m_form3 = std::make_unique<Form3>();
    return *m_form3;
}

Form4& Forms::form4() {
    if (!m_form4) m_form4 = std::make_unique<Form4>();
    return *m_form4;
}

Form5& Forms::form5() {
    if (!m_form5) m_form5 = std::make_unique<Form5>(*this);
    return *m_form5;
}

Form6& Forms::form6() {
    if (!m_form6) m_form6 = std::make_unique<Form6>(*this);
    return *m_form6;
}

Form10& Forms::form10() {
    if (!m_form10) m_form10 = std::make_unique<Form10>();
    return *m_form10;
}

Form12& Forms::form12() {
    if (!m_form12) m_form12 = std::make_unique<Form12>(*this);
    return *m_form12;
}

Form13& Forms::form13() {
    if (!m_form13) m_form13 = std::make_unique<Form13>(*this);
    return *m_form13;
}

void Forms::endProgram() {
    for (QWidget* form : std::initializer_list<QWidget*>{
             m_form1.get(), m_form2.get(), m_form3.get(), m_form4.get(), m_form5.get(),
             m_form6.get(), m_form10.get(), m_form12.get(), m_form13.get()}) {
        if (form) form->hide();
    }
    m_endRequested = true;
    if (m_endHandler) m_endHandler();
}

}  // namespace korvana::forms
