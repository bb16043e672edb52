#include "form1.h"

#include <QComboBox>
#include <QLabel>

#include "controls.h"
#include "form10.h"
#include "form2.h"
#include "form4.h"
#include "form5.h"
#include "forms.h"

namespace korvana::forms {

Form1::Form1(Forms& forms)
    : Form("Form1", QStringLiteral("Side Scattered X-ray Spectrum"), 9000, 3600),
      Label39(addLabel(this, "Label39", QStringLiteral("散乱線角度 ="), {360, 480, 1700, 330})),
      Combo1(addComboBox(this, "Combo1", {2160, 420, 1215, 360})),
      Command3(addCommandButton(this, "Command3", QStringLiteral("Exit"), {6840, 2640, 1575, 555},
                                QStringLiteral(" bye "))),
      Command10(addCommandButton(this, "Command10", QStringLiteral("幾何学的配置図 表示"),
                                 {360, 2640, 2895, 555})),
      m_forms(forms) {
    addLabel(this, "Label1", QStringLiteral("計算結果の一覧と表示は準備中です"),
             {360, 1320, 8000, 330});
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
}

void Form1::openResultBrowser() {
    showModeless();
    m_forms.form2().hide();
}

void Form1::closeResultViewers() {
    m_forms.form2().showModeless();
    hide();
    m_forms.form4().hide();
    m_forms.form5().hide();
    m_forms.form10().hide();
}

void Form1::Command10_Click() { m_forms.form4().showModeless(); }

}  // namespace korvana::forms
