#include "app/study/study.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <thread>

#include "app/common/text_value.h"
#include "app/run/run_log.h"
#include "app/run/run_time_estimate.h"
#include "app/study/summary_series.h"
#include "common/data_error.h"
#include "common/engine_texts.h"
#include "common/regular_file.h"
#include "common/text_file.h"
#include "common/version.h"

namespace korvana::study {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* PROGRAM = "korvana-study";
constexpr const char* PLOT_FILE = "summary.svg";
constexpr const char* LOCK_FILE = ".korvana-study.lock";
//! The study's identity (studyIdentity), written beside its summary: parts
//! merge only with parts of the same identity.
constexpr const char* IDENTITY_FILE = "study_options.txt";
constexpr double FILE_PROGRESS_SECONDS = 10;  // between progress lines written to a file

std::string duration(double seconds) {
    const std::optional<long long> shown = app::shownSeconds(seconds);
    if (!shown) return "?";
    const long long s = *shown;
    char text[48];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%lld h %02lld min", s / 3600, s / 60 % 60);
    } else if (s >= 60) {
        std::snprintf(text, sizeof text, "%lld min %02lld s", s / 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld s", s);
    }
    return text;
}

std::string rate(double perSecond) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", perSecond);
    return text;
}

// The progress line: rewritten in place on a terminal, separate lines in a file.
class ProgressLine {
public:
    explicit ProgressLine(StudyConsole& console) : m_console(console) {}

    void show(const std::string& text) {
        if (m_console.terminal) {
            m_console.out << '\r' << text << "\033[K" << std::flush;
            m_shown = true;
            return;
        }
        const auto now = Clock::now();
        if (m_lastFileLine &&
            std::chrono::duration<double>(now - *m_lastFileLine).count() < FILE_PROGRESS_SECONDS) {
            return;
        }
        m_lastFileLine = now;
        m_console.out << text << '\n' << std::flush;
    }
    //! Ends the line in place before other text is written.
    void clear() {
        if (m_shown) m_console.out << '\r' << "\033[K" << std::flush;
        m_shown = false;
    }

private:
    StudyConsole& m_console;
    bool m_shown = false;
    std::optional<Clock::time_point> m_lastFileLine;
};

// Only one study at a time writes a folder's summary.
//! One study at a time in a folder: an exclusive lock on OUT/.korvana-study.lock,
//! whose file is removed again when the study ends. A study that opened the
//! file just before the holder removed it finds, once it has the lock, that
//! its file is no longer the one at that name, and tries again.
class FolderLock {
public:
    explicit FolderLock(const fs::path& folder) : m_name((folder / LOCK_FILE).string()) {
        for (;;) {
            m_fd = ::open(m_name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            if (m_fd < 0) {
                throw DataError(SourcePosition{m_name, 0, 0},
                                "cannot be created (the --out folder is not writable) - choose "
                                "another --out");
            }
            if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
                ::close(m_fd);
                throw DataError("another korvana-study is running in " + folder.string() +
                                " (its summary would be overwritten) - wait for it, or give each "
                                "part its own --out and join them with --merge");
            }
            struct stat held {};
            struct stat named {};
            if (::fstat(m_fd, &held) == 0 && ::stat(m_name.c_str(), &named) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                return;
            }
            ::close(m_fd);
        }
    }
    ~FolderLock() {
        ::unlink(m_name.c_str());  // while still holding the lock
        ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    std::string m_name;
    int m_fd = -1;
};

void listConditions(std::ostream& out, const StudyOptions& options,
                    const std::vector<Condition>& conditions, std::size_t selected) {
    out << "Study of " << conditions.size() << " condition(s) in " << options.outDir;
    if (options.part.n > 1) {
        out << ", part " << options.part.k << "/" << options.part.n << ": " << selected
            << " of them";
    }
    out << "\nCommon inputs:";
    const std::vector<StudyInput> swept = sweptInputs(options);
    for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
        const auto input = static_cast<StudyInput>(n);
        if (!studyHasInput(options, input)) continue;
        if (std::find(swept.begin(), swept.end(), input) != swept.end()) continue;
        const InputDescription& d = describe(input);
        const std::string& value = options.values[n].front();
        out << " --" << d.option << " " << (value.empty() ? "(none)" : value);
    }
    if (options.threads) out << " --threads " << *options.threads;
    if (options.estimator) out << " --estimator " << *options.estimator;
    if (options.scene) out << " --scene " << options.sceneSource;
    out << '\n';
    for (const Condition& c : conditions) {
        if (!inPart(c.index, options.part)) continue;
        out << "  " << c.index << "/" << conditions.size() << "  " << c.folder;
        for (std::size_t k = 0; k < c.corrections.size(); ++k) {
            out << (k == 0 ? "  (" : ", ") << c.corrections[k];
        }
        out << (c.corrections.empty() ? "" : ")") << '\n';
    }
    out << std::flush;
}

