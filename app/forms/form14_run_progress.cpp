#include "app/forms/form14_run_progress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <exception>
#include <optional>
#include <string>

#include "app/forms/duration_text.h"
#include "app/forms/form1_result_browser.h"
#include "app/forms/form2_main_input.h"
#include "app/forms/forms.h"
#include "app/results/constants.h"
#include "app/run/run_time_estimate.h"
#include "app/widgets/controls.h"
#include "common/data_error.h"
#include "common/file_names.h"
#include "common/regular_file.h"

namespace korvana::forms {

namespace {

enum Column { NAME, BIN, SPEED, LEFT, STATE, COLUMNS };

QString resultFileOf(const QString& resultName) {
    return resultName + QString::fromLatin1(app::RESULT_FILE_EXTENSION);
}

//! The bytes of `name` when it is a regular file of `kind`; none for anything
//! else (a FIFO in a log's place would otherwise hold the window).
std::optional<std::string> readIfRegular(const QString& name, FileKind kind) {
    try {
        return readRegularFile(QFile::encodeName(name).toStdString(), kind);
    } catch (const DataError&) {
        return std::nullopt;
    }
}

//! The histories B2F.txt gives the run of `resultName`, or 0 when it was
//! written for another run since.
double runFileHistories(const QString& resultName) {
    const std::optional<std::string> text =
        readIfRegular(QString::fromLatin1(RUN_FILE), FileKind::RunFile);
    if (!text) return 0;
    std::vector<std::string> lines;
    for (const QByteArray& line : QByteArray::fromStdString(*text).split('\n')) {
        lines.push_back(line.toStdString());
    }
    return app::runFileHistoryCount(lines, resultFileOf(resultName).toStdString()).value_or(0);
}

//! The state column; `quietSeconds`: since the log last changed.
QString stateText(const app::RunLogReading& r, double quietSeconds) {
    switch (r.state) {
        case app::RunState::Waiting:
            return QStringLiteral("Enter キー待ち");
        case app::RunState::Running: {
            QString text = QStringLiteral("計算中 %1 %").arg(qRound(100 * app::shareDone(r)));
            if (quietSeconds >= Form14::QUIET_SECONDS) {
                text += QStringLiteral("（ログの更新が %1 ありません）")
                            .arg(durationText(quietSeconds));
            }
            return text;
        }
        case app::RunState::Finished:
            return QStringLiteral("終了");
        case app::RunState::Failed:
            return QStringLiteral("失敗: ") + QString::fromStdString(r.failure);
    }
    return {};
}

}  // namespace

Form14::Form14(Forms& forms)
    : Form("Form14", QStringLiteral("計算の進行状況"), 10200, 4920),
      Grid1(new QTableWidget(0, COLUMNS, page())),
      Label1(addLabel(page(), "Label1", {}, {120, 3240, 9960, 600})),
      Command1(addCommandButton(page(), "Command1", QStringLiteral("結果を開く"),
                                {120, 4020, 2400, 540})),
      Command2(
          addCommandButton(page(), "Command2", QStringLiteral("閉じる"), {7680, 4020, 2400, 540})),
      m_forms(forms) {
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setGeometry(TwipRect{120, 120, 9960, 3000}.toPixels());
    Grid1->setHorizontalHeaderLabels({QStringLiteral("結果名"), QStringLiteral("ビン"),
                                      QStringLiteral("ヒストリー/秒"), QStringLiteral("残り時間"),
                                      QStringLiteral("状態")});
    Grid1->verticalHeader()->hide();
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setSelectionMode(QAbstractItemView::NoSelection);
    Grid1->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {2400, 1200, 1560, 1560};
    for (int c = 0; c < STATE; ++c) Grid1->setColumnWidth(c, twipsToPixels(widths[c]));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setWordWrap(true);
    Command1->setEnabled(false);
    setClosedByEscape();
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    m_clock.start();
    m_timer.setInterval(POLL_MS);
    connect(&m_timer, &QTimer::timeout, this,
            [this] { poll(static_cast<double>(m_clock.elapsed()) / 1000.0); });
    m_timer.start();
}

void Form14::openRunProgress() {
    poll(static_cast<double>(m_clock.elapsed()) / 1000.0);
    showModelessOver(&m_forms.form2());
}

void Form14::followStartedRun(const QString& resultName, const QString& logFileName,
                              double historyCount) {
    // A new run under a name used before replaces the old row.
    std::erase_if(m_runs, [&](const FollowedRun& run) { return run.logFileName == logFileName; });
    m_runs.push_back({resultName, logFileName, app::RunWatch(historyCount), -1, {}, 0, false});
    showRows(static_cast<double>(m_clock.elapsed()) / 1000.0);
}

bool Form14::isFollowed(const QString& logFileName) const {
    return std::any_of(m_runs.begin(), m_runs.end(),
                       [&](const FollowedRun& run) { return run.logFileName == logFileName; });
}

void Form14::findGrowingLogs() {
    const QDateTime now = QDateTime::currentDateTime();
    const QFileInfoList logs =
        QDir::current().entryInfoList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
    for (const QFileInfo& log : logs) {
        if (isFollowed(log.fileName()) || log.size() == 0 ||
            log.lastModified().secsTo(now) > GROWING_SECONDS) {
            continue;
        }
        const std::optional<std::string> text = readIfRegular(log.filePath(), FileKind::Log);
        if (!text) continue;
        const app::RunLogReading reading = app::readRunLog(*text);
        // Only engines' logs, and only runs not already over.
        if (!reading.engineLog || reading.state == app::RunState::Finished ||
            reading.state == app::RunState::Failed) {
            continue;
        }
        const QString name = log.completeBaseName();
        m_runs.push_back(
            {name, log.fileName(), app::RunWatch(runFileHistories(name)), -1, {}, false});
    }
}

bool Form14::readLog(FollowedRun& run, double nowSeconds) {
    const QFileInfo info(run.logFileName);
    if (!info.exists()) return false;
    const bool changed = info.size() != run.logSize || info.lastModified() != run.logModified;
    if (changed) {
        const std::optional<std::string> text = readIfRegular(run.logFileName, FileKind::Log);
        if (!text) return false;
        run.logSize = info.size();
        run.logModified = info.lastModified();
        run.lastChange = nowSeconds;
        run.watch.observe(app::readRunLog(*text), nowSeconds);
    } else if (run.watch.reading().state == app::RunState::Running) {
        // Nothing new: still running, so the time goes on.
        run.watch.observe(run.watch.reading(), nowSeconds);
    }
    const app::RunState state = run.watch.reading().state;
    const bool ended = state == app::RunState::Finished || state == app::RunState::Failed;
    if (!ended || run.ended) return false;
    run.ended = true;
    return true;
}

void Form14::poll(double nowSeconds) {
    // A log written again after its run ended belongs to a new run of that name.
    std::erase_if(m_runs, [](const FollowedRun& run) {
        return run.ended && QFileInfo(run.logFileName).lastModified() != run.logModified;
    });
    findGrowingLogs();
    for (FollowedRun& run : m_runs) {
        if (run.ended) continue;
        if (readLog(run, nowSeconds)) {
            refineEstimate(run);
            noticeEnd(run);
        }
    }
    showRows(nowSeconds);
}

void Form14::noticeEnd(const FollowedRun& run) {
    const app::RunLogReading& r = run.watch.reading();
    if (r.state == app::RunState::Finished) {
        m_noticedResultFile = resultFileOf(run.resultName);
        Label1->setText(QStringLiteral("%1 の計算が終わりました。結果は %2 にあります。")
                            .arg(run.resultName, m_noticedResultFile));
        Label1->setStyleSheet(QStringLiteral("color: rgb(0, 0, 160);"));
    } else {
        m_noticedResultFile.clear();
        Label1->setText(QStringLiteral("%1 の計算は失敗しました: %2")
                            .arg(run.resultName, QString::fromStdString(r.failure)));
        Label1->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
    }
    Command1->setEnabled(!m_noticedResultFile.isEmpty());
    if (!isVisible()) showModelessOver(&m_forms.form2());
}

void Form14::refineEstimate(const FollowedRun& run) const {
    const app::RunLogReading& r = run.watch.reading();
    const std::optional<double> seconds = run.watch.finishedSeconds();
    const double histories =
        r.histories ? static_cast<double>(*r.histories) : run.watch.historyCount();
    if (!seconds || histories <= 0) return;
    app::recordFinishedRun(app::RUN_RATES_FILE, histories, *seconds, r.threads * r.processes,
                           r.estimator);
}

void Form14::showRows(double nowSeconds) {
    Grid1->setRowCount(static_cast<int>(m_runs.size()));
    for (int row = 0; row < Grid1->rowCount(); ++row) {
        const FollowedRun& run = m_runs[static_cast<std::size_t>(row)];
        const app::RunLogReading& r = run.watch.reading();
        const std::optional<double> speed = run.watch.historiesPerSecond();
        const std::optional<double> left = run.watch.secondsLeft();
        const QString texts[COLUMNS] = {
            run.resultName,
            r.binCount > 0 ? QStringLiteral("%1 / %2").arg(r.bin).arg(r.binCount)
                           : QStringLiteral("—"),
            speed ? QString::number(*speed, 'g', 3) : QStringLiteral("—"),
            left && !run.ended ? durationText(*left) : QStringLiteral("—"),
            stateText(r, nowSeconds - run.lastChange),
        };
        for (int c = 0; c < COLUMNS; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c == STATE) item->setToolTip(texts[c]);
            Grid1->setItem(row, c, item);
        }
    }
}

void Form14::Command1_Click() {
    if (m_noticedResultFile.isEmpty()) return;
    m_forms.form1().openResultBrowserOn(m_noticedResultFile);
}

}  // namespace korvana::forms
