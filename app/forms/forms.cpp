#include "app/forms/forms.h"

#include "app/forms/form10_conversion_factor.h"
#include "app/forms/form12_launch_dialog.h"
#include "app/forms/form13_live_estimate.h"
#include "app/forms/form14_run_progress.h"
#include "app/forms/form15_room_layout.h"
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

namespace {

//! Builds a form the first time it is asked for; it places its controls at its
//! own display scale, and a form built meanwhile (one whose constructor asks
//! for another) at its own.
template <class F, class... Args>
void buildOnce(std::unique_ptr<F>& form, Args&... arguments) {
    if (form) return;
    const DisplayScaleGuard scale;
    form = std::make_unique<F>(arguments...);
}

}  // namespace

// Form2's Load reads other forms' lists, so it runs after Form2 is stored.
Form1& Forms::form1() {
    buildOnce(m_form1, *this);
    return *m_form1;
}

Form2& Forms::form2() {
    if (!m_form2) {
        buildOnce(m_form2, *this);
        m_form2->Form2_Load();
    }
    return *m_form2;
}

Form3& Forms::form3() {
    buildOnce(m_form3);
    return *m_form3;
}

Form4& Forms::form4() {
    buildOnce(m_form4);
    return *m_form4;
}

Form5& Forms::form5() {
    buildOnce(m_form5, *this);
    return *m_form5;
}

Form6& Forms::form6() {
    buildOnce(m_form6, *this);
    return *m_form6;
}

Form10& Forms::form10() {
    buildOnce(m_form10);
    return *m_form10;
}

Form12& Forms::form12() {
    buildOnce(m_form12, *this);
    return *m_form12;
}

Form13& Forms::form13() {
    if (!m_form13) m_form13 = std::make_unique<Form13>(*this);
    return *m_form13;
}

Form14& Forms::form14() {
    if (!m_form14) m_form14 = std::make_unique<Form14>(*this);
    return *m_form14;
}

Form15& Forms::form15() {
    buildOnce(m_form15, *this);
    return *m_form15;
}

void Forms::endProgram() {
    for (QWidget* form : std::initializer_list<QWidget*>{
             m_form1.get(), m_form2.get(), m_form3.get(), m_form4.get(), m_form5.get(),
             m_form6.get(), m_form10.get(), m_form12.get(), m_form13.get(), m_form14.get(),
             m_form15.get()}) {
        if (form) form->hide();
    }
    m_endRequested = true;
    if (m_endHandler) m_endHandler();
}

}  // namespace korvana::forms