// The expected wall time of the selected conditions' engine runs, from the
// rates kept in the working directory (or the first measured ones). The kept
// rates are a cache: a file in their place that cannot be used is named in a
// warning and the study goes on, as a user expects of a time estimate.
void showExpectedTime(StudyConsole& console, const StudyOptions& options,
                      const std::vector<const Condition*>& selected) {
    std::ostream& out = console.out;
    int threads = 1;
    if (options.threads) {
        const unsigned cores = std::thread::hardware_concurrency();
        threads = *options.threads > 0 ? *options.threads : std::max(1, static_cast<int>(cores));
    }
    const std::string estimator = options.estimator.value_or(std::string(ESTIMATOR_ANALOG));
    const app::KeptRunRates kept = app::readKeptRunRates(app::RUN_RATES_FILE);
    if (!kept.problem.empty()) {
        console.errors << PROGRAM
                       << ": warning: the kept engine speeds cannot be used: " << kept.problem
                       << ". The study goes on with the starting speeds"
                       << (kept.writable ? "; the next finished run writes the file anew.\n"
                                         : " and keeps no finished run's speed.\n")
                       << std::flush;
    }
    const app::RunRates& rates = kept.rates;
    double histories = 0;
    for (const Condition* c : selected) {
        histories += app::textValue(c->inputs[static_cast<std::size_t>(StudyInput::Histories)]);
    }
    const app::EstimatorRate& r = rates.of(estimator);
    out << "Expected wall time: about "
        << duration(app::expectedRunSeconds(rates, histories, threads, estimator)) << " for "
        << selected.size() << " condition(s), " << rate(histories) << " histories on " << threads
        << (threads == 1 ? " thread" : " threads") << " at " << rate(r.historiesPerSecondPerThread)
        << " histories/s per thread (" << estimator << ", "
        << (r.runs > 0 ? "refined by " + std::to_string(r.runs) + " finished run(s)"
            : r.calibrated
                ? std::string("from a short calibration run here; finished runs refine it")
                : std::string("rate of the development machine; finished runs refine it"))
        << ")\n";
}

// Rows of an earlier run of this study; rows of another study are refused
// rather than dropped, so no finished result is lost from the summary.
std::map<std::size_t, SummaryRow> earlierRows(const std::string& summaryFile,
                                              const std::vector<Condition>& conditions,
                                              const SummaryLayout& layout) {
    std::map<std::size_t, SummaryRow> rows;
    SummaryTable table = readSummaryTable(summaryFile);
    const bool withWorkload = layout.workload;
    if (const bool had = table.layout.workload; table.exists && had != withWorkload) {
        throw DataError(SourcePosition{summaryFile, 1, 0},
                        std::string("was written ") + (had ? "with" : "without") +
                            " a workload (--kap or --entrance-kerma, --procedures), this study " +
                            (withWorkload ? "has one" : "has none") +
                            " - give the same workload options, or another --out");
    }
    if (table.exists && table.layout != layout) {
        throw DataError(SourcePosition{summaryFile, 1, 0},
                        std::string("was written ") +
                            (table.layout.scene ? "with a scene" : "without a scene") +
                            (table.layout.scene && layout.scene ? " of other eye points" : "") +
                            ", this study has " + (layout.scene ? "a scene" : "none") +
                            " - give the same --scene, or another --out");
    }
    for (SummaryRow& row : table.rows) {
        const std::size_t index = rowCondition(row);
        if (index > conditions.size() ||
            cellOf(row, "condition_count") != std::to_string(conditions.size()) ||
            cellOf(row, "folder") != conditions[index - 1].folder) {
            throw DataError(SourcePosition{summaryFile, 0, 0},
                            "holds condition " + cellOf(row, "condition") + " (" +
                                cellOf(row, "folder") +
                                ") of another study - choose another --out for this study");
        }
        rows[index] = std::move(row);
    }
    return rows;
}

