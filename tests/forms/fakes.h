// Stand-ins for the forms' outside world: a process starter that records
// starts, a fixed clock, a recorder of message boxes, and a scratch working
// directory with the material tables, holding a fresh set of forms.
#pragma once

#include <QAction>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTest>
#include <memory>
#include <vector>

#include "app/forms/form2_main_input.h"
#include "app/forms/forms.h"
#include "app/widgets/clock.h"
#include "app/widgets/message_box.h"
#include "app/widgets/picture_export.h"
#include "app/widgets/process_starter.h"
#include "common/file_names.h"
#include "temp_dir.h"

namespace korvana::testing {

struct RecordedStart {
    forms::StartRequest request;
    bool hvlFileExisted = false;  //!< HVL_S2.dat was in the directory at the start
    bool runFileExisted = false;  //!< B2F.txt was in the directory at the start
};

class FakeProcessStarter : public forms::ProcessStarter {
public:
    forms::StartOutcome start(const forms::StartRequest& request) override {
        starts.push_back({request, QFile::exists(QString::fromLatin1(HVL_FILE)),
                          QFile::exists(QString::fromLatin1(RUN_FILE))});
        forms::StartOutcome result = outcome;
        if (result.started) result.logFileName = request.logFileName;
        return result;
    }

    std::vector<RecordedStart> starts;
    forms::StartOutcome outcome{true, QStringLiteral("xterm"), {}, {}};
};

class FakeClock : public forms::Clock {
public:
    QDate currentDate() const override { return date; }
    QDate date{2025, 3, 7};
};

//! Records every message box while it exists, instead of showing it, and
//! answers a question with `questionAnswer` (No unless a test says otherwise).
class MessageRecorder {
public:
    MessageRecorder() {
        forms::setMessageHook([this](const forms::MessageRecord& m) {
            messages.push_back(m);
            return m.buttons == forms::MessageButtons::Ok ? forms::MessageAnswer::Ok
                                                          : questionAnswer;
        });
    }
    ~MessageRecorder() { forms::setMessageHook({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<forms::MessageRecord> messages;
    forms::MessageAnswer questionAnswer = forms::MessageAnswer::No;
};

//! Answers every "save as" question with `answer` while it exists, and
//! records the names suggested.
class SaveNameAnswer {
public:
    explicit SaveNameAnswer(QString answer) : m_answer(std::move(answer)) {
        forms::setSaveNameHook([this](const QString& suggested, const QString&) {
            suggestions.push_back(suggested);
            return m_answer;
        });
    }
    ~SaveNameAnswer() { forms::setSaveNameHook({}); }
    SaveNameAnswer(const SaveNameAnswer&) = delete;
    SaveNameAnswer& operator=(const SaveNameAnswer&) = delete;

    std::vector<QString> suggestions;

private:
    QString m_answer;
};

//! Triggers the export menu entry `action` (savePicture, saveCsv ...) of `area`.
inline void triggerExport(QWidget* area, const char* action) {
    for (QAction* entry : area->actions()) {
        if (entry->objectName() == QLatin1String(action)) {
            entry->trigger();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no export entry ") + QLatin1String(action)));
}

inline const std::vector<std::string> GUI_TABLES = {"Tungsten.dat", "Aluminum.atc", "Copper.dat",
                                                    "Pb.dat"};

//! One test's world: a working directory (with the material tables unless told
//! otherwise and with the user's settings file, never the real one), the
//! fakes, and the forms, Form2 loaded and shown.
struct FormsFixture {
    explicit FormsFixture(bool withTables = true) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(workDir.path().string()));
        if (withTables) copyShippedTables(GUI_TABLES);
        forms = std::make_unique<forms::Forms>(starter, clock);
        forms->form2().showModeless();
    }

    ScopedWorkDir workDir;
    MessageRecorder recorder;
    FakeProcessStarter starter;
    FakeClock clock;
    std::unique_ptr<forms::Forms> forms;
};

//! Sets a text box as the user would leave it.
template <typename Box>
void typeInto(Box* box, const QString& text) {
    QVERIFY(box);
    box->setText(text);
}

}  // namespace korvana::testing
