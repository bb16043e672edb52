// Form14, "計算の進行状況": the engines started from this korvana and every
// run of the working directory whose log is still growing, one row each:
// result name, bin i / N, histories per second, time left and state
// (finished, or failed with the engine's message). The logs are read once a
// second (app/run/run_log.h). When a run ends the panel shows a notice, and
// for a finished run "結果を開く" opens the result browser on its file; each
// finished run also refines the launch dialog's time estimate
// (app/run/run_time_estimate.h).
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <vector>

#include "app/run/run_log.h"
#include "app/widgets/form.h"

class QLabel;
class QTableWidget;

namespace korvana::forms {

class Forms;

class Form14 : public Form {
public:
    explicit Form14(Forms& forms);

    //! Between two looks at the logs [ms].
    static constexpr int POLL_MS = 1000;
    //! A log of the working directory changed this recently is a run under
    //! way [s]; an older one is a run of the past.
    static constexpr int GROWING_SECONDS = 30;
    //! A running engine writes a line at least every bin; a log quiet for this
    //! long is pointed out (the engine may have been stopped) [s].
    static constexpr int QUIET_SECONDS = 300;

    //! Shows the panel with the runs as they stand.
    void openRunProgress();
    //! An engine the launch dialog started: followed from now on through its
    //! log, with the histories it was given.
    void followStartedRun(const QString& resultName, const QString& logFileName,
                          double historyCount);
    //! One look at every followed log and at the working directory's logs;
    //! `nowSeconds` on a steady clock. Called by the panel's timer.
    void poll(double nowSeconds);

    //! "結果を開く": the noticed finished run's result in the result browser.
    void Command1_Click();
    //! "閉じる": hides; the runs are still followed.
    void Command2_Click() { hide(); }

private:
    // The controls, in the order they are made (and so tabbed through).
    QTableWidget* const Grid1;  //!< one row per run
    QLabel* const Label1;       //!< the notice of the last run that ended
    QPushButton* const Command1;
    QPushButton* const Command2;

    struct FollowedRun {
        QString resultName;  //!< without extension
        QString logFileName;
        app::RunWatch watch;
        qint64 logSize = -1;  //!< at the last reading; -1: not read yet
        QDateTime logModified;
        double lastChange = 0;  //!< when the log last changed [s on the poll's clock]
        bool ended = false;     //!< its end has been noticed
    };

    bool isFollowed(const QString& logFileName) const;
    void findGrowingLogs();
    //! Reads a changed log; true when the run ended with this reading.
    bool readLog(FollowedRun& run, double nowSeconds);
    void noticeEnd(const FollowedRun& run);
    void refineEstimate(const FollowedRun& run) const;
    void showRows(double nowSeconds);

    Forms& m_forms;
    std::vector<FollowedRun> m_runs;
    QString m_noticedResultFile;  //!< NAME.data of the notice; empty: none to open
    QTimer m_timer;
    QElapsedTimer m_clock;
};

}  // namespace korvana::forms