std::vector<SummaryRow> rowsOf(const std::map<std::size_t, SummaryRow>& rows) {
    std::vector<SummaryRow> list;
    for (const auto& [index, row] : rows) list.push_back(row);
    return list;
}

void writePlotIfSwept(const fs::path& out, const std::vector<SummaryRow>& rows,
                      const SummaryLayout& layout, const SummaryPlotWriter& plot,
                      std::ostream& text) {
    const std::vector<StudyInput> swept = sweptColumns(rows, layout);
    if (rows.empty() || swept.empty() || swept.size() > 2) return;
    if (!plot) {
        text << "Plot: none (this korvana-study was built without Qt)\n";
        return;
    }
    plot((out / PLOT_FILE).string(), rows, swept, layout);  // annual mSv when rows have them
    text << "Plot: " << (out / PLOT_FILE).string() << '\n';
}

// The option where two identities differ: "--histories" and the two lines.
struct IdentityDifference {
    std::string option, mine, theirs;
};
std::optional<IdentityDifference> identityDifference(const std::vector<std::string>& mine,
                                                     const std::vector<std::string>& theirs) {
    for (std::size_t n = 0; n < std::max(mine.size(), theirs.size()); ++n) {
        const std::string a = n < mine.size() ? mine[n] : std::string();
        const std::string b = n < theirs.size() ? theirs[n] : std::string();
        if (a == b) continue;
        const std::string& named = a.empty() ? b : a;
        return IdentityDifference{named.substr(0, named.find(' ')), a, b};
    }
    return std::nullopt;
}

std::vector<std::string> readIdentity(const fs::path& dir) {
    const std::string file = (dir / IDENTITY_FILE).string();
    if (nothingNamed(file)) {
        throw DataError(SourcePosition{file, 0, 0},
                        "does not exist (the folder holds no part of a study, or an older "
                        "korvana-study ran it) - run the part again and merge");
    }
    return readTextFile(file, FileKind::StudyIdentity).lines;
}

// The rows of the parts' summaries by condition, each with the file it came from.
struct PartRows {
    std::map<std::size_t, std::pair<SummaryRow, std::string>> rows;
    std::string count;  //!< the study's number of conditions, as the rows give it
    std::vector<std::string> identity;
    std::optional<SummaryLayout> layout;  //!< the columns of the parts' summaries
};

void checkSameIdentity(const StudyOptions& options, const std::string& dir, PartRows& parts) {
    const std::vector<std::string> partIdentity = readIdentity(dir);
    if (parts.identity.empty()) {
        parts.identity = partIdentity;
    } else if (const auto d = identityDifference(parts.identity, partIdentity)) {
        throw DataError(dir + " is a part of another study: " + d->option + " differs (" +
                        options.mergeDirs.front() + ": " + quoteValue(d->mine) + ", " + dir + ": " +
                        quoteValue(d->theirs) + ") - merge the parts of one study");
    }
}

