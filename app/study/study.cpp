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
#include <map>
#include <ostream>

#include "app/common/text_value.h"
#include "app/study/summary_plot.h"
#include "common/data_error.h"
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
    if (!std::isfinite(seconds) || seconds < 0) return "?";
    const long long s = std::llround(seconds);
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
        if (std::find(swept.begin(), swept.end(), input) != swept.end()) continue;
        const InputDescription& d = describe(input);
        const std::string& value = options.values[n].front();
        out << " --" << d.option << " " << (value.empty() ? "(none)" : value);
    }
    if (options.threads) out << " --threads " << *options.threads;
    if (options.estimator) out << " --estimator " << *options.estimator;
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

// Rows of an earlier run of this study; rows of another study are refused
// rather than dropped, so no finished result is lost from the summary.
std::map<std::size_t, SummaryRow> earlierRows(const std::string& summaryFile,
                                              const std::vector<Condition>& conditions,
                                              bool withWorkload) {
    std::map<std::size_t, SummaryRow> rows;
    if (const std::optional<bool> had = summaryHasWorkload(summaryFile);
        had && *had != withWorkload) {
        throw DataError(SourcePosition{summaryFile, 1, 0},
                        std::string("was written ") + (*had ? "with" : "without") +
                            " a workload (--kap or --entrance-kerma, --procedures), this study " +
                            (withWorkload ? "has one" : "has none") +
                            " - give the same workload options, or another --out");
    }
    for (SummaryRow& row : readSummary(summaryFile)) {
        const std::size_t index = rowCondition(row);
        if (index > conditions.size() || row[1] != std::to_string(conditions.size()) ||
            row[2] != conditions[index - 1].folder) {
            throw DataError(SourcePosition{summaryFile, 0, 0},
                            "holds condition " + row[0] + " (" + row[2] +
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
                      std::ostream& text) {
    const std::vector<StudyInput> swept = sweptColumns(rows);
    if (rows.empty() || swept.empty() || swept.size() > 2) return;
    writeSummaryPlot((out / PLOT_FILE).string(), rows, swept);  // annual mSv when rows have them
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
    if (!fs::exists(file)) {
        throw DataError(SourcePosition{file, 0, 0},
                        "does not exist (the folder holds no part of a study, or an older "
                        "korvana-study ran it) - run the part again and merge");
    }
    return readTextFile(file).lines;
}

int mergeStudies(const StudyOptions& options, StudyConsole& console) {
    const fs::path out(options.outDir);
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) throw DataError("cannot create " + out.string() + " (" + ec.message() + ")");
    // A study running in OUT would overwrite the merged summary, or have its own overwritten.
    FolderLock lock(out);
    std::map<std::size_t, std::pair<SummaryRow, std::string>> rows;
    std::string count;
    std::vector<std::string> identity;
    for (const std::string& dir : options.mergeDirs) {
        const std::string file = (fs::path(dir) / SUMMARY_FILE).string();
        if (!fs::exists(file)) {
            throw DataError(SourcePosition{file, 0, 0},
                            "does not exist (no part of the study ran there) - give the --out "
                            "folders of the parts");
        }
        const std::vector<std::string> partIdentity = readIdentity(dir);
        if (identity.empty()) {
            identity = partIdentity;
        } else if (const auto d = identityDifference(identity, partIdentity)) {
            throw DataError(dir + " is a part of another study: " + d->option + " differs (" +
                            options.mergeDirs.front() + ": \"" + d->mine + "\", " + dir + ": \"" +
                            d->theirs + "\") - merge the parts of one study");
        }
        for (SummaryRow& row : readSummary(file)) {
            if (!count.empty() && row[1] != count) {
                throw DataError(SourcePosition{file, 0, 0},
                                "belongs to a study of " + row[1] + " conditions, the others to " +
                                    count + " - merge the parts of one study");
            }
            count = row[1];
            const std::size_t index = rowCondition(row);
            const auto found = rows.find(index);
            if (found != rows.end() && found->second.first != row) {
                throw DataError("condition " + row[0] + " is in " + found->second.second +
                                " and in " + file +
                                " with different rows - keep one of them and merge again");
            }
            rows[index] = {std::move(row), file};
        }
    }
    std::vector<SummaryRow> merged;
    std::string missing;
    std::size_t expected = 0;
    if (!count.empty()) std::from_chars(count.data(), count.data() + count.size(), expected);
    for (std::size_t index = 1; index <= expected; ++index) {
        const auto found = rows.find(index);
        if (found == rows.end()) {
            missing += (missing.empty() ? "" : ", ") + std::to_string(index);
        } else {
            merged.push_back(found->second.first);
        }
    }
    writeTextFileAtomically((out / IDENTITY_FILE).string(), identity);
    const bool withWorkload = !merged.empty() && rowHasWorkload(merged.front());
    for (const SummaryRow& row : merged) {
        if (rowHasWorkload(row) != withWorkload) {
            throw DataError(
                "the parts' summaries differ in their workload columns - merge the "
                "parts of one study");
        }
    }
    writeSummary((out / SUMMARY_FILE).string(), merged, withWorkload);
    console.out << "Merged " << merged.size() << " of " << expected << " conditions into "
                << (out / SUMMARY_FILE).string() << '\n';
    writePlotIfSwept(out, merged, console.out);
    if (!missing.empty()) {
        console.errors << PROGRAM << ": conditions " << missing
                       << " are in none of the summaries (a part did not run or not to its "
                          "end) - run those parts and merge again\n";
        return 1;
    }
    int failed = 0;
    for (const SummaryRow& row : merged) failed += !statusIsOk(row.back());
    return failed == 0 ? 0 : 1;
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

int runStudy(const StudyOptions& options, const StudyEnvironment& environment, StudyConsole console,
             const std::function<bool()>& keepGoing) {
    if (!options.mergeDirs.empty()) return mergeStudies(options, console);

    const std::vector<Condition> conditions = studyConditions(options);
    std::vector<const Condition*> selected;
    for (const Condition& c : conditions) {
        if (inPart(c.index, options.part)) selected.push_back(&c);
    }
    listConditions(console.out, options, conditions, selected.size());
    if (options.dryRun) return 0;

    const fs::path out(options.outDir);
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) throw DataError("cannot create " + out.string() + " (" + ec.message() + ")");
    FolderLock lock(out);
    const std::string summaryFile = (out / SUMMARY_FILE).string();
    const bool withWorkload = options.workload.workload.has_value();
    std::map<std::size_t, SummaryRow> rows = earlierRows(summaryFile, conditions, withWorkload);
    writeTextFileAtomically((out / IDENTITY_FILE).string(), studyIdentity(options));
    StudyTables tables;
    tables.material = app::loadMaterialTables(environment.dataDirectory);
    tables.eyeLens = app::loadEyeLensDoseTables(environment.dataDirectory);
    const EngineSettings engine{options.threads, options.estimator};

    // Histories left in the study after each selected condition, for its time left.
    std::vector<double> historiesAfter(selected.size(), 0.0);
    for (std::size_t n = selected.size(); n-- > 1;) {
        historiesAfter[n - 1] =
            historiesAfter[n] +
            app::textValue(selected[n]->inputs[static_cast<std::size_t>(StudyInput::Histories)]);
    }

    ProgressLine progress(console);
    std::vector<std::string> failures;
    double lastRate = 0;  // [histories/s] of the last condition, for the study's time left
    for (std::size_t n = 0; n < selected.size(); ++n) {
        const Condition& condition = *selected[n];
        const fs::path folder = out / condition.folder;
        const std::string label = "condition " + std::to_string(condition.index) + "/" +
                                  std::to_string(conditions.size()) + " " + condition.folder;
        const auto earlier = rows.find(condition.index);
        if (!options.force && earlier != rows.end() &&
            rowCompletes(earlier->second, condition, options.estimator, withWorkload) &&
            fs::exists(resultFileOf(folder))) {
            console.out << label << ": done earlier, skipped (--force runs it again)\n";
            if (withWorkload) {
                // The workload may have changed since: the year's doses come afresh
                // from the condition's result, which needs no new run.
                try {
                    rows[condition.index] =
                        summaryRow(condition, conditions.size(), options.estimator,
                                   readConditionResult(folder, tables, options.workload), "", true);
                    writeSummary(summaryFile, rowsOf(rows), true);
                } catch (const DataError& e) {
                    console.errors << PROGRAM << ": " << label << ": " << e.what() << '\n';
                }
            }
            continue;
        }

        const auto start = Clock::now();
        const auto onProgress = [&](double fraction, double historiesDone) {
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            const double perSecond = seconds > 0 ? historiesDone / seconds : 0;
            if (perSecond > 0) lastRate = perSecond;
            const double conditionLeft =
                fraction > 0 ? seconds * (1 - fraction) / fraction : std::nan("");
            const double studyLeft =
                conditionLeft + (lastRate > 0 ? historiesAfter[n] / lastRate : std::nan(""));
            char percent[16];
            std::snprintf(percent, sizeof percent, "%3.0f%%", 100 * fraction);
            progress.show(label + ": " + percent + ", " + rate(perSecond) + " histories/s, left " +
                          duration(conditionLeft) + " (study " + duration(studyLeft) + ")");
        };
        progress.show(label + ": spectrum and HVL");
        const bool folderExisted = fs::exists(folder, ec);
        const ConditionOutcome outcome =
            runCondition(condition, folder, environment, engine, tables, onProgress, keepGoing,
                         options.workload);
        progress.clear();
        for (const std::string& note : outcome.notes) console.out << label << ": " << note << '\n';
        if (outcome.interrupted) {
            // A row of an earlier run of this condition would name removed files.
            if (rows.erase(condition.index) != 0) {
                writeSummary(summaryFile, rowsOf(rows), withWorkload);
            }
            // Only what the chain wrote goes: files the user keeps there stay,
            // and the folder itself only when this run made it and it is empty.
            removeChainFiles(folder);
            if (!folderExisted) fs::remove(folder, ec);
            console.out << label << ": interrupted; the files it had written in " << folder.string()
                        << " were removed. Run the same command again to go on.\n";
            return EXIT_INTERRUPTED;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (outcome.result) {
            console.out << label << ": ok in " << duration(seconds) << '\n';
        } else {
            console.errors << PROGRAM << ": " << label << " failed in " << folder.string() << ": "
                           << outcome.failure << '\n';
            failures.push_back(condition.folder);
        }
        rows[condition.index] = summaryRow(condition, conditions.size(), options.estimator,
                                           outcome.result, outcome.failure, withWorkload);
        writeSummary(summaryFile, rowsOf(rows), withWorkload);
        console.out << std::flush;
    }
    console.out << "Summary: " << summaryFile << '\n';
    writePlotIfSwept(out, rowsOf(rows), console.out);
    if (!failures.empty()) {
        console.errors << PROGRAM << ": " << failures.size() << " condition(s) failed:";
        for (const std::string& f : failures) console.errors << ' ' << f;
        console.errors << '\n';
        return 1;
    }
    return 0;
}

int runStudyCommand(const std::vector<std::string>& arguments, const fs::path& programDirectory,
                    StudyConsole console, const std::function<bool()>& keepGoing) {
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
        return runStudy(options, environment, console, keepGoing);
    } catch (const DataError& e) {
        console.errors << PROGRAM << ": " << e.what() << '\n';
        return 1;
    }
}

}  // namespace korvana::study