void addPartRows(const std::string& file, PartRows& parts) {
    SummaryTable table = readSummaryTable(file);
    if (!parts.layout) parts.layout = table.layout;
    if (table.layout != *parts.layout) {
        throw DataError("the parts' summaries differ in their " +
                        std::string(table.layout.workload != parts.layout->workload
                                        ? "workload columns"
                                        : "scene columns") +
                        " (" + file + ") - merge the parts of one study");
    }
    for (SummaryRow& row : table.rows) {
        const std::string& count = cellOf(row, "condition_count");
        if (!parts.count.empty() && count != parts.count) {
            throw DataError(SourcePosition{file, 0, 0},
                            "belongs to a study of " + count + " conditions, the others to " +
                                parts.count + " - merge the parts of one study");
        }
        parts.count = count;
        const std::size_t index = rowCondition(row);
        const auto found = parts.rows.find(index);
        if (found != parts.rows.end() && found->second.first != row) {
            throw DataError("condition " + cellOf(row, "condition") + " is in " +
                            found->second.second + " and in " + file +
                            " with different rows - keep one of them and merge again");
        }
        parts.rows[index] = {std::move(row), file};
    }
}

PartRows readParts(const StudyOptions& options) {
    PartRows parts;
    for (const std::string& dir : options.mergeDirs) {
        const std::string file = (fs::path(dir) / SUMMARY_FILE).string();
        if (nothingNamed(file)) {
            throw DataError(SourcePosition{file, 0, 0},
                            "does not exist (no part of the study ran there) - give the --out "
                            "folders of the parts");
        }
        checkSameIdentity(options, dir, parts);
        addPartRows(file, parts);
    }
    return parts;
}

// The rows of conditions 1..count in order, and the numbers of those no part holds.
struct MergedRows {
    std::vector<SummaryRow> rows;
    std::size_t expected = 0;
    std::string missing;  //!< "2, 5"
};

MergedRows mergedRows(const PartRows& parts) {
    MergedRows merged;
    if (!parts.count.empty()) {
        std::from_chars(parts.count.data(), parts.count.data() + parts.count.size(),
                        merged.expected);
    }
    for (std::size_t index = 1; index <= merged.expected; ++index) {
        const auto found = parts.rows.find(index);
        if (found == parts.rows.end()) {
            merged.missing += (merged.missing.empty() ? "" : ", ") + std::to_string(index);
        } else {
            merged.rows.push_back(found->second.first);
        }
    }
    return merged;
}

int failedRows(const std::vector<SummaryRow>& rows) {
    int failed = 0;
    for (const SummaryRow& row : rows) failed += !statusIsOk(rowStatus(row));
    return failed;
}

void createOutFolder(const fs::path& out) {
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) throw DataError("cannot create " + out.string() + " (" + ec.message() + ")");
}

int mergeStudies(const StudyOptions& options, StudyConsole& console,
                 const SummaryPlotWriter& plot) {
    const fs::path out(options.outDir);
    createOutFolder(out);
    // A study running in OUT would overwrite the merged summary, or have its own overwritten.
    FolderLock lock(out);
    const PartRows parts = readParts(options);
    const MergedRows merged = mergedRows(parts);
    writeTextFileAtomically((out / IDENTITY_FILE).string(), parts.identity);
    const SummaryLayout layout = parts.layout.value_or(SummaryLayout{});
    writeSummary((out / SUMMARY_FILE).string(), merged.rows, layout);
    console.out << "Merged " << merged.rows.size() << " of " << merged.expected
                << " conditions into " << (out / SUMMARY_FILE).string() << '\n';
    writePlotIfSwept(out, merged.rows, layout, plot, console.out);
    if (!merged.missing.empty()) {
        console.errors << PROGRAM << ": conditions " << merged.missing
                       << " are in none of the summaries (a part did not run or not to its "
                          "end) - run those parts and merge again\n";
        return 1;
    }
    return failedRows(merged.rows) == 0 ? 0 : 1;
}

bool hasAll(const fs::path& directory, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (!fs::exists(directory / name)) return false;
    }
    return true;
}

}  // namespace

StudyEnvironment findEnvironment(const fs::path& programDirectory) {
    const std::vector<fs::path> places = {fs::current_path(), programDirectory};
    StudyEnvironment environment;
    for (const fs::path& place : places) {
        if (hasAll(place, chainTableNames())) {
            environment.dataDirectory = fs::absolute(place).string();
            break;
        }
    }
    const auto program = [&places](const char* name) {
        for (const fs::path& place : places) {
            if (::access((place / name).c_str(), X_OK) == 0)
                return fs::absolute(place / name).string();
        }
        return std::string();
    };
    environment.engineProgram = program("lumetrel");
    environment.hvlProgram = program("tavisen");
    std::string missing;
    if (environment.dataDirectory.empty()) {
        for (const std::string& name : chainTableNames()) missing += " " + name;
    }
    if (environment.engineProgram.empty()) missing += " lumetrel";
    if (environment.hvlProgram.empty()) missing += " tavisen";
    if (!missing.empty()) {
        throw DataError("not found in the working directory nor beside korvana-study:" + missing +
                        " - run it in work/ (laid out by ./run) or beside those files");
    }
    return environment;
}

namespace {

// Histories left in the study after each selected condition, for its time left.
std::vector<double> historiesAfterEach(const std::vector<const Condition*>& selected) {
    std::vector<double> after(selected.size(), 0.0);
    for (std::size_t n = selected.size(); n-- > 1;) {
        after[n - 1] =
            after[n] +
            app::textValue(selected[n]->inputs[static_cast<std::size_t>(StudyInput::Histories)]);
    }
    return after;
}

// One study run in OUT: its summary rows, kept on disk after every condition.
class StudyRun {
public:
    StudyRun(const StudyOptions& options, const StudyEnvironment& environment,
             StudyConsole& console, const std::vector<Condition>& conditions,
             const std::function<bool()>& keepGoing)
        : m_options(options),
          m_environment(environment),
          m_console(console),
          m_keepGoing(keepGoing),
          m_conditions(conditions),
          m_out(options.outDir),
          m_summaryFile((m_out / SUMMARY_FILE).string()),
          m_layout(summaryLayout(options)),
          m_progress(console) {}

    //! Reads the earlier rows, records the study's identity and reads the tables.
    void start() {
        m_rows = earlierRows(m_summaryFile, m_conditions, m_layout);
        writeTextFileAtomically((m_out / IDENTITY_FILE).string(), studyIdentity(m_options));
        m_tables.material = app::loadMaterialTables(m_environment.dataDirectory);
        m_tables.eyeLens = app::loadEyeLensDoseTables(m_environment.dataDirectory);
    }

    //! True when the condition ran before with the same inputs and its result
    //! is still there and proven its own (resultNotOwnReason); its row is then
    //! only renewed for the workload. A result not proven its own, or one
    //! whose year's doses cannot be renewed, is run again.
    bool skipDone(const Condition& condition) {
        const auto earlier = m_rows.find(condition.index);
        if (m_options.force || earlier == m_rows.end() ||
            !rowCompletes(earlier->second, condition, m_options.estimator, m_layout) ||
            !fs::exists(resultFileOf(m_out / condition.folder))) {
            return false;
        }
        const std::string notOwn =
            resultNotOwnReason(condition, m_out / condition.folder, m_tables, engineSettings(),
                               conditionScene(m_options, condition));
        if (!notOwn.empty()) {
            m_console.out << labelOf(condition) << ": done earlier, but its result is not proven "
                          << "its own (" << notOwn << "): run again\n";
            return false;
        }
        if (m_layout.workload && !renewAnnualCells(condition)) return false;
        m_console.out << labelOf(condition) << ": done earlier, skipped (--force runs it again)\n";
        return true;
    }

    //! Runs one condition and records its row; false when it was interrupted.
    bool run(const Condition& condition, double historiesAfter) {
        const fs::path folder = m_out / condition.folder;
        const std::string label = labelOf(condition);
        const auto start = Clock::now();
        m_progress.show(label + ": spectrum and HVL");
        std::error_code ec;
        const bool folderExisted = fs::exists(folder, ec);
        const ConditionOutcome outcome =
            runCondition(condition, folder, m_environment, engineSettings(), m_tables,
                         progressOf(label, start, historiesAfter), m_keepGoing, m_options.workload,
                         conditionScene(m_options, condition));
        m_progress.clear();
        for (const std::string& note : outcome.notes)
            m_console.out << label << ": " << note << '\n';
        if (outcome.interrupted) {
            dropInterrupted(condition, folderExisted);
            return false;
        }
        report(condition, outcome, std::chrono::duration<double>(Clock::now() - start).count());
        return true;
    }

    //! The summary's name, the plot, and the failed conditions: the exit status.
    int finish(const SummaryPlotWriter& plot) {
        m_console.out << "Summary: " << m_summaryFile << '\n';
        writePlotIfSwept(m_out, rowsOf(m_rows), m_layout, plot, m_console.out);
        if (m_failures.empty()) return 0;
        m_console.errors << PROGRAM << ": " << m_failures.size() << " condition(s) failed:";
        for (const std::string& f : m_failures) m_console.errors << ' ' << f;
        m_console.errors << '\n';
        return 1;
    }

private:
    std::string labelOf(const Condition& condition) const {
        return "condition " + std::to_string(condition.index) + "/" +
               std::to_string(m_conditions.size()) + " " + condition.folder;
    }

    EngineSettings engineSettings() const {
        return EngineSettings{m_options.threads, m_options.estimator};
    }

    // The workload may have changed since: the year's doses come afresh from
    // the condition's result, which needs no new run. False, the row left for
    // the run that follows, when the result cannot give them.
    bool renewAnnualCells(const Condition& condition) {
        try {
            m_rows[condition.index] = summaryRow(
                condition, m_conditions.size(), m_options.estimator,
                readConditionResult(m_out / condition.folder, m_tables, m_options.workload,
                                    conditionScene(m_options, condition)),
                "", m_layout);
            writeSummary(m_summaryFile, rowsOf(m_rows), m_layout);
            return true;
        } catch (const DataError& e) {
            m_console.out << labelOf(condition) << ": done earlier, but its result cannot be read ("
                          << e.what() << "): run again\n";
            return false;
        }
    }

    // The progress line of the running condition: its share done, the rate,
    // and the time left for it and, at the last condition's rate, the study.
    EngineProgress progressOf(const std::string& label, Clock::time_point start,
                              double historiesAfter) {
        return [this, label, start, historiesAfter](double fraction, double historiesDone) {
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            const double perSecond = seconds > 0 ? historiesDone / seconds : 0;
            if (perSecond > 0) m_lastRate = perSecond;
            const double conditionLeft =
                fraction > 0 ? seconds * (1 - fraction) / fraction : std::nan("");
            const double studyLeft =
                conditionLeft + (m_lastRate > 0 ? historiesAfter / m_lastRate : std::nan(""));
            char percent[16];
            std::snprintf(percent, sizeof percent, "%3.0f%%", 100 * fraction);
            m_progress.show(label + ": " + percent + ", " + rate(perSecond) +
                            " histories/s, left " + duration(conditionLeft) + " (study " +
                            duration(studyLeft) + ")");
        };
    }

    // Only what the chain wrote goes: files the user keeps there stay, and the
    // folder itself only when this run made it and it is empty.
    void dropInterrupted(const Condition& condition, bool folderExisted) {
        const fs::path folder = m_out / condition.folder;
        // A row of an earlier run of this condition would name removed files.
        if (m_rows.erase(condition.index) != 0) {
            writeSummary(m_summaryFile, rowsOf(m_rows), m_layout);
        }
        removeChainFiles(folder);
        std::error_code ec;
        if (!folderExisted) fs::remove(folder, ec);
        m_console.out << labelOf(condition) << ": interrupted; the files it had written in "
                      << folder.string() << " were removed. Run the same command again to go on.\n";
    }

    // A finished engine run refines the expected times of later runs, from
    // the speed line of the condition's log (the parallel mode writes one).
    void refineRates(const Condition& condition) const {
        const fs::path folder = m_out / condition.folder;
        std::string text;
        try {
            text = readRegularFile((folder / (folder.filename().string() + ".log")).string(),
                                   FileKind::Log);
        } catch (const DataError&) {
            return;  // no log to learn from: only the estimate misses this run
        }
        const app::RunLogReading r = app::readRunLog(text);
        if (r.state != app::RunState::Finished || !r.histories || !r.seconds) return;
        app::recordFinishedRun(app::RUN_RATES_FILE, static_cast<double>(*r.histories), *r.seconds,
                               r.threads * r.processes, r.estimator);
    }

    void report(const Condition& condition, const ConditionOutcome& outcome, double seconds) {
        const std::string label = labelOf(condition);
        if (outcome.result) {
            refineRates(condition);
            m_console.out << label << ": ok in " << duration(seconds) << '\n';
        } else {
            m_console.errors << PROGRAM << ": " << label << " failed in "
                             << (m_out / condition.folder).string() << ": " << outcome.failure
                             << '\n';
            m_failures.push_back(condition.folder);
        }
        m_rows[condition.index] = summaryRow(condition, m_conditions.size(), m_options.estimator,
                                             outcome.result, outcome.failure, m_layout);
        writeSummary(m_summaryFile, rowsOf(m_rows), m_layout);
        m_console.out << std::flush;
    }

    const StudyOptions& m_options;
    const StudyEnvironment& m_environment;
    StudyConsole& m_console;
    const std::function<bool()>& m_keepGoing;
    const std::vector<Condition>& m_conditions;
    const fs::path m_out;
    const std::string m_summaryFile;
    const SummaryLayout m_layout;
    ProgressLine m_progress;
    std::map<std::size_t, SummaryRow> m_rows;
    StudyTables m_tables;
    std::vector<std::string> m_failures;
    double m_lastRate = 0;  // [histories/s] of the last condition, for the study's time left
};

}  // namespace

int runStudy(const StudyOptions& options, const StudyEnvironment& environment, StudyConsole console,
             const std::function<bool()>& keepGoing, const SummaryPlotWriter& plot) {
    if (!options.mergeDirs.empty()) return mergeStudies(options, console, plot);

    const std::vector<Condition> conditions = studyConditions(options);
    std::vector<const Condition*> selected;
    for (const Condition& c : conditions) {
        if (inPart(c.index, options.part)) selected.push_back(&c);
    }
    listConditions(console.out, options, conditions, selected.size());
    showExpectedTime(console, options, selected);
    if (options.dryRun) return 0;

    createOutFolder(options.outDir);
    FolderLock lock(options.outDir);
    StudyRun study(options, environment, console, conditions, keepGoing);
    study.start();
    const std::vector<double> historiesAfter = historiesAfterEach(selected);
    for (std::size_t n = 0; n < selected.size(); ++n) {
        if (study.skipDone(*selected[n])) continue;
        if (!study.run(*selected[n], historiesAfter[n])) return EXIT_INTERRUPTED;
    }
    return study.finish(plot);
}

int runStudyCommand(const std::vector<std::string>& arguments, const fs::path& programDirectory,
                    StudyConsole console, const std::function<bool()>& keepGoing,
                    const SummaryPlotWriter& plot) {
    try {
        const StudyOptions options = parseStudyOptions(arguments);
        if (options.help) {
            console.out << studyUsage();
            return 0;
        }
        if (options.version) {
            console.out << versionLine("korvana-study") << '\n';
            return 0;
        }
        const bool needsEnvironment = options.mergeDirs.empty() && !options.dryRun;
        const StudyEnvironment environment =
            needsEnvironment ? findEnvironment(programDirectory) : StudyEnvironment{};
        return runStudy(options, environment, console, keepGoing, plot);
    } catch (const DataError& e) {
        console.errors << PROGRAM << ": " << e.what() << '\n';
        return 1;
    }
}

}  // namespace korvana::study
